// The grid report: a component on a form that turns one of the form's controls into a report
// of the engine and previews or prints it. TRMCustomGridReport holds the published surface
// (the option objects, what it hands the report, the report's events); TRMFormReport adds the
// control it prints, the grouping levels and the events of the build.
#pragma once

#include "report/gridreport/rm_grid_options.h"

#include "base/variant.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QSettings;

namespace pq {

class TRMBand;
class TRMBandView;
class TRMDBDataSet;
class TRMFormDataSet;
class TDataSource;
class TRMFormReportObject;
class TRMPage;
class TRMPageSetting;
class TRMPreview;
class TRMReport;
class TRMView;

// The flags a new grid report starts with.
inline const TRMGridReportOptions kDefaultGridReportOptions{
    rmgoStretch, rmgoWordWrap, rmgoGridLines, rmgoRebuildAfterPageChanged, rmgoDisableControls};
// The preview buttons a new grid report starts with (everything but design and the
// spreadsheet export).
inline constexpr int kDefaultGridPreviewButtons =
    pbZoom | pbLoad | pbSave | pbPrint | pbFind | pbPageSetup | pbExit | pbSuperExp;

class TRMCustomGridReport : public QObject {
    Q_OBJECT
public:
    explicit TRMCustomGridReport(QObject* owner = nullptr);
    ~TRMCustomGridReport() override;

    // --- published properties --------------------------------------------------------------
    // The form data set iterated when no control printer produced data rows; cleared when
    // it goes.
    QPointer<TRMFormDataSet> DataSet;
    // The same through a data source (read when DataSet is not set).
    QPointer<TDataSource> DataSource;
    TRMGridReportOptions ReportOptions = kDefaultGridReportOptions;

    TRMPageLayout& PageLayout() { return m_pageLayout; }
    const TRMPageLayout& PageLayout() const { return m_pageLayout; }
    TRMPageHeaderFooter& PageHeader() { return m_pageHeader; }
    const TRMPageHeaderFooter& PageHeader() const { return m_pageHeader; }
    TRMPageHeaderFooter& PageFooter() { return m_pageFooter; }
    const TRMPageHeaderFooter& PageFooter() const { return m_pageFooter; }
    TRMPageHeaderFooter& ColumnFooter() { return m_columnFooter; }
    const TRMPageHeaderFooter& ColumnFooter() const { return m_columnFooter; }
    TRMScaleOptions& ScaleMode() { return m_scaleMode; }
    const TRMScaleOptions& ScaleMode() const { return m_scaleMode; }
    TRMMasterDataBandOptions& MasterDataBandOptions() { return m_masterDataBandOptions; }
    const TRMMasterDataBandOptions& MasterDataBandOptions() const { return m_masterDataBandOptions; }
    TRMGridNumOptions& GridNumOptions() { return m_gridNumOptions; }
    const TRMGridNumOptions& GridNumOptions() const { return m_gridNumOptions; }
    TRMGridFontOptions& GridFontOptions() { return m_gridFontOptions; }
    const TRMGridFontOptions& GridFontOptions() const { return m_gridFontOptions; }
    // The setters copy; the grid report never takes the argument.
    void SetPageLayout(const TRMPersistent& value) { m_pageLayout.Assign(value); }
    void SetPageHeader(const TRMPersistent& value) { m_pageHeader.Assign(value); }
    void SetPageFooter(const TRMPersistent& value) { m_pageFooter.Assign(value); }
    void SetColumnFooter(const TRMPersistent& value) { m_columnFooter.Assign(value); }
    void SetScaleMode(const TRMPersistent& value) { m_scaleMode.Assign(value); }
    void SetMasterDataBandOptions(const TRMPersistent& value) { m_masterDataBandOptions.Assign(value); }
    void SetGridNumOptions(const TRMPersistent& value) { m_gridNumOptions.Assign(value); }
    void SetGridFontOptions(const TRMPersistent& value) { m_gridFontOptions.Assign(value); }

    int InitialZoom = pzDefault;
    int PreviewButtons = kDefaultGridPreviewButtons;
    QPointer<TRMPreview> Preview; // a preview on a form to show the report in
    int ReportType = rtSimple;
    bool ShowProgress = true;
    QString ReportTitle;
    bool ShowPrintDialog = true;
    bool ModifyPrepared = false;
    QString AutoBooleanString; // kept and stored; nothing in the build reads it
    bool ShowMasterData = false;
    bool PageHeaderOnly1 = false;

    // --- events handed to the report ---------------------------------------------------------
    std::function<void(TRMBand* band)> OnBeginBand, OnEndBand;
    std::function<void()> OnBeginDoc, OnEndDoc;
    std::function<void(int pageNo)> OnBeginPage, OnEndPage;
    std::function<void(const QString& name, Variant& value)> OnGetValue;
    std::function<void(int n)> OnProgress;
    std::function<void(TRMBand* band, int& columnCount)> OnBeginColumn;
    std::function<void(int columnNo, int& width)> OnPrintColumn;

