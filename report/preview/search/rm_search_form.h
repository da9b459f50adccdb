// TRMPreviewSearchForm: the find dialog of the preview ("查找文本"): the text, case and
// whole-word options, and where the search starts (the first page or the current one).
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace pq {

class TRMPreviewSearchForm : public QDialog {
    Q_OBJECT
public:
    explicit TRMPreviewSearchForm(QWidget* parent = nullptr);

    QLineEdit* TextBox() const { return m_text; }
    QCheckBox* CaseBox() const { return m_case; }
    QCheckBox* WholeBox() const { return m_whole; }
    QRadioButton* FromFirstPage() const { return m_first; }
    QRadioButton* FromCurrentPage() const { return m_current; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* m_text;
    QCheckBox* m_case;
    QCheckBox* m_whole;
    QRadioButton* m_first;
    QRadioButton* m_current;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

} // namespace pq
