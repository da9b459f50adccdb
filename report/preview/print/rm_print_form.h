// TRMPrintForm: the print dialog. Printer choice with its status (from the printer layer:
// CUPS state, queued jobs, make and model, location, comment), the page range, copies and
// collation, odd or even pages, scaling onto another paper, print offsets in centimetres and
// the pre-printed-form switch. Cancel puts back the printer that was selected before.
#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace pq {

// The status line of a printer: "空闲" or "打印", replaced by the text of a known status code,
// then ":有%d篇文档正在等待打印" when jobs wait.
QString RMPrinterStatusText(unsigned status, int jobs);

// Printer box item k ↔ printer list entry: the virtual printer (entry 1) is not offered.
int RMPrinterBoxIndexFor(int printerIndex);
int RMPrinterEntryForBox(int boxIndex);

class TRMPrintForm : public QDialog {
    Q_OBJECT
public:
    explicit TRMPrintForm(QWidget* parent = nullptr);
    ~TRMPrintForm() override;

    // --- set-up ------------------------------------------------------------------------
    void SetCopies(int copies);
    // Screen pixels in; kept as millimetres, shown as centimetres.
    void SetOffsetTop(int pixels);
    void SetOffsetLeft(int pixels);
    // Applies the printer box's choice to the report printer, refreshes status and papers.
    void SelectCurrentPrinter();
    // The number of pages a typed list is checked against when OK is pressed.
    void SetPageCount(int count) { m_pageCount = count; }

    // --- results -----------------------------------------------------------------------
    int GetCopies() const;
    // Percent; never below 1.
    int GetScale() const;
    int GetOffsetTop() const;  // screen pixels
    int GetOffsetLeft() const;
    struct TScalePaper {
        int Id = -1; // -1: no scaling
        int Width = 0;
        int Height = 0;
    };
    TScalePaper GetScalePaper() const;
    // The page list the choice gives: empty for all pages, the current page's number, or
    // the typed list.
    QString PageText(int currentPage) const;
    int PageKind() const;
    bool Collate() const;
    bool Taoda() const;

    // --- the controls (tests drive them as a user would) --------------------------------
    QComboBox* PrinterBox() const { return m_printerBox; }
    QPushButton* PropertiesButton() const { return m_properties; }
    QLabel* StatusLabel() const { return m_status; }
    QLabel* TypeLabel() const { return m_type; }
    QLabel* PlaceLabel() const { return m_place; }
    QLabel* CommentLabel() const { return m_comment; }
    QCheckBox* TaodaBox() const { return m_taoda; }
    QRadioButton* AllButton() const { return m_all; }
    QRadioButton* CurrentButton() const { return m_current; }
    QRadioButton* PagesButton() const { return m_pagesButton; }
    QLineEdit* PageEdit() const { return m_pageEdit; }
    QSpinBox* CopiesBox() const { return m_copies; }
    QCheckBox* CollateBox() const { return m_collate; }
    QLabel* CollatePicture() const { return m_collatePicture; }
    QComboBox* KindBox() const { return m_kind; }
    QSpinBox* ScaleBox() const { return m_scale; }
    QComboBox* ScalePaperBox() const { return m_scalePaper; }
    QDoubleSpinBox* OffsetTopBox() const { return m_offsetTop; }
    QDoubleSpinBox* OffsetLeftBox() const { return m_offsetLeft; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

public slots:
    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildLayout();
    void PrinterChosen();
    void RefreshStatus();
    void RefreshScalePapers();
    void UpdateCollatePicture();
    void PropertiesClicked();

    int m_previousPrinter = 0;
    int m_pageCount = 0;
    bool m_shownOnce = false;
    double m_offsetTopMm = 0;
    double m_offsetLeftMm = 0;

    QComboBox* m_printerBox = nullptr;
    QPushButton* m_properties = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_type = nullptr;
    QLabel* m_place = nullptr;
    QLabel* m_comment = nullptr;
    QCheckBox* m_taoda = nullptr;
    QRadioButton* m_all = nullptr;
    QRadioButton* m_current = nullptr;
    QRadioButton* m_pagesButton = nullptr;
    QLineEdit* m_pageEdit = nullptr;
    QSpinBox* m_copies = nullptr;
    QCheckBox* m_collate = nullptr;
    QLabel* m_collatePicture = nullptr;
    QComboBox* m_kind = nullptr;
    QSpinBox* m_scale = nullptr;
    QComboBox* m_scalePaper = nullptr;
    QDoubleSpinBox* m_offsetTop = nullptr;
    QDoubleSpinBox* m_offsetLeft = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace pq
