// Running a grid report and building its design pages from the print control: the walk over
// the control and its children, the five build lists, and the bands of every design page.
#include "report/gridreport/rm_grid_report.h"

#include "base/rounding.h"
#include "base/scope_guard.h"
#include "base/units.h"
#include "report/engine/files/rm_view_stream.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_dataset.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"
#include "report/engine/rich/rtf_reader.h"
#include "report/engine/rm_rich_view.h"
#include "report/gridreport/rm_control_printers.h"
#include "report/gridreport/rm_grid_placement.h"
#include "report/preview/print/rm_print_commands.h"
#include "report/preview/printer/page_setting.h"
#include "report/preview/printer/printer.h"
#include "report/preview/surface/rm_preview.h"
#include "report/preview/window/rm_show_report.h"

#include <QAbstractScrollArea>
#include <QScrollBar>
#include <QTextDocument>

#include <algorithm>

namespace pq {

namespace {

int ToPixels(double mm) { return RoundToInt(units::MmToPixels(mm)); }

// The bottom of a band or view: top plus height.
int Bottom(const TRMView& v) { return v.Top + v.Height; }

void ResetScroll(QWidget* control)
{
    if (auto* area = qobject_cast<QAbstractScrollArea*>(control)) {
        area->horizontalScrollBar()->setValue(0);
        area->verticalScrollBar()->setValue(0);
    }
}

} // namespace

// --- the report and its data set -------------------------------------------------------------

TRMReport* TRMCustomGridReport::Report()
{
    if (!m_report)
        m_report = new TRMReport(RMDialogForm());
    return m_report;
}

TRMDBDataSet* TRMCustomGridReport::ReportDataSet()
{
    if (!m_reportDataSet) {
        QWidget* form = RMDialogForm();
        QString name;
        for (int n = 1;; ++n) {
            name = QStringLiteral("RMGridDataSet%1").arg(n);
            if (!RMFindComponent(nullptr, QString(), name))
                break;
        }
        m_reportDataSet = new TRMDBDataSet(form, name);
    }
    return m_reportDataSet;
}

void TRMCustomGridReport::KeepPrinter(std::unique_ptr<TRMFormReportObject> printer)
{
    m_keptPrinters.push_back(std::move(printer));
}

void TRMCustomGridReport::FreeKeptPrinters()
{
    if (m_keptPrinters.empty())
        return;
    // What the printers installed on the report goes with them.
    if (OnKeptPrintersFreed)
        OnKeptPrintersFreed();
    OnKeptPrintersFreed = nullptr;
    if (m_report)
        m_report->OnBeforePrintBand = nullptr;
    m_keptPrinters.clear();
}

TRMPage* TRMCustomGridReport::AddDesignPage()
{
    TRMReport& r = *Report();
    TRMPage* page = r.Pages.Add();
    const TRMPageLayout& l = m_pageLayout;
    page->LeftMargin = TRMPage::MarginThousandths(l.LeftMargin);
    page->TopMargin = TRMPage::MarginThousandths(l.TopMargin);
    page->RightMargin = TRMPage::MarginThousandths(l.RightMargin);
    page->BottomMargin = TRMPage::MarginThousandths(l.BottomMargin);
    page->ChangePaper(l.pgSize, l.Width, l.Height, l.pgOr, l.pgBin);
    return page;
}

void TRMCustomGridReport::PageChanged(TRMPageSetting& s)
{
    TRMPageLayout& l = m_pageLayout;
    l.Title = s.Title();
    l.PrinterName = s.PrinterName();
    l.DoublePass = s.DoublePass();
    l.pgOr = s.Orientation() == 1 ? poLandscape : poPortrait;
    l.Columns = s.Columns();
    l.ColumnSpace = ToPixels(s.ColumnGap());
    l.PrintBackColor = s.PrintBackColor();
    l.LeftMargin = ToPixels(s.MarginLeft());
    l.TopMargin = ToPixels(s.MarginTop());
    l.RightMargin = ToPixels(s.MarginRight());
    l.BottomMargin = ToPixels(s.MarginBottom());
    l.Width = s.PaperWidth();
    l.Height = s.PaperHeight();
    l.pgBin = s.Bin();
    l.pgSize = s.PaperSize();
    BuildReport();
}

bool TRMCustomGridReport::ShowReport() { return Run(1); }
bool TRMCustomGridReport::PrintReport() { return Run(2); }
bool TRMCustomGridReport::BuildReport() { return Run(0); }

bool TRMCustomGridReport::Run(int kind)
{
    TRMReport& r = *Report();
    TRMDBDataSet& data = *ReportDataSet();
    r.ModalPreview = true;
    data.DataSet = nullptr;
    data.DataSource = nullptr;
    // Every build starts feeding the master-data band from the report's own data set.
    UseGridDataSet = true;

    r.ReportInfo.Title = m_pageLayout.Title;
    if (!ReportTitle.isEmpty() || m_pageLayout.Title.isEmpty())
        r.ReportInfo.Title = ReportTitle;
    r.InitialZoom = InitialZoom;
    r.PreviewButtons = PreviewButtons;
    r.Preview = Preview.data();
    r.ReportType = ReportType;
    r.ShowProgress = ShowProgress;
    r.ModifyPrepared = ModifyPrepared;
    r.ShowPrintDialog = ShowPrintDialog;
    r.OnBeginBand = OnBeginBand;
    r.OnEndBand = OnEndBand;
    r.OnBeginDoc = OnBeginDoc;
    r.OnEndDoc = OnEndDoc;
    r.OnBeginPage = OnBeginPage;
    r.OnEndPage = OnEndPage;
    r.OnGetValue = OnGetValue;
    r.OnProgress = OnProgress;
    r.OnBeginColumn = OnBeginColumn;
    r.OnPrintColumn = OnPrintColumn;
    r.OnBeforePrint = nullptr;
    r.ReferenceForm = parent();
    if (ReportOptions.Has(rmgoRebuildAfterPageChanged))
        r.AfterPageSetup = [this](TRMPageSetting& s) { PageChanged(s); };
    else
        r.AfterPageSetup = nullptr;

    r.Pages.Clear();
    r.DoublePass = m_pageLayout.DoublePass;
    r.PrinterName = m_pageLayout.PrinterName;
    TRMPrinterList& printers = GetPrinterList();
    if (const qsizetype i = printers.Names().indexOf(m_pageLayout.PrinterName); i >= 0)
        GetReportPrinter().SetSelectedPrinter(static_cast<int>(i));
    AddDesignPage();
    if (!Build())
        return false;
    // A grid over the data set would repaint for every record the preparation visits.
    ClientDataSet* shown = data.DataSource ? data.DataSource->DataSet() : nullptr;
    if (!ReportOptions.Has(rmgoDisableControls))
        shown = nullptr;
    if (shown)
        shown->DisableControls();
    const ScopeExit enable([shown] {
        if (shown)
            shown->EnableControls();
    });
    switch (kind) {
    case 1: return RMShowReport(r);
    case 2: return RMPrintReport(r);
    default: return true;
    }
}

// --- the build ---------------------------------------------------------------------------------

bool TRMFormReport::Build()
{
    FreeKeptPrinters();
    ContentWidths = {QStringLiteral("0")};
    if (!PrintControl)
        return false;
    RMRegisterStandardAddIns();
    TRMReport& r = *Report();
    CurrentPage = r.Pages[0];
    HeaderObjects.clear();
    MasterObjects.clear();
    PageFooterObjects.clear();
    ColumnFooterObjects.clear();
    SummaryObjects.clear();
    m_groupFooters.clear();
    DataBandNames.clear();
    const ScopeExit freeLists([this] {
        HeaderObjects.clear();
        MasterObjects.clear();
        PageFooterObjects.clear();
        ColumnFooterObjects.clear();
        SummaryObjects.clear();
        m_groupFooters.clear();
    });
    const TRMPageLayout& l = PageLayout();
    AvailWidth = CurrentPage->PrinterInfo.PageWidth - l.LeftMargin - l.RightMargin;
    AvailHeight = CurrentPage->PrinterInfo.PageHeight - l.TopMargin - l.BottomMargin;

    // The content's extent.
    QWidget* control = PrintControl;
    ResetScroll(control);
    QList<QRect> children;
    for (QWidget* child : control->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!child->isWindow())
            children << child->geometry();
    const TRMContentExtent extent = RMContentExtent(children, control->contentsRect().size());
    ContentWidths[0] = QString::number(extent.Width);
    ContentHeight = extent.Height;

    GridPrinted = false;
    GridTop = 0;
    GridHeight = 0;
    Walk(control, -control->x(), -control->y());
    OriginX = 0;
    OriginY = 0;

    // The form's controls print once per record of the form's data set.
    if (!ReportOptions.Has(rmgoSelectedRecordsOnly) && MasterObjects.isEmpty() && (DataSet || DataSource)) {
        if (DataSet)
            ReportDataSet()->DataSet = DataSet->DataSet();
        if (DataSource)
            ReportDataSet()->DataSource = DataSource;
        MasterObjects = HeaderObjects;
        HeaderObjects.clear();
    }
    HasMasterData = !MasterObjects.isEmpty();

    int y = BuildHeaderBands();
    if (HasMasterData)
        BuildGroupBands(y);
    const int y0 = BuildMasterDataBands(y);
    if (!m_groupFooters.isEmpty())
        BuildSummaryIntoGroupFooters(y0);
    int columnFooterTop = y0;
    if (!m_groupFooters.isEmpty()) {
        for (TRMBandView* f : m_groupFooters)
            columnFooterTop = std::max(columnFooterTop, Bottom(*f) + 1);
    }
    BuildColumnFooterBands(columnFooterTop);
    BuildPageFooterBands();
    if (!SummaryObjects.isEmpty() && m_groupFooters.isEmpty())
        BuildMasterFooterBands();

    for (int i = 0; i < r.Pages.Count(); ++i)
        for (TRMView* v : OnPage(SummaryObjects, r.Pages[i]))
            if (auto* calc = dynamic_cast<TRMCalcMemoView*>(v))
                calc->DataBand = DataBandNames.value(i);

    for (int i = 0; i < r.Pages.Count(); ++i)
        for (auto& v : r.Pages[i]->Objects)
            v->SetBounds(v->Left + l.LeftMargin, v->Top + l.TopMargin, v->Width, v->Height);
    return true;
}

void TRMFormReport::Walk(QWidget* control, int x, int y)
{
    const int savedX = OriginX, savedY = OriginY;
    OriginX = x;
    OriginY = y;
    const ScopeExit restore([&] {
        OriginX = savedX;
        OriginY = savedY;
    });
    ResetScroll(control);

    QString printerClass;
    bool ownerDraw = false;
    if (OnPrintObject)
        OnPrintObject(*this, CurrentPage, control, printerClass, ownerDraw);
    bool byRegistry = false;
    const TRMControlPrinterClass* cls = nullptr;
    if (!ownerDraw) {
        if (!printerClass.isEmpty()) {
            cls = RMControlPrinterByName(printerClass);
        } else if ((cls = RMFindControlPrinter(*control))) {
            byRegistry = true;
        }
    }
    if (!ownerDraw && cls) {
        std::unique_ptr<TRMFormReportObject> printer = cls->Create();
        TRMView* view = nullptr;
        printer->GeneratePrintObject(*this, CurrentPage, control, view);
        if (view && OnAfterCreateObject)
            OnAfterCreateObject(control, view);
        if (!printer->AutoFree)
            KeepPrinter(std::move(printer));
    }
    if (byRegistry || ownerDraw)
        return;
    QList<QWidget*> children;
    for (QWidget* child : control->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!child->isWindow())
            children << child;
    std::stable_sort(children.begin(), children.end(), [](QWidget* a, QWidget* b) {
        return a->y() != b->y() ? a->y() < b->y() : a->x() < b->x();
    });
    for (QWidget* child : children)
        Walk(child, x + control->x(), y + control->y());
}

QList<TRMView*> TRMFormReport::OnPage(const QList<TRMView*>& views, const TRMPage* page) const
{
    QList<TRMView*> out;
    for (TRMView* v : views)
        for (const auto& o : page->Objects)
            if (o.get() == v || o->Name.compare(v->Name, Qt::CaseInsensitive) == 0) {
                out << v;
                break;
            }
    return out;
}

TRMBandView* TRMFormReport::NewBand(TRMPage* page, int type, int x, int y, int w, int h)
{
    auto* band = static_cast<TRMBandView*>(Report()->CreateObject(page, gtBand));
    band->SetBandType(type);
    band->SetBounds(x, y, w, h);
    return band;
}

TRMView* TRMFormReport::CaptionView(const TRMPageHeaderFooter& caption, TRMPage* page, int top, int& height)
{
    height = 0;
    const QString text = caption.Caption().join(QLatin1Char('\n'));
    if (text.trimmed().isEmpty())
        return nullptr;
    // A document with no line makes no view.
    const QByteArray rtf = TRMRichView::JoinRtf(caption.Caption());
    QTextDocument loaded;
    RMReadRtf(rtf, loaded);
    if (loaded.isEmpty())
        return nullptr;
    auto* rich = static_cast<TRMRichView*>(Report()->CreateObject(page, gtAddIn, QStringLiteral("TRMRichView")));
    rich->SetRtf(rtf);
    rich->SetFlag(flTextOnly, true);
    rich->SetFrameTyp(0);
    rich->BandAlign = baWidth;
    const TRMPageLayout& l = PageLayout();
    const int width = page->PrinterInfo.PageWidth - l.LeftMargin - l.RightMargin;
    rich->SetBounds(0, top, width, 10);
    height = caption.Height() > 0 ? caption.Height() : rich->CalcHeight() + 2;
    rich->SetBounds(0, top, 10, height);
    rich->SetFlag(flTextOnly, false);
    return rich;
}

int TRMFormReport::BuildHeaderBands()
{
    TRMReport& r = *Report();
    const TRMPlacementContext base = [this] {
        TRMPlacementContext c = TRMPlacementContext::From(ScaleMode());
        c.AvailWidth = AvailWidth;
        c.AvailHeight = AvailHeight;
        c.ContentHeight = ContentHeight;
        c.HasMasterData = HasMasterData;
        return c;
    }();
    TRMBandView* last = nullptr;
    for (int i = 0; i < r.Pages.Count(); ++i) {
        TRMPage* page = r.Pages[i];
        TRMBandView* band = NewBand(page, PageHeaderOnly1 ? btPageHeader : btReportTitle, 0, 0, 0, 0);
        band->Visible = PageHeaderOnly1 || i == 0;
        int y = 0;
        int h = 0;
        if (CaptionView(PageHeader(), page, band->Top, h)) {
            y = h + 2;
            band->Height = h + 2;
        }
        const int width = ContentWidths.value(i).toInt();
        for (TRMView* v : OnPage(HeaderObjects, page)) {
            RMPlaceView(*v, band->Top, width, base);
            v->SetBounds(v->Left, v->Top + band->Top + y, v->Width, v->Height);
            band->Height = std::max(band->Height, Bottom(*v) - band->Top);
        }
        last = band;
    }
    return last ? Bottom(*last) : 0;
}

void TRMFormReport::BuildGroupBands(int& y)
{
    TRMDBDataSet* data = ReportDataSet();
    ClientDataSet* source = data->Source();
    if (!source)
        return;
    TRMReport& r = *Report();
    const QString formName = data->parent() ? data->parent()->objectName() : QString();
    for (int i = 0; i < r.Pages.Count(); ++i) {
        TRMPage* page = r.Pages[i];
        for (const TRMGroupItem& g : Groups().Items()) {
            if (g.GroupFieldName.isEmpty())
                continue;
            TRMBandView* header = NewBand(page, btGroupHeader, 0, y + 1, 0, 0);
            header->SetBandFlag(flBandFormNewPage, g.FormNewPage);
            const bool isField = source->FieldIndex(g.GroupFieldName) >= 0;
            header->SetDataSource(isField
                    ? QStringLiteral("[%1.%2.\"%3\"]").arg(formName, data->Name(), g.GroupFieldName)
                    : g.GroupFieldName);
            y += 1;
        }
        int y2 = y;
        const QList<TRMGroupItem>& items = Groups().Items();
        for (auto it = items.rbegin(); it != items.rend(); ++it) {
            if (it->GroupFieldName.isEmpty())
                continue;
            m_groupFooters << NewBand(page, btGroupFooter, 0, y2 + 1, 0, 0);
            y2 += 1;
        }
    }
}

int TRMFormReport::BuildMasterDataBands(int y)
{
    TRMReport& r = *Report();
    TRMPlacementContext c = TRMPlacementContext::From(ScaleMode());
    c.AvailWidth = AvailWidth;
    c.AvailHeight = AvailHeight;
    c.ContentHeight = ContentHeight;
    c.HasMasterData = HasMasterData;
    if (MasterObjects.isEmpty())
        return y + 1;
    TRMBandView* last = nullptr;
    const TRMMasterDataBandOptions& m = MasterDataBandOptions();
    for (int i = 0; i < r.Pages.Count(); ++i) {
        TRMPage* page = r.Pages[i];
        TRMBandView* band = NewBand(page, btMasterData, 0, y + 1, 0, 0);
        band->SetDataSource(UseGridDataSet ? QStringLiteral("RMDialogForm.") + ReportDataSet()->Name() : QString());
        band->SetBandFlag(flBandAutoAppendBlank, ReportOptions.Has(rmgoAppendBlank));
        band->SetFlag(flStretched, ReportOptions.Has(rmgoStretch));
        band->LinesPerPage = static_cast<std::uint16_t>(std::clamp(m.LinesPerPage, 0, 65535));
        band->SetColumns(m.Columns);
        band->ColumnWidth = m.ColumnWidth;
        band->ColumnGap = m.ColumnGap;
        band->SetBandFlag(flBandFormNewPage, m.NewPageAfter);
        DataBandNames << band->Name;
        const int width = ContentWidths.value(i).toInt();
        for (TRMView* v : OnPage(MasterObjects, page)) {
            v->SetBounds(v->Left, v->Top + band->Top, v->Width, v->Height);
            RMPlaceView(*v, band->Top, width, c);
            band->Height = std::max(band->Height, Bottom(*v) - band->Top);
        }
        last = band;
    }
    return Bottom(*last) + 1;
}

void TRMFormReport::BuildSummaryIntoGroupFooters(int y0)
{
    TRMReport& r = *Report();
    TRMPlacementContext c = TRMPlacementContext::From(ScaleMode());
    c.AvailWidth = AvailWidth;
    c.AvailHeight = AvailHeight;
    c.ContentHeight = ContentHeight;
    c.HasMasterData = HasMasterData;
    int k = 0;
    for (int i = 0; i < r.Pages.Count() && k < m_groupFooters.size(); ++i) {
        TRMPage* page = r.Pages[i];
        int y = y0;
        TRMBandView* footer = m_groupFooters[k];
        footer->SetBounds(footer->Left, y, footer->Width, footer->Height);
        const int width = ContentWidths.value(i).toInt();
        for (TRMView* v : OnPage(SummaryObjects, page)) {
            v->SetBounds(v->Left, v->Top + y, v->Width, v->Height);
            RMPlaceView(*v, footer->Top, width, c);
            footer->Height = std::max(footer->Height, Bottom(*v) - footer->Top);
        }
        ++k;
        y = Bottom(*footer) + 1;
        for (; k < m_groupFooters.size(); ++k) {
            TRMBandView* f = m_groupFooters[k];
            const bool here = std::any_of(page->Objects.begin(), page->Objects.end(),
                [f](const auto& o) { return o.get() == f; });
            if (!here)
                break;
            f->SetBounds(f->Left, y, f->Width, f->Height);
            y += f->Height + 1;
        }
    }
}

void TRMFormReport::BuildColumnFooterBands(int y)
{
    TRMReport& r = *Report();
    TRMPlacementContext c = TRMPlacementContext::From(ScaleMode());
    c.AvailWidth = AvailWidth;
    c.AvailHeight = AvailHeight;
    c.ContentHeight = ContentHeight;
    c.HasMasterData = HasMasterData;
    for (int i = 0; i < r.Pages.Count(); ++i) {
        TRMPage* page = r.Pages[i];
        TRMBandView* band = NewBand(page, btColumnFooter, 0, y, 0, 0);
        band->Visible = PageHeaderOnly1;
        const int width = ContentWidths.value(i).toInt();
        for (TRMView* v : OnPage(ColumnFooterObjects, page)) {
            v->SetBounds(v->Left, v->Top - (GridTop + GridHeight) + band->Top, v->Width, v->Height);
            RMPlaceView(*v, band->Top, width, c);
            band->Height = std::max(band->Height, Bottom(*v) - band->Top);
        }
        int h = 0;
        if (CaptionView(ColumnFooter(), page, band->Top + band->Height, h))
            band->Height += h + 2;
    }
}

void TRMFormReport::BuildPageFooterBands()
{
    TRMReport& r = *Report();
    TRMPlacementContext c = TRMPlacementContext::From(ScaleMode());
    c.AvailWidth = AvailWidth;
    c.AvailHeight = AvailHeight;
    c.ContentHeight = ContentHeight;
    c.HasMasterData = HasMasterData;
    for (int i = 0; i < r.Pages.Count(); ++i) {
        TRMPage* page = r.Pages[i];
        // The last column-footer band of this page: the one just made.
        TRMBandView* columnFooter = nullptr;
        for (const auto& o : page->Objects)
            if (auto* b = dynamic_cast<TRMBandView*>(o.get()); b && b->BandType() == btColumnFooter)
                columnFooter = b;
        const int top = columnFooter ? Bottom(*columnFooter) + 1 : 0;
        TRMBandView* band = NewBand(page, btPageFooter, 0, top, 0, 3);
        band->Visible = PageHeaderOnly1;
        const int width = ContentWidths.value(i).toInt();
        for (TRMView* v : OnPage(PageFooterObjects, page)) {
            v->SetBounds(v->Left, v->Top - ((columnFooter ? columnFooter->Top : 0) + 1) + band->Top, v->Width, v->Height);
            RMPlaceView(*v, band->Top, width, c);
            band->Height = std::max(band->Height, Bottom(*v) - band->Top);
        }
        int h = 0;
        if (CaptionView(PageFooter(), page, band->Top + band->Height + 2, h))
            band->Height += h + 2;
    }
}

void TRMFormReport::BuildMasterFooterBands()
{
    TRMReport& r = *Report();
    TRMPlacementContext c = TRMPlacementContext::From(ScaleMode());
    c.AvailWidth = AvailWidth;
    c.AvailHeight = AvailHeight;
    c.ContentHeight = ContentHeight;
    c.HasMasterData = HasMasterData;
    int y = 0;
    for (int i = 0; i < r.Pages.Count(); ++i)
        for (const auto& o : r.Pages[i]->Objects)
            if (auto* b = dynamic_cast<TRMBandView*>(o.get()); b && b->BandType() == btPageFooter)
                y = Bottom(*b) + 1;
    for (int i = 0; i < r.Pages.Count(); ++i) {
        TRMPage* page = r.Pages[i];
        const QList<TRMView*> views = OnPage(SummaryObjects, page);
        // The band comes after its views in the page's list.
        TRMBandView* band = NewBand(page, btMasterFooter, 0, y, 0, 0);
        const int width = ContentWidths.value(i).toInt();
        for (TRMView* v : views) {
            v->SetBounds(v->Left, v->Top + y, v->Width, v->Height);
            RMPlaceView(*v, band->Top, width, c);
            band->Height = std::max(band->Height, Bottom(*v) - band->Top);
        }
    }
}

} // namespace pq
