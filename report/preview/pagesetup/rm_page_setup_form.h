// TRMPageSetupForm: the page setup dialog. It edits the paper, orientation, margins, paper
// source and a few report options of one report through the TRMPageSetting it owns; the
// caller fills Settings() before showing it and reads them after OK. Choosing a printer in
// the box only shows that printer's papers and sources; the report printer takes it when the
// dialog closes with OK.
#pragma once

#include "report/preview/printer/page_setting.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace pq {

class TRMPrinterInfo;

// The page picture: paints what RMPagePicture works out for the dialog's settings.
class TRMPagePictureBox : public QWidget {
public:
    TRMPagePictureBox(const TRMPageSetting& setting, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const TRMPageSetting& m_setting;
};

class TRMPageSetupForm : public QDialog {
    Q_OBJECT
public:
    explicit TRMPageSetupForm(QWidget* parent = nullptr);
    ~TRMPageSetupForm() override;

    TRMPageSetting& Settings() { return m_settings; }
    const TRMPageSetting& Settings() const { return m_settings; }
    // Disables the two column boxes (the preview's page setup always does).
    void DisableColumns();
    // The printer list entry chosen in the printer box.
    int PrinterIndex() const;

    // The controls, for the preview's command and for tests that drive the dialog.
    QTabWidget* Tabs() const { return m_tabs; }
    QComboBox* PrinterBox() const { return m_printers; }
    QComboBox* PaperBox() const { return m_papers; }
    QDoubleSpinBox* WidthBox() const { return m_width; }
    QDoubleSpinBox* HeightBox() const { return m_height; }
    QRadioButton* PortraitButton() const { return m_portrait; }
    QRadioButton* LandscapeButton() const { return m_landscape; }
    QLabel* OrientationPicture() const { return m_orientationPicture; }
    QCheckBox* UnlimitedHeightBox() const { return m_unlimitedHeight; }
    QLineEdit* TitleBox() const { return m_title; }
    QListWidget* SourceList() const { return m_sources; }
    QDoubleSpinBox* MarginTopBox() const { return m_marginTop; }
    QDoubleSpinBox* MarginBottomBox() const { return m_marginBottom; }
    QDoubleSpinBox* MarginLeftBox() const { return m_marginLeft; }
    QDoubleSpinBox* MarginRightBox() const { return m_marginRight; }
    QSpinBox* ColumnsBox() const { return m_columns; }
    QDoubleSpinBox* ColumnGapBox() const { return m_columnGap; }
    QCheckBox* PrintToPrevPageBox() const { return m_printToPrevPage; }
    QCheckBox* DoublePassBox() const { return m_doublePass; }
    QCheckBox* NoBackPictureBox() const { return m_taoda; }
    QCheckBox* PrintBackColorBox() const { return m_printBackColor; }
    QWidget* PagePicture() const { return m_picture; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildPaperTab(QWidget* sheet);
    void BuildSourceTab(QWidget* sheet);
    void BuildMarginTab(QWidget* sheet);
    void BuildOtherTab(QWidget* sheet);
    void Connect();

    void FormShow();
    void PrinterChosen(int index);
    void UpdateControls();
    void UpdateOrientationPicture();
    // An edit is dropped while the cancel button has the focus: leaving a box for Cancel
    // must not store what was half typed.
    bool CancelActive() const;

    void PaperChosen(int index);
    void SizeEdited();
    void OrientationClicked(int orientation);
    void MarginEdited(QDoubleSpinBox* box, void (TRMPageSetting::*set)(double),
        double (TRMPageSetting::*get)() const);
    void ColumnsEdited();
    void SourceChosen(int row);
    void OkClick();

    TRMPrinterInfo* ChosenInfo() const;

    TRMPageSetting m_settings;
    bool m_updating = false;
    bool m_shown = false;

    QTabWidget* m_tabs = nullptr;
    QComboBox* m_printers = nullptr;
    QComboBox* m_papers = nullptr;
    QDoubleSpinBox* m_width = nullptr;
    QDoubleSpinBox* m_height = nullptr;
    QGroupBox* m_orientation = nullptr;
    QRadioButton* m_portrait = nullptr;
    QRadioButton* m_landscape = nullptr;
    QLabel* m_orientationPicture = nullptr;
    QCheckBox* m_unlimitedHeight = nullptr;
    QLineEdit* m_title = nullptr;
    QListWidget* m_sources = nullptr;
    QDoubleSpinBox* m_marginTop = nullptr;
    QDoubleSpinBox* m_marginBottom = nullptr;
    QDoubleSpinBox* m_marginLeft = nullptr;
    QDoubleSpinBox* m_marginRight = nullptr;
    QSpinBox* m_columns = nullptr;
    QDoubleSpinBox* m_columnGap = nullptr;
    QCheckBox* m_printToPrevPage = nullptr;
    QCheckBox* m_doublePass = nullptr;
    QCheckBox* m_taoda = nullptr;
    QCheckBox* m_printBackColor = nullptr;
    QGroupBox* m_preview = nullptr;
    TRMPagePictureBox* m_picture = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace pq
