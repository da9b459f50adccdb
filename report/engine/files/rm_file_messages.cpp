#include "report/engine/files/rm_file_messages.h"

#include "base/message_box.h"
#include "resources/rm_locale.h"
#include "resources/rm_strings.h"

namespace pq {

void RMShowFileError(int resourceId, QWidget* owner)
{
    ShowMessageBox(owner, RMLoadStr(resourceId), RMLoadStr(res::kErrorCaption), MsgIcon::Error);
}

QString RMMissingComponentsText(const QStringList& names)
{
    QString text = QStringLiteral("Opened report contains the following non-plugged components:\n");
    for (const QString& n : names)
        text += n + QLatin1Char('\n');
    text += QStringLiteral("Add these components to the application and load the report again.");
    return text;
}

void RMShowMissingComponents(const QStringList& names, QWidget* owner)
{
    ShowMessageBox(owner, RMMissingComponentsText(names), RMLoadStr(res::kErrorCaption), MsgIcon::Error);
}

} // namespace pq
