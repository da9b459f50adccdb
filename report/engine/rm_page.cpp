#include "report/engine/rm_page.h"

#include "report/engine/rm_band.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/rm_report.h"

#include "base/rounding.h"
#include "base/units.h"

#include <algorithm>

namespace pq {

TRMPage::TRMPage(int paperSize, int paperWidthTenths, int paperHeightTenths, int orientation, int bin)
{
    ChangePaper(paperSize, paperWidthTenths, paperHeightTenths, orientation, bin);
}

TRMPage::~TRMPage()
{
    FreeRunBands();
    ClearObjects();
    RMForgetPage(this);
}

int TRMPage::MarginPixels(int thousandths)
{
    return static_cast<int>(Round(units::MmToPixels(thousandths / 1000.0)));
}

int TRMPage::MarginThousandths(int pixels)
{
    return static_cast<int>(Round(units::PixelsToMm(pixels) * 1000.0));
}

int TRMPage::LeftLimit() const
{
    return MarginPixels(LeftMargin);
}

int TRMPage::TopLimit() const
{
    return MarginPixels(TopMargin);
}

int TRMPage::RightLimit() const
{
    return PrinterInfo.PageWidth - MarginPixels(RightMargin);
}

int TRMPage::BottomLimit() const
{
    int limit = PrinterInfo.PageHeight - MarginPixels(BottomMargin);
    const TRMEngineState& st = RMEngineState();
    if (st.Previewing || st.Printing) {
        for (const auto& v : Objects)
            if (v->Typ == gtBand && v->LineKind == btPageFooter) {
                limit -= v->Height;
                break;
            }
    }
    return limit;
}

void TRMPage::RecalcColumnWidth()
{
    const int gap = MarginPixels(ColumnGap);
    const int cols = std::max(1, Columns);
    ColumnWidth = static_cast<int>(Div(RightLimit() - LeftLimit() - (cols - 1) * gap, cols));
}

void TRMPage::SetColumns(int columns)
{
    Columns = std::max(1, columns);
    RecalcColumnWidth();
}

void TRMPage::PrepareColumns()
{
    Columns = std::max(1, Columns);
    for (auto& v : Objects)
        if (auto* b = dynamic_cast<TRMBandView*>(v.get()); b && b->Columns < 1)
            b->Columns = 1;
    RecalcColumnWidth();
}

void TRMPage::ChangePaper(int paperSize, int widthTenths, int heightTenths, int orientation, int bin)
{
    PageSize = paperSize;
    Orientation = orientation == poLandscape ? poLandscape : poPortrait;
    PageBin = bin == 0xFFFF ? -1 : bin;
    PrnWidth = widthTenths * 100;
    PrnHeight = heightTenths * 100;
    // Sheet size in screen pixels, orientation applied; the printer refines the rest when
    // it formats the page.
    int w = widthTenths, h = heightTenths;
    if (Orientation == poLandscape && w < h)
        std::swap(w, h);
    PrinterInfo.PageWidth = static_cast<int>(Round(units::TenthsMmToPixels(w)));
    PrinterInfo.PageHeight = static_cast<int>(Round(units::TenthsMmToPixels(h)));
    PrinterInfo.PrintableWidth = PrinterInfo.PageWidth;
    PrinterInfo.PrintableHeight = PrinterInfo.PageHeight;
    RecalcColumnWidth();
}

TRMView* TRMPage::AddObject(std::unique_ptr<TRMView> view)
{
    if (!view)
        return nullptr;
    view->ParentPage = this;
    if (view->Name.isEmpty() && Report)
        view->Name = Report->GetUniqueName(view->BaseName);
    Objects.push_back(std::move(view));
    return Objects.back().get();
}

TRMView* TRMPage::FindObject(const QString& name) const
{
    for (const auto& v : Objects)
        if (v->Name.compare(name, Qt::CaseInsensitive) == 0)
            return v.get();
    return nullptr;
}

int TRMPage::IndexOf(const TRMView* view) const
{
    for (size_t i = 0; i < Objects.size(); ++i)
        if (Objects[i].get() == view)
            return static_cast<int>(i);
    return -1;
}

void TRMPage::DeleteObject(int index)
{
    if (index < 0 || index >= static_cast<int>(Objects.size()))
        return;
    Objects.erase(Objects.begin() + index);
}

void TRMPage::ClearObjects()
{
    // Views may refer to their bands; free the run-time side first.
    FreeRunBands();
    Objects.clear();
}

void TRMPage::FreeRunBands()
{
    Bands.fill(nullptr);
    LastBand = nullptr;
    DelayedBands.clear();
    RunBands.clear();
}

QStringList* TRMPage::StringListProp(const QString& n)
{
    if (n == QLatin1String("SCRIPT") || n == QLatin1String("ONBEFOREPRINT"))
        return &Script;
    if (n == QLatin1String("ONACTIVATE"))
        return &OnActivate;
    return nullptr;
}

namespace {

// Margins are millimetres while designing and pixels while preparing.
Variant MarginOut(int thousandths)
{
    if (RMEngineState().Preparing)
        return Variant::FromInt(TRMPage::MarginPixels(thousandths));
    return Variant::FromFloat(thousandths / 1000.0);
}

int MarginIn(const Variant& v, int current)
{
    if (RMEngineState().Preparing)
        return static_cast<int>(Round(units::PixelsToMm(PropFloat(v, 0)) * 1000));
    const double mm = PropFloat(v, current / 1000.0);
    return static_cast<int>(Round(mm * 1000));
}

} // namespace

void TRMPage::SetPropValue(const QString& name, const Variant& value)
{
    const QString n = name.toUpper();
    auto i = [&value](std::int64_t fb) { return static_cast<int>(PropInt(value, fb)); };
    if (n == QLatin1String("TYPE"))
        Type = i(Type) == ptDialog ? ptDialog : ptReport;
    else if (n == QLatin1String("VISIBLE"))
        Visible = PropBool(value) ? 1 : 0;
    else if (n == QLatin1String("BORDERSTYLE"))
        BorderStyle = i(BorderStyle);
    else if (n == QLatin1String("CAPTION"))
        Caption = PropText(value);
    else if (n == QLatin1String("COLOR"))
        Color = static_cast<std::uint32_t>(PropInt(value, Color));
    else if (n == QLatin1String("LEFT"))
        Left = i(Left);
    else if (n == QLatin1String("TOP"))
        Top = i(Top);
    else if (n == QLatin1String("WIDTH"))
        Width = i(Width);
    else if (n == QLatin1String("HEIGHT"))
        Height = i(Height);
    else if (n == QLatin1String("POSITION"))
        Position = i(Position);
    else if (n == QLatin1String("SIZE"))
        PageSize = i(PageSize);
    else if (n == QLatin1String("LEFTMARGIN"))
        LeftMargin = MarginIn(value, LeftMargin);
    else if (n == QLatin1String("TOPMARGIN"))
        TopMargin = MarginIn(value, TopMargin);
    else if (n == QLatin1String("RIGHTMARGIN"))
        RightMargin = MarginIn(value, RightMargin);
    else if (n == QLatin1String("BOTTOMMARGIN"))
        BottomMargin = MarginIn(value, BottomMargin);
    else if (n == QLatin1String("ORIENTATION"))
        Orientation = i(Orientation) == poLandscape ? poLandscape : poPortrait;
    else if (n == QLatin1String("PRINTTOPREVPAGE"))
        PrintToPrevPage = PropBool(value);
    else if (n == QLatin1String("COLUMNS"))
        SetColumns(i(Columns));
    else if (n == QLatin1String("COLUMNGAP"))
        ColumnGap = MarginIn(value, ColumnGap);
    else if (n == QLatin1String("ONBEFOREPRINT"))
        Script = PropText(value).split(QLatin1Char('\n'));
    else if (n == QLatin1String("BACKGROUNDLEFT"))
        BackGroundLeft = i(BackGroundLeft);
    else if (n == QLatin1String("BACKGROUNDTOP"))
        BackGroundTop = i(BackGroundTop);
    else if (n == QLatin1String("AUTOHCENTER"))
        AutoHCenter = PropBool(value) ? 1 : 0;
    else if (n == QLatin1String("SHOWBACKPICTURE"))
        ShowBackPicture = PropBool(value) ? 1 : 0;
    else if (n == QLatin1String("PRINTPAGEPERPAGE")) {
        if (Report)
            Report->PrintPagePerPage = PropBool(value) ? 1 : 0;
    } else
        TRMObject::SetPropValue(n, value);
}

Variant TRMPage::GetPropValue(const QString& name)
{
    const QString n = name.toUpper();
    if (n == QLatin1String("TYPE"))
        return Variant::FromInt(Type);
    if (n == QLatin1String("VISIBLE"))
        return Variant::FromBool(Visible != 0);
    if (n == QLatin1String("BORDERSTYLE"))
        return Variant::FromInt(BorderStyle);
    if (n == QLatin1String("CAPTION"))
        return Variant(Caption);
    if (n == QLatin1String("COLOR"))
        return Variant::FromInt(Color);
    if (n == QLatin1String("LEFT"))
        return Variant::FromInt(Left);
    if (n == QLatin1String("TOP"))
        return Variant::FromInt(Top);
    if (n == QLatin1String("WIDTH"))
        return Variant::FromInt(Width);
    if (n == QLatin1String("HEIGHT"))
        return Variant::FromInt(Height);
    if (n == QLatin1String("POSITION"))
        return Variant::FromInt(Position);
    if (n == QLatin1String("SIZE"))
        return Variant::FromInt(PageSize);
    if (n == QLatin1String("LEFTMARGIN"))
        return MarginOut(LeftMargin);
    if (n == QLatin1String("TOPMARGIN"))
        return MarginOut(TopMargin);
    if (n == QLatin1String("RIGHTMARGIN"))
        return MarginOut(RightMargin);
    if (n == QLatin1String("BOTTOMMARGIN"))
        return MarginOut(BottomMargin);
    if (n == QLatin1String("ORIENTATION"))
        return Variant::FromInt(Orientation);
    if (n == QLatin1String("PRINTTOPREVPAGE"))
        return Variant::FromBool(PrintToPrevPage);
    if (n == QLatin1String("COLUMNS"))
        return Variant::FromInt(Columns);
    if (n == QLatin1String("COLUMNGAP"))
        return MarginOut(ColumnGap);
    if (n == QLatin1String("ONBEFOREPRINT"))
        return Variant(Script.join(QLatin1String("\r\n")));
    if (n == QLatin1String("ONACTIVATE"))
        return Variant(OnActivate.join(QLatin1String("\r\n")));
    if (n == QLatin1String("BACKGROUND"))
        return Variant::FromBool(!BackPicture.isNull());
    if (n == QLatin1String("BACKGROUNDLEFT"))
        return Variant::FromInt(BackGroundLeft);
    if (n == QLatin1String("BACKGROUNDTOP"))
        return Variant::FromInt(BackGroundTop);
    if (n == QLatin1String("AUTOHCENTER"))
        return Variant::FromBool(AutoHCenter != 0);
    if (n == QLatin1String("PRINTPAGEPERPAGE"))
        return Variant::FromBool(Report && Report->PrintPagePerPage != 0);
    if (n == QLatin1String("OBJECTS.COUNT"))
        return Variant::FromInt(static_cast<std::int64_t>(Objects.size()));
    if (n == QLatin1String("SHOWBACKPICTURE"))
        return Variant::FromBool(ShowBackPicture != 0);
    return TRMObject::GetPropValue(n);
}

Variant TRMPage::DoMethod(const QString& name, const QList<Variant>& args)
{
    const QString n = name.toUpper();
    auto arg = [&args](int k) { return k < args.size() ? args.at(k) : Variant(); };
    if (n == QLatin1String("LOADFROMFILE")) {
        QImage image;
        const bool ok = image.load(PropText(arg(0)));
        if (ok)
            BackPicture = image;
        return Variant::FromBool(ok);
    }
    if (n == QLatin1String("CHANGEPAPER")) {
        // (size, width, height in tenths of a millimetre, orientation, bin)
        ChangePaper(static_cast<int>(PropInt(arg(0), PageSize)),
            static_cast<int>(PropInt(arg(1), PrnWidth / 100)),
            static_cast<int>(PropInt(arg(2), PrnHeight / 100)),
            static_cast<int>(PropInt(arg(3), Orientation)), static_cast<int>(PropInt(arg(4), PageBin)));
        return Variant::Null();
    }
    if (n == QLatin1String("SETVIEWPROP")) {
        // (view name, property, value)
        if (TRMView* v = FindObject(PropText(arg(0))))
            v->SetPropValue(PropText(arg(1)), arg(2));
        return Variant::Null();
    }
    return TRMObject::DoMethod(n, args);
}

// ---- pages ----

TRMPages::~TRMPages()
{
    Clear();
}

TRMPage* TRMPages::Page(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return m_pages[index].get();
}

TRMPage* TRMPages::Add()
{
    // The report printer records, on first use, the paper new pages start with.
    TRMPrinter& printer = GetReportPrinter();
    if (printer.DefaultPaperWidth() <= 0 || printer.DefaultPaperHeight() <= 0)
        return Add(9, 2100, 2970, poPortrait, -1);
    return Add(printer.DefaultPaperSize(), printer.DefaultPaperWidth(), printer.DefaultPaperHeight(),
        poPortrait, -1);
}

TRMPage* TRMPages::Add(int paperSize, int widthTenths, int heightTenths, int orientation, int bin)
{
    auto page = std::make_unique<TRMPage>(paperSize, widthTenths, heightTenths, orientation, bin);
    page->Report = m_report;
    m_pages.push_back(std::move(page));
    return m_pages.back().get();
}

void TRMPages::Swap(TRMPages& other)
{
    m_pages.swap(other.m_pages);
    for (auto& p : m_pages)
        p->Report = m_report;
    for (auto& p : other.m_pages)
        p->Report = other.m_report;
}

void TRMPages::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    m_pages.erase(m_pages.begin() + index);
}

void TRMPages::Clear()
{
    m_pages.clear();
}

int TRMPages::IndexOf(const TRMPage* page) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_pages[i].get() == page)
            return i;
    return -1;
}

TRMPage* TRMPages::PageByScriptName(const QString& name) const
{
    if (!name.startsWith(QLatin1String("PAGE"), Qt::CaseInsensitive))
        return nullptr;
    bool ok = false;
    const int number = name.mid(4).toInt(&ok);
    return ok ? Page(number - 1) : nullptr;
}

} // namespace pq
