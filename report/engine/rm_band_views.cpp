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
const BandFlagName kBandFlagNames[] = {
    {"STRETCHED", flBandStretched}, {"FORMNEWPAGE", flBandFormNewPage},
    {"PRINTIFSUBSETEMPTY", flBandPrintIfSubsetEmpty}, {"BREAKED", flBandBreaked},
    {"ONFIRSTPAGE", flBandOnFirstPage}, {"ONLASTPAGE", flBandOnLastPage},
    {"REPEATHEADER", flBandRepeatHeader}, {"PRINTCHILDIFINVISIBLE", flBandPrintChildIfInvisible},
    {"AUTOAPPENDBLANK", flBandAutoAppendBlank}, {"ADJUSTCOLUMNS", flBandAdjustColumns},
    {"PRINTCOLFIRST", flBandPrintColFirst}, {"REPEATHEADER1", flBandRepeatHeader1},
    {"PRINTIFEMPTY", flBandPrintIfEmpty}, {"PRINTATDESIGNPOS", flBandPrintAtDesignPos},
};

int BandFlagBit(const QString& n)
{
    for (const BandFlagName& f : kBandFlagNames)
        if (n == QLatin1String(f.name))
            return f.bit;
    return 0;
}

} // namespace

void TRMBandView::SetPropValue(const QString& name, const Variant& value)
{
    const QString n = name.toUpper();
    auto i = [&value](std::int64_t fb) { return PropInt(value, fb); };
    // While a page is prepared, geometry and visibility address the run-time band.
    TRMBand* rt = RMCurrent().CurReport && RMEngineState().Preparing ? RunBand : nullptr;
    if (rt) {
        if (n == QLatin1String("LEFT")) { rt->Left = static_cast<int>(i(rt->Left)); return; }
        if (n == QLatin1String("TOP")) { rt->CurTop = static_cast<int>(i(rt->CurTop)); return; }
        if (n == QLatin1String("WIDTH")) { rt->Width = static_cast<int>(i(rt->Width)); return; }
        if (n == QLatin1String("HEIGHT")) { rt->Height = static_cast<int>(i(rt->Height)); return; }
        if (n == QLatin1String("VISIBLE")) { rt->Visible = PropBool(value); return; }
    }
    if (const int bit = BandFlagBit(n)) {
        SetBandFlag(bit, PropBool(value));
        return;
    }
    if (n == QLatin1String("CHILDBAND"))
        ChildBand = PropText(value);
    else if (n == QLatin1String("DATASOURCE") || n == QLatin1String("CONDITION"))
        FormatStr = PropText(value);
    else if (n == QLatin1String("COLUMNS"))
        SetColumns(static_cast<int>(i(Columns)));
    else if (n == QLatin1String("COLUMNWIDTH"))
        ColumnWidth = static_cast<int>(i(ColumnWidth));
    else if (n == QLatin1String("COLUMNGAP"))
        ColumnGap = static_cast<int>(i(ColumnGap));
    else if (n == QLatin1String("NEWCOLUMNAFTER"))
        NewColumnAfter = static_cast<int>(i(NewColumnAfter));
    else if (n == QLatin1String("LINESPERPAGE") || n == QLatin1String("GROUPSPERPAGE"))
        LinesPerPage = static_cast<std::uint16_t>(i(LinesPerPage));
    else if (n == QLatin1String("RANGEBEGIN")) {
        const std::int64_t r = i(RangeBegin);
        if (r >= rbFirst && r <= rbDefault)
            RangeBegin = static_cast<std::uint8_t>(r);
    } else if (n == QLatin1String("RANGEEND")) {
        const std::int64_t r = i(RangeEnd);
        if (r >= reLast && r <= reDefault)
            RangeEnd = static_cast<std::uint8_t>(r);
    } else if (n == QLatin1String("RANGEENDCOUNT"))
        RangeEndCount = static_cast<int>(i(RangeEndCount));
    else if (n == QLatin1String("NEWPAGECONDITION"))
        Tag = PropText(value);
    else if (n == QLatin1String("MASTER"))
        Master = PropText(value);
    else
        TRMView::SetPropValue(n, value);
}

