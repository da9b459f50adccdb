#include "report/preview/window/rm_show_report.h"

#include "report/engine/prepare/rm_prepare.h"
#include "report/engine/rm_report.h"
#include "report/preview/surface/rm_preview.h"
#include "report/preview/window/rm_preview_form.h"

#include <QPointer>

namespace pq {

bool RMShowReport(TRMReport& report)
{
    if (!RMPrepareReport(report))
        return false;
    RMShowPreparedReport(report);
    return true;
}

void RMShowPreparedReport(TRMReport& report)
{
    if (auto* preview = qobject_cast<TRMPreview*>(report.Preview)) {
        preview->OpenReport(&report);
        return;
    }
    // The window belongs to the report: it goes when the report goes.
    auto* form = new TRMPreviewForm;
    QPointer<TRMPreviewForm> guard(form);
    QObject::connect(&report, &QObject::destroyed, form, [guard] { delete guard.data(); });
    form->ShowFor(&report);
}

} // namespace pq
