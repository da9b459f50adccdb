// The messages of the file readers, shown in the "错误" box through the message-box
// service: texts by resource number, and the list of add-in classes a report needed but
// nobody registered.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace pq {

namespace res {
inline constexpr int kNotReportFile = 47499;     // "不是Pagequill报表文件！"
inline constexpr int kUnsupportedFormat = 47345; // "不支持的rmf格式"
inline constexpr int kNotPreparedFile = 47501;   // "不是Pagequill报表文件!"
} // namespace res

// The error text a report load records when the magic differs.
inline constexpr const char* kNotReportFileText = "Not Pagequill Report File!";

// Shows the string table's text of that number in the error box (caption 47206).
void RMShowFileError(int resourceId, QWidget* owner = nullptr);

// The text that reports missing add-in classes (and views skipped for other reasons), one
// per line, with the hint to add them.
QString RMMissingComponentsText(const QStringList& names);
void RMShowMissingComponents(const QStringList& names, QWidget* owner = nullptr);

} // namespace pq
