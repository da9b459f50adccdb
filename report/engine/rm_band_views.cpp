#include "report/engine/rm_band_views.h"

#include "report/engine/rm_band.h"
#include "report/engine/rm_dataset.h"
#include "report/engine/rm_engine_state.h"

#include "report/engine/canvas/rm_canvas.h"

namespace pq {

// ---- band view ----

TRMBandView::TRMBandView()
{
    BaseName = QStringLiteral("Band");
    Typ = gtBand;
    ObjectVersion = 0;
    MemoVersion = 0;
    Selected = false; // bands are never waiting to be assigned to a band
    Flags = flBandOnFirstPage | flBandOnLastPage | flBandPrintColFirst;
    LineKind = btNone;
}

void TRMBandView::SetColumns(int columns)
{
    Columns = std::min(columns, kMaxColumns);
}

void TRMBandView::SetBandFlag(int bit, bool on)
{
    SetFlag(bit, on);
    if (bit == flBandRepeatHeader1 && on
        && (BandType() == btPageHeader || BandType() == btColumnHeader))
        SetFlag(flBandRepeatHeader, true);
}

namespace {

struct BandFlagName {
    const char* name;
    int bit;
};
// Scripts and the designer's table spell the band flags in capitals.
const BandFlagName kBandFlagNames[] = {
    {"STRETCHED", flBandStretched}, {"FORMNEWPAGE", flBandFormNewPage},
    {"PRINTIFSUBSETEMPTY", flBandPrintIfSubsetEmpty}, {"BREAKED", flBandBreaked},
    {"ONFIRSTPAGE", flBandOnFirstPage}, {"ONLASTPAGE", flBandOnLastPage},
    {"REPEATHEADER", flBandRepeatHeader}, {"PRINTCHILDIFINVISIBLE", flBandPrintChildIfInvisible},
    {"AUTOAPPENDBLANK", flBandAutoAppendBlank}, {"ADJUSTCOLUMNS", flBandAdjustColumns},
    {"PRINTCOLFIRST", flBandPrintColFirst}, {"REPEATHEADER1", flBandRepeatHeader1},
    {"PRINTIFEMPTY", flBandPrintIfEmpty}, {"PRINTATDESIGNPOS", flBandPrintAtDesignPos},
};

using P = TRMProps<TRMBandView>;

// While a page is prepared, geometry and visibility address the run-time band.
TRMBand* PreparingBand(const TRMBandView& b)
{
    return RMCurrent().CurReport && RMEngineState().Preparing ? b.RunBand : nullptr;
}

// A name the run-time band answers while preparing; the view's own row otherwise.
TRMPropRow RunTimeRow(const TRMPropTable& view, const QString& name, std::function<Variant(TRMBand&)> get,
    std::function<void(TRMBand&, const Variant&)> set)
{
    const TRMPropRow* viewGet = view.Getter(name.toUpper());
    const TRMPropRow* viewSet = view.Setter(name.toUpper());
    return P::Row(name,
        [get = std::move(get), viewGet](TRMBandView& b) {
            if (TRMBand* rt = PreparingBand(b))
                return get(*rt);
            return viewGet->Get(b);
        },
        [set = std::move(set), viewSet](TRMBandView& b, const Variant& x) {
            if (TRMBand* rt = PreparingBand(b))
                set(*rt, x);
            else
                viewSet->Set(b, x);
        });
}

TRMPropRow RunTimeGeometry(const TRMPropTable& view, const QString& name, int TRMBand::*field)
{
    return RunTimeRow(view, name, [field](TRMBand& rt) { return Variant::FromInt(rt.*field); },
        [field](TRMBand& rt, const Variant& x) { rt.*field = static_cast<int>(PropInt(x, rt.*field)); });
}

std::vector<TRMPropRow> BandRows(const TRMPropTable& view)
{
    std::vector<TRMPropRow> rows;
    rows.push_back(P::ListingOf(QStringLiteral("Name")).List(rmdtString | rmdtOneObject));
    rows.push_back(RunTimeGeometry(view, QStringLiteral("Top"), &TRMBand::CurTop).List(rmdtSize));
    rows.push_back(RunTimeGeometry(view, QStringLiteral("Height"), &TRMBand::Height).List(rmdtSize));
    rows.push_back(RunTimeGeometry(view, QStringLiteral("Left"), &TRMBand::Left));
    rows.push_back(RunTimeGeometry(view, QStringLiteral("Width"), &TRMBand::Width));
    rows.push_back(RunTimeRow(view, QStringLiteral("Visible"),
        [](TRMBand& rt) { return Variant::FromBool(rt.Visible); },
        [](TRMBand& rt, const Variant& x) { rt.Visible = PropBool(x); }));
    for (const BandFlagName& f : kBandFlagNames) {
        const int bit = f.bit;
        rows.push_back(P::Row(QString::fromLatin1(f.name),
            [bit](TRMBandView& b) { return Variant::FromBool(b.HasFlag(bit)); },
            [bit](TRMBandView& b, const Variant& x) { b.SetBandFlag(bit, PropBool(x)); })
                .List(rmdtBoolean));
    }
    rows.push_back(P::Text(QStringLiteral("ChildBand"), &TRMBandView::ChildBand).List(rmdtHasEditor));
    // The data source, or a group header's condition, lives in FormatStr.
    rows.push_back(P::Text(QStringLiteral("DataSource"), &TRMBandView::FormatStr).List(rmdtHasEditor));
    rows.push_back(P::Row(QStringLiteral("Columns"), [](TRMBandView& b) { return Variant::FromInt(b.Columns); },
        [](TRMBandView& b, const Variant& x) { b.SetColumns(static_cast<int>(PropInt(x, b.Columns))); })
            .List(rmdtInteger));
    rows.push_back(P::Int(QStringLiteral("ColumnWidth"), &TRMBandView::ColumnWidth).List(rmdtSize));
    rows.push_back(P::Int(QStringLiteral("ColumnGap"), &TRMBandView::ColumnGap).List(rmdtSize));
    rows.push_back(P::Int(QStringLiteral("NewColumnAfter"), &TRMBandView::NewColumnAfter).List(rmdtInteger));
    rows.push_back(P::Int(QStringLiteral("LinesPerPage"), &TRMBandView::LinesPerPage).List(rmdtInteger));
    rows.push_back(P::Int(QStringLiteral("GroupsPerPage"), &TRMBandView::LinesPerPage));
    rows.push_back(P::Row(QStringLiteral("RangeBegin"),
        [](TRMBandView& b) { return Variant::FromInt(b.RangeBegin); },
        [](TRMBandView& b, const Variant& x) {
            const std::int64_t r = PropInt(x, b.RangeBegin);
            if (r >= rbFirst && r <= rbDefault)
                b.RangeBegin = static_cast<std::uint8_t>(r);
        })
            .ListEnum(QStringLiteral("rbFirst;rbCurrent;rbDefault"),
                {Variant::FromInt(0), Variant::FromInt(1), Variant::FromInt(2)}));
    rows.push_back(P::Row(QStringLiteral("RangeEnd"), [](TRMBandView& b) { return Variant::FromInt(b.RangeEnd); },
        [](TRMBandView& b, const Variant& x) {
            const std::int64_t r = PropInt(x, b.RangeEnd);
            if (r >= reLast && r <= reDefault)
                b.RangeEnd = static_cast<std::uint8_t>(r);
        })
            .ListEnum(QStringLiteral("reLast;reCurrent;reCount;reDefault"),
                {Variant::FromInt(0), Variant::FromInt(1), Variant::FromInt(2), Variant::FromInt(3)}));
    rows.push_back(P::Int(QStringLiteral("RangeEndCount"), &TRMBandView::RangeEndCount).List(rmdtInteger));
    // The new-page condition lives in Tag.
    rows.push_back(P::Text(QStringLiteral("NewPageCondition"), &TRMBandView::Tag).List(rmdtHasEditor));
    rows.push_back(P::Text(QStringLiteral("Condition"), &TRMBandView::FormatStr).List(rmdtHasEditor));
    rows.push_back(P::Text(QStringLiteral("Master"), &TRMBandView::Master).List(rmdtHasEditor));
    // The row names read the run-time band's data set, whenever there is one.
    auto dataSet = [](const TRMBandView& b) { return b.RunBand ? b.RunBand->DataSet : nullptr; };
    rows.push_back(P::ReadOnly(QStringLiteral("RowNo"), [dataSet](TRMBandView& b) {
        const TRMDataset* ds = dataSet(b);
        return Variant::FromInt(ds ? ds->RecNo + 1 : 0);
    }));
    rows.push_back(P::ReadOnly(QStringLiteral("RowCount"), [dataSet](TRMBandView& b) {
        const TRMDataset* ds = dataSet(b);
        return Variant::FromInt(ds ? ds->RecordCount() : 0);
    }));
    rows.push_back(P::ReadOnly(QStringLiteral("EOF"), [dataSet](TRMBandView& b) {
        const TRMDataset* ds = dataSet(b);
        return Variant::FromBool(ds ? ds->Eof() : true);
    }));
    return rows;
}

} // namespace

const TRMPropTable* TRMBandView::PropTable() const
{
    // The band's listing is its own subset; every view name still reads and writes.
    static const TRMPropTable table(TRMView::PropTable(), TRMPropTable::TListing::OwnOnly,
        BandRows(*TRMView::PropTable()));
    return &table;
}

Variant TRMBandView::DoMethod(const QString& name, const QList<Variant>& args)
{
    const QString n = name.toUpper();
    TRMDataset* ds = RunBand ? RunBand->DataSet : nullptr;
    if (n == QLatin1String("FIRST") || n == QLatin1String("NEXT") || n == QLatin1String("PRIOR")
        || n == QLatin1String("MOVEBY")) {
        if (!ds)
            return Variant::Null();
        if (n == QLatin1String("FIRST"))
            ds->First();
        else if (n == QLatin1String("NEXT"))
            ds->Next();
        else if (n == QLatin1String("PRIOR"))
            ds->Prior();
        else {
            const std::int64_t by = args.isEmpty() ? 0 : PropInt(args.first(), 0);
            for (std::int64_t k = 0; k < by && !ds->Eof(); ++k)
                ds->Next();
            for (std::int64_t k = 0; k > by; --k)
                ds->Prior();
        }
        return Variant::Null();
    }
    return TRMView::DoMethod(n, args);
}

void TRMBandView::Draw(QPainter* painter)
{
    // Bands are design rectangles: drawn in the designer only, as a light outline.
    TRMPainterCanvas canvas(painter);
    Canvas = painter;
    if (!canvas || !RMEngineState().Designing)
        return;
    canvas->SetPen(TRMCanvasPen{0x808080, 1, cpsDot});
    canvas->SetBrushColor(kNoColor);
    canvas->Rectangle(Left, Top, Left + Width, Top + Height);
}

// ---- sub-report ----

TRMSubReportView::TRMSubReportView()
{
    BaseName = QStringLiteral("SubReport");
    Typ = gtSubReport;
    MemoVersion = 0;
}

const TRMPropTable* TRMSubReportView::PropTable() const
{
    static const TRMPropTable table(TRMView::PropTable(), TRMPropTable::TListing::WithBase,
        {TRMProps<TRMSubReportView>::Int(QStringLiteral("SubPage"), &TRMSubReportView::SubPage)});
    return &table;
}

void TRMSubReportView::Draw(QPainter* painter)
{
    DrawBox(painter);
}

} // namespace pq