    // --- running ------------------------------------------------------------------------------
    // Build, then preview (the report's own preview or the preview window, shown modally),
    // print without preview, or build only. False when nothing was built (no print control)
    // or the report did not prepare.
    bool ShowReport();
    bool PrintReport();
    bool BuildReport();
    // The report, made on first use and owned by the engine's hidden form; the data set the
    // master-data band iterates ("RMGridDataSet<n>", on the same form).
    TRMReport* Report();
    TRMDBDataSet* ReportDataSet();
    // The preview's after-page-setup handler: the new layout into PageLayout, then a build.
    void PageChanged(TRMPageSetting& setting);
    // Adds a design page with PageLayout's paper and margins (a grid printer continuing a wide
    // grid adds its pages here).
    TRMPage* AddDesignPage();

    // --- the build's state (valid during one build; the control printers read and fill it) --
    QStringList ContentWidths; // per design page, screen pixels
    int ContentHeight = 0;
    int OriginX = 0;
    int OriginY = 0;
    int AvailWidth = 0;
    int AvailHeight = 0;
    bool HasMasterData = false;
    bool GridPrinted = false;
    int GridTop = 0;
    int GridHeight = 0;
    bool UseGridDataSet = true;
    QList<TRMView*> HeaderObjects;
    QList<TRMView*> MasterObjects;
    QList<TRMView*> PageFooterObjects;
    QList<TRMView*> ColumnFooterObjects;
    QList<TRMView*> SummaryObjects;
    // Keeps a printer that cleared AutoFree until the next build (or the report's end).
    void KeepPrinter(std::unique_ptr<TRMFormReportObject> printer);
    // Runs when the kept printers go (a band filter of theirs must go with them).
    std::function<void()> OnKeptPrintersFreed;

    // --- the settings a window ships --------------------------------------------------------
    // Writes every published property under the settings' current group (see the folder's
    // README for the layout). Load reads the keys present and leaves the rest as they are; a
    // value it cannot read keeps the property's value and is named in the returned list.
    virtual void SaveSettings(QSettings& settings) const;
    virtual QStringList LoadSettings(QSettings& settings);

protected:
    // The build of the descendant: false when nothing could be built.
    virtual bool Build() { return false; }
    bool Run(int kind);
    void FreeKeptPrinters();

    // Groups are the form report's; the base keeps them so the option objects are made in
    // one order.
    TRMGroupItems m_groups;

private:
    TRMPageLayout m_pageLayout;
    TRMPageHeaderFooter m_pageHeader;
    TRMPageHeaderFooter m_pageFooter;
    TRMPageHeaderFooter m_columnFooter;
    TRMScaleOptions m_scaleMode;
    TRMGridNumOptions m_gridNumOptions;
    TRMMasterDataBandOptions m_masterDataBandOptions;
    TRMGridFontOptions m_gridFontOptions;
    QPointer<TRMReport> m_report;
    QPointer<TRMDBDataSet> m_reportDataSet;
    std::vector<std::unique_ptr<TRMFormReportObject>> m_keptPrinters;
};

class TRMFormReport : public TRMCustomGridReport {
    Q_OBJECT
public:
    explicit TRMFormReport(QObject* owner = nullptr);
    ~TRMFormReport() override;

    TRMGroupItems& Groups() { return m_groups; }
    const TRMGroupItems& Groups() const { return m_groups; }
    void SetGroups(const TRMPersistent& value) { m_groups.Assign(value); }
    // The control the report is built from; cleared when it goes.
    QPointer<QWidget> PrintControl;
    int GridFixedCols = 0;

    // A control about to be printed: the printer class may be replaced (by its class name),
    // or ownerDraw set to leave the control to the handler.
    std::function<void(TRMFormReport& report, TRMPage* page, QWidget* control, QString& printerClass,
        bool& ownerDraw)> OnPrintObject;
    std::function<void(QWidget* control, TRMView* view)> OnAfterCreateObject;
    std::function<void(QWidget* control, const QString& fieldName, TRMView* view)> OnAfterCreateGridObjectEvent;

    void SaveSettings(QSettings& settings) const override;
    QStringList LoadSettings(QSettings& settings) override;

    // The design page printers add their views to (page 0 when the walk starts).
    TRMPage* CurrentPage = nullptr;
    // The names of the master-data bands, one per design page.
    QStringList DataBandNames;

protected:
    bool Build() override;

private:
    void Walk(QWidget* control, int x, int y);
    QList<TRMView*> OnPage(const QList<TRMView*>& views, const TRMPage* page) const;
    int BuildHeaderBands();
    void BuildGroupBands(int& y);
    int BuildMasterDataBands(int y);
    void BuildSummaryIntoGroupFooters(int y0);
    void BuildColumnFooterBands(int y);
    void BuildPageFooterBands();
    void BuildMasterFooterBands();
    // A caption of rich text as a view across the printable width; nullptr when empty.
    TRMView* CaptionView(const TRMPageHeaderFooter& caption, TRMPage* page, int top, int& height);
    TRMBandView* NewBand(TRMPage* page, int type, int x, int y, int w, int h);
    QList<TRMBandView*> m_groupFooters;
};

} // namespace pq
