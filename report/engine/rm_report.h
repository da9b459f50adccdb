// The report document: design pages, published properties and events, report
// information, settings persistence, and the composite report.
#pragma once

#include "report/engine/rm_page.h"
#include "report/engine/rm_types.h"
#include "report/preview/printer/page_setting.h"

#include "base/variant.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>

class QSettings;

namespace pq {

class TRMBand;
class TRMDataset;
class TRMVariables;
class TRMView;

struct TRMReportInfo {
    QString Title;
    QString Author;
    QString Company;
    QString CopyRight;
    QString Comment;
};

// Field aliases (alias → data set and field) and dictionary variables (name → expression
// text). Editing them is a designer matter.
class TRMDataDictionary {
public:
    TRMDataDictionary();
    ~TRMDataDictionary();

    struct TFieldAlias {
        QString DataSet;
        QString Field;
    };
    // Aliases kept sorted by name, compared without regard to case.
    void SetFieldAlias(const QString& alias, const QString& dataSet, const QString& field);
    const TFieldAlias* FindFieldAlias(const QString& alias) const;
    int FieldAliasCount() const { return static_cast<int>(m_aliases.size()); }
    const std::vector<std::pair<QString, TFieldAlias>>& FieldAliases() const { return m_aliases; }

    // The third list report files carry (name, value as text); kept as read and written
    // back unchanged.
    std::vector<std::pair<QString, QString>> ExtraList;

    TRMVariables& Variables() { return *m_variables; }
    void Clear();

private:
    std::vector<std::pair<QString, TFieldAlias>> m_aliases;
    std::unique_ptr<TRMVariables> m_variables;
};

class TRMReport;

// Where a report keeps its settings (print offsets, double pass, margins per page).
class TRMSaveReportOptions {
public:
    bool AutoLoadSaveSetting = false;
    bool UseRegistry = true;
    QString IniFileName;
    QString RegistryPath = QStringLiteral("Pagequill\\ReportSettings\\");

    // The settings store these options select: the current user's registry ("Orvane Soft",
    // "Pagequill") below RegistryPath, or the ini file.
    std::unique_ptr<QSettings> OpenSettings() const;
    // The section a report's settings live under: its title, or else its file name.
    static QString SectionName(const TRMReport& report);

    void LoadReportSetting(TRMReport& report) const;
    void SaveReportSetting(TRMReport& report) const;
};

// Prepared pages are built by preparation; the report owns the store.
class TRMEMFPages;

class TRMReport : public QObject {
    Q_OBJECT
public:
    explicit TRMReport(QObject* owner = nullptr);
    ~TRMReport() override;

    // Published properties.
    TRMDataset* Dataset = nullptr; // the report's own data source, not owned
    int DefaultCopies = 1;
    bool DefaultCollate = true;
    QString DefaultDictionaryFile;
    int InitialZoom = pzDefault;
    bool MDIPreview = false;
    bool ModalPreview = true;
    bool ModifyPrepared = false;
    QObject* Preview = nullptr; // the preview it shows in, if any; not owned
    int PreviewButtons = kAllPreviewButtons;
    QString PreviewInitialDir;
    bool PrintIfEmpty = true;
    int ReportType = rtSimple;
    TRMSaveReportOptions SaveReportOptions;
    bool ShowPrintDialog = true;
    bool ShowProgress = true;
    bool StoreInDFM = false;

    // Events; assigned when set.
    std::function<void()> OnBeginDoc, OnEndDoc;
    std::function<void(int pageIndex)> OnBeginPage; // the index the new prepared page takes
    std::function<void(int pageNo)> OnEndPage;
    // After each printed page, with its 0-based index; the handler may move the index on.
    std::function<void(int& pageIndex)> OnEndPrintPage;
    std::function<void(TRMBand* band)> OnBeginBand, OnEndBand;
    std::function<void(const QString& name, Variant& value)> OnGetValue;
    std::function<void(TRMView* view)> OnBeforePrint, OnAfterPrint;
    std::function<void(int n)> OnProgress;
    std::function<void(const QString& name, const QStringList& args, Variant& result)> OnUserFunction;
    std::function<void(TRMBand* band, int& columnCount)> OnBeginColumn;
    std::function<void(int columnNo, int& width)> OnPrintColumn;
    std::function<void(TRMPage* page)> OnManualBuild;
    std::function<void(TRMView* view)> OnObjectClick, OnMouseOverObject;
    std::function<void()> OnPrintReport;
    std::function<void(TRMBand* band, bool& print)> OnBeforePrintBand;
    std::function<void(TRMView* view)> OnCustomizeObject;
    std::function<void(TRMReport* report)> OnLoadReportSetting, OnSaveReportSetting;

    // Further fields.
    TRMReportInfo ReportInfo;
    TRMPages Pages;
    TRMEMFPages* EMFPages = nullptr; // prepared pages; the prepared-pages store attaches here
    int PrintOffsetLeft = 0;
    int PrintOffsetTop = 0;
    bool PrintBackColor = false;
    bool DoublePass = false; // streamed as a 16-bit boolean
    bool taoda = false; // the print dialog's default for PrintTaoda, kept in the settings
    std::uint8_t PrintPagePerPage = 0;
    QString PrinterName;
    QString FileName;
    QByteArray ReportStream;   // kept inside the owner form
    QObject* CurrentFilter = nullptr; // the exporter at work, not owned
    bool Terminated = false;
    bool FinalPass = false;
    int ScalePercent = 100; // the print job's scale (PrintScale)
    // The print job in progress: pre-printed-form mode (no background picture, only views
    // with PrintVisible and frames with PrintFrame), and the paper the pages are scaled
    // onto (ScalePaperId -1: none; sizes in 0.1 mm).
    bool PrintTaoda = false;
    int ScalePaperId = -1;
    int ScalePaperWidth = 0;
    int ScalePaperHeight = 0;
    bool ScaleToPaper() const { return ScalePaperId >= 0; }
    // Runs after the page setup of the preview with the new settings, before the report is
    // prepared again (the grid report rebuilds its pages here).
    std::function<void(TRMPageSetting&)> AfterPageSetup;
    // The form whose data sets report expressions name ("form.dataset"); not owned.
    QPointer<QObject> ReferenceForm;

    TRMVariables& Variables() { return *m_variables; }
    TRMDataDictionary& Dictionary() { return m_dictionary; }

    // The report's name as messages show it.
    QString Name() const { return objectName(); }

    // Any view of any page by name (case-insensitive); nullptr when none.
    TRMView* FindObject(const QString& name) const;
    // baseName followed by the smallest number n ≥ 1 no view of the report carries.
    QString GetUniqueName(const QString& baseName) const;
    // Creates a view by type code (and add-in class name), names it uniquely and adds it to
    // the page.
    TRMView* CreateObject(TRMPage* page, int typ, const QString& className = {});

    // Settings persistence through SaveReportOptions or the events that replace it.
    void LoadReportSetting();
    void SaveReportSetting();

private:
    std::unique_ptr<TRMVariables> m_variables;
    TRMDataDictionary m_dictionary;
};

class TRMCompositeReport : public TRMReport {
    Q_OBJECT
public:
    using TRMReport::TRMReport;

    int CompositeMode = rmReportPerReport;
    bool ShowPreparedReports = false;
    QList<QPointer<TRMReport>> Reports; // not owned
};

} // namespace pq
