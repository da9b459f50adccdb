// The preview's data export: the grid data behind the report, written by the multi-title
// grid's printer into "~superfile.tmp" in the user's private folder, copied to a CSV file the
// user names in TRM_SuperExp. The layout of the report plays no part.
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace pq {

class TRMPreview;

// Where the grid's data file lives: "~superfile.tmp" in the private folder; empty with the
// reason when that folder cannot be had.
QString RMGridExportFileName(QString* error = nullptr);

// The dialog "数据转换": what the export does, the path box with its "..." button, OK and
// Cancel.
class TRM_SuperExp : public QDialog {
    Q_OBJECT
public:
    explicit TRM_SuperExp(QWidget* parent = nullptr);

    QLineEdit* PathBox() const { return m_path; }
    QPushButton* BrowseButton() const { return m_browse; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }
    QPlainTextEdit* Note() const { return m_note; }

    // "...": a save dialog for "excel file(*.CSV)" that starts with the path box's text and
    // puts the name chosen there.
    void Browse();

private:
    QPlainTextEdit* m_note;
    QLineEdit* m_path;
    QPushButton* m_browse;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

// The export command: only with pages prepared from the report's design (not loaded from a
// file). Shows TRM_SuperExp; on OK copies the data file to the path typed (blanks around it
// dropped), replacing a file there. Success is silent; an empty path, a data file that is
// missing or empty, and a copy that fails each show their message ("转换失败"). True when
// the file was written.
bool RMPreviewDataExport(TRMPreview& preview, QWidget* owner);

// The copy behind it, with no dialog: false with the message the command shows.
bool RMCopyGridData(const QString& target, QString* message);

// The message of a copy that failed for a reason the user can mend at the target (read-only,
// a path that is no file name, ...).
QString RMDataExportFailureText();

} // namespace pq