Variant TRMBandView::GetPropValue(const QString& name)
{
    const QString n = name.toUpper();
    TRMBand* rt = RMCurrent().CurReport && RMEngineState().Preparing ? RunBand : nullptr;
    if (rt) {
        if (n == QLatin1String("LEFT"))
            return Variant::FromInt(rt->Left);
        if (n == QLatin1String("TOP"))
            return Variant::FromInt(rt->CurTop);
        if (n == QLatin1String("WIDTH"))
            return Variant::FromInt(rt->Width);
        if (n == QLatin1String("HEIGHT"))
            return Variant::FromInt(rt->Height);
        if (n == QLatin1String("VISIBLE"))
            return Variant::FromBool(rt->Visible);
    }
    if (const int bit = BandFlagBit(n))
        return Variant::FromBool(HasFlag(bit));
    if (n == QLatin1String("CHILDBAND"))
        return Variant(ChildBand);
    if (n == QLatin1String("DATASOURCE") || n == QLatin1String("CONDITION"))
        return Variant(FormatStr);
    if (n == QLatin1String("COLUMNS"))
        return Variant::FromInt(Columns);
    if (n == QLatin1String("COLUMNWIDTH"))
        return Variant::FromInt(ColumnWidth);
    if (n == QLatin1String("COLUMNGAP"))
        return Variant::FromInt(ColumnGap);
    if (n == QLatin1String("NEWCOLUMNAFTER"))
        return Variant::FromInt(NewColumnAfter);
    if (n == QLatin1String("LINESPERPAGE") || n == QLatin1String("GROUPSPERPAGE"))
        return Variant::FromInt(LinesPerPage);
    if (n == QLatin1String("RANGEBEGIN"))
        return Variant::FromInt(RangeBegin);
    if (n == QLatin1String("RANGEEND"))
        return Variant::FromInt(RangeEnd);
    if (n == QLatin1String("RANGEENDCOUNT"))
        return Variant::FromInt(RangeEndCount);
    if (n == QLatin1String("NEWPAGECONDITION"))
        return Variant(Tag);
    if (n == QLatin1String("MASTER"))
        return Variant(Master);
    if (n == QLatin1String("ROWNO") || n == QLatin1String("ROWCOUNT") || n == QLatin1String("EOF")) {
        TRMDataset* ds = RunBand ? RunBand->DataSet : nullptr;
        if (!ds)
            return n == QLatin1String("EOF") ? Variant::FromBool(true) : Variant::FromInt(0);
        if (n == QLatin1String("ROWNO"))
            return Variant::FromInt(ds->RecNo + 1);
        if (n == QLatin1String("ROWCOUNT"))
            return Variant::FromInt(ds->RecordCount());
        return Variant::FromBool(ds->Eof());
    }
    return TRMView::GetPropValue(n);
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

void TRMBandView::RegisterProperties()
{
    ClearPropList();
    AddProperty(QStringLiteral("Name"), rmdtString | rmdtOneObject);
    AddProperty(QStringLiteral("Top"), rmdtSize);
    AddProperty(QStringLiteral("Height"), rmdtSize);
    for (const BandFlagName& f : kBandFlagNames)
        AddProperty(QString::fromLatin1(f.name), rmdtBoolean);
    AddProperty(QStringLiteral("ChildBand"), rmdtHasEditor);
    AddProperty(QStringLiteral("DataSource"), rmdtHasEditor);
    AddProperty(QStringLiteral("Columns"), rmdtInteger);
    AddProperty(QStringLiteral("ColumnWidth"), rmdtSize);
    AddProperty(QStringLiteral("ColumnGap"), rmdtSize);
    AddProperty(QStringLiteral("NewColumnAfter"), rmdtInteger);
    AddProperty(QStringLiteral("LinesPerPage"), rmdtInteger);
    AddEnumProperty(QStringLiteral("RangeBegin"), QStringLiteral("rbFirst;rbCurrent;rbDefault"),
        {Variant::FromInt(0), Variant::FromInt(1), Variant::FromInt(2)});
    AddEnumProperty(QStringLiteral("RangeEnd"), QStringLiteral("reLast;reCurrent;reCount;reDefault"),
        {Variant::FromInt(0), Variant::FromInt(1), Variant::FromInt(2), Variant::FromInt(3)});
    AddProperty(QStringLiteral("RangeEndCount"), rmdtInteger);
    AddProperty(QStringLiteral("NewPageCondition"), rmdtHasEditor);
    AddProperty(QStringLiteral("Condition"), rmdtHasEditor);
    AddProperty(QStringLiteral("Master"), rmdtHasEditor);
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

void TRMSubReportView::SetPropValue(const QString& name, const Variant& value)
{
    const QString n = name.toUpper();
    if (n == QLatin1String("SUBPAGE"))
        SubPage = static_cast<int>(PropInt(value, SubPage));
    else
        TRMView::SetPropValue(n, value);
}

Variant TRMSubReportView::GetPropValue(const QString& name)
{
    const QString n = name.toUpper();
    if (n == QLatin1String("SUBPAGE"))
        return Variant::FromInt(SubPage);
    return TRMView::GetPropValue(n);
}

void TRMSubReportView::Draw(QPainter* painter)
{
    DrawBox(painter);
}

} // namespace pq
