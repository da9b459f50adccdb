// TRMPreviewForm: the window a prepared report is looked at in. A dockable tool bar (zoom box,
// magnifier, zoom buttons, page navigation, find, open, save, export, print, page setup,
// exit) over a TRMPreview, a context menu with the zooms, the keyboard of the preview, and
// the window's and tool bar's placement kept in the settings ("Orvane Soft", "Pagequill").
#pragma once

#include "report/preview/surface/rm_preview.h"

#include <QMainWindow>
#include <QPointer>


class QAction;
class QActionGroup;
class QComboBox;
class QLineEdit;
class QMenu;
class QSettings;
class QToolBar;

namespace pq {

class TRMReport;

// The zoom every preview window of the process starts with (not persisted).
struct TRMPreviewMemory {
    double LastChosenScale = 1.0;
    TRMZoomMode LastZoomMode = TRMZoomMode::Percent;
    bool LastMagnifier = false;
};
TRMPreviewMemory& RMPreviewMemory();

class TRMPreviewForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TRMPreviewForm(QWidget* parent = nullptr);
    ~TRMPreviewForm() override;

    // Opens the report's prepared pages; shows the window modally (returns when it closes)
    // or modelessly as the report asks.
    void ShowFor(TRMReport* report);

    TRMPreview* Preview() const { return m_preview; }
    TRMReport* Report() const;
    QToolBar* ToolBar() const { return m_toolBar; }
    QComboBox* ZoomBox() const { return m_zoomBox; }
    QLineEdit* PageBox() const { return m_pageBox; }
    QMenu* ContextMenu() const { return m_menu; }
    // A tool-bar item by its name ("btnMagnifier", "btnWholePage", "btn100", "btnPageWidth",
    // "btnFirst", "btnPrior", "btnNext", "btnLast", "btnFind", "btnOpen", "btnSave",
    // "btnSuperExp", "btnSaveToXLS", "btnExportPdf", "btnPrint", "btnPageSetup", "btnDesign",
    // "btnExit").
    QAction* Item(const QString& name) const;

    // The commands behind the buttons (the keys run these too, hidden buttons or not).
    void OpenFiles(const QStringList& files);
    bool SaveTo(const QString& file);
    // The save button: a save dialog offering the prepared-report format and every
    // registered export filter (whose options come before the export).
    void SaveWithDialog();
    // The first spreadsheet filter's options, a file name, the export.
    void SaveToSpreadsheet();
    // The grid's data file copied to a CSV file (TRM_SuperExp).
    void DataExport();
    // Writes the pages into a PDF at their own paper sizes; the file is written beside the
    // target and renamed into place, so a failure leaves no half file. False with error.
    bool ExportPdf(const QString& file, QString* error = nullptr);
    void Exit();
    // Print with the dialog (Ctrl+P) and the current page (Ctrl+Alt+P); nothing without a
    // real printer.
    void PrintWithDialog();
    void PrintCurrentPage();
    // The page setup: the report prepared again with the new paper, shown from page 1.
    void PageSetup();
    // The find dialog (Ctrl+F) and find next (F3).
    void Find();
    void FindNext();

    // Where the placement lives; tests give a file of their own.
    static void SetSettingsFile(const QString& iniFile);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildToolBar();
    void BuildMenu();
    void ApplyButtons(int buttons);
    void StatusChanged();
    void PageChanged();
    void RememberZoom();
    void ZoomBoxChosen(int index);
    void ZoomBoxEntered();
    void PageBoxEntered();
    bool HandleKey(int key, Qt::KeyboardModifiers mods);
    void UpdateCaption(const QString& fileName = {});
    void SavePlacement();
    void RestorePlacement();
    std::unique_ptr<QSettings> Settings() const;
    bool PrintEnabled() const;

    QPointer<TRMReport> m_report;
    TRMPreview* m_preview = nullptr;
    QToolBar* m_toolBar = nullptr;
    QComboBox* m_zoomBox = nullptr;
    QLineEdit* m_pageBox = nullptr;
    QMenu* m_menu = nullptr;
    QActionGroup* m_zoomGroup = nullptr;
    QActionGroup* m_menuZoomGroup = nullptr;
    QList<QAction*> m_menuZooms;
    QAction* m_menuPrint = nullptr;
    QAction* m_menuPrintCurrent = nullptr;
    QAction* m_zoomBoxAction = nullptr;
    QAction* m_zoomSeparator = nullptr;
    QAction* m_findSeparator = nullptr;
    QAction* m_fileSeparator = nullptr;
    QAction* m_exitSeparator = nullptr;
    QAction* m_designSeparator = nullptr;
    bool m_settingZoomBox = false;
    bool m_modal = false;
};

} // namespace pq
