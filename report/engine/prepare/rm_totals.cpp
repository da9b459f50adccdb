#include "report/engine/prepare/rm_totals.h"

#include "report/engine/prepare/rm_page_assembly.h"

#include "report/engine/expr/brackets.h"
#include "report/engine/expr/parser.h"
#include "report/engine/expr/variables.h"
#include "report/engine/expr/variant_ops.h"
#include "report/engine/resolver/rm_resolver.h"
#include "report/engine/rm_band.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"

#include <algorithm>

namespace pq {

namespace {

// The first bracketed expression of a text, without its brackets.
QString FirstBracket(const QStringList& lines)
{
    const QString text = lines.join(QLatin1Char('\n'));
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('['))
            continue;
        if (i > 0 && text[i - 1] == QLatin1Char('\\'))
            continue;
        const int close = FindClosingBracket(text, i);
        if (close > i)
            return text.mid(i + 1, close - i - 1).trimmed();
        return QString();
    }
    return QString();
}

// The calls of aggregate functions in a text, as calls.
QList<AggregateCall> AggregateCalls(const QString& text, TRMReport& report)
{
    QList<AggregateCall> calls;
    if (!text.contains(QLatin1Char('(')))
        return calls;
    TAggregateFunctionsSplitter splitter([&report](const QString& name, QString& value) {
        TRMVariables& vars = report.Dictionary().Variables();
        if (!vars.Exists(name))
            return false;
        value = VarToTextLenient(vars.GetVariable(name));
        return true;
    });
    for (const QString& found : splitter.Split(text)) {
        const int open = static_cast<int>(found.indexOf(QLatin1Char('(')));
        const int close = static_cast<int>(found.lastIndexOf(QLatin1Char(')')));
        if (open <= 0 || close < open)
            continue;
        const int code = AggregateCodeOf(found.left(open).trimmed().toUpper());
        if (code == 0)
            continue;
        calls << MakeAggregateCall(static_cast<AggregateCode>(code),
            TRMParser::SplitArguments(found.mid(open + 1, close - open - 1)));
    }
    return calls;
}

} // namespace

// A value a calculated memo totals: numbers as they are, text only when it is a plain
// number (digits, at most one ".", a "-" only in front), anything else 0.
double RMCalcMemoNumber(const Variant& v)
{
    if (v.isNull() || v.isEmpty())
        return 0.0;
    if (v.type() == Variant::Type::String) {
        // Not trimmed: " 7" is no plain number, and counts as 0 like any other text.
        const QString t = v.toText();
        int dots = 0, digits = 0;
        for (int i = 0; i < t.size(); ++i) {
            const QChar c = t[i];
            if (c == QLatin1Char('-') && i == 0)
                continue;
            if (c == QLatin1Char('.')) {
                if (++dots > 1)
                    return 0.0;
                continue;
            }
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return 0.0;
            ++digits;
        }
        return digits > 0 ? t.toDouble() : 0.0;
    }
    try {
        return VarToNumber(v);
    } catch (const std::exception&) {
        return 0.0;
    }
}

// The running total of one calculated memo.
struct TRMTotals::CalcState {
    bool fresh = true;
    double sum = 0.0;
    double total = 0.0;
    int count = 0;
    QString expression;
    int storedIndex = 0;
    bool slotOpen = false;
};

TRMTotals::TRMTotals(TRMReport& report, TRMReportResolver& resolver, const TRMPageAssembly& assembly, bool firstPass)
    : m_report(report)
    , m_resolver(resolver)
    , m_assembly(assembly)
    , m_firstPass(firstPass)
{
}

TRMTotals::~TRMTotals() = default;

namespace {

QString BandName(const TRMBand* band)
{
    return band && band->View ? band->View->Name : QString();
}

} // namespace

Variant TRMTotals::Eval(const QString& expression)
{
    return m_resolver.Evaluator().Calc(expression);
}

bool TRMTotals::BlankRows() const
{
    return m_resolver.State.PrintingBlankRows;
}

TRMTotals::CalcState& TRMTotals::Calc(const TRMCalcMemoView& memo)
{
    auto& st = m_calc[&memo];
    if (!st)
        st = std::make_unique<CalcState>();
    return *st;
}

// ---- aggregates ----

TRMBand* TRMTotals::AggregateDataBand(TRMBand* band, const QString& name) const
{
    if (!band || !band->Parent)
        return nullptr;
    TRMPage& page = *band->Parent;
    const QString n = name.trimmed();
    if (!n.isEmpty()) {
        for (int type : {btMasterData, btDetailData, btSubDetailData, btCrossData})
            for (TRMBand* d = page.Bands[type]; d; d = d->Next)
                if (d->View->Name.compare(n, Qt::CaseInsensitive) == 0)
                    return d;
        return nullptr;
    }
    if (band->Typ == btGroupFooter && RMIsDataBand(band->DataBand))
        return band->DataBand;
    if ((band->Typ == btMasterFooter || band->Typ == btDetailFooter || band->Typ == btSubDetailFooter)
        && RMIsDataBand(band->DataBand))
        return band->DataBand;
    const int type = DefaultAggregateDataBandType(band->Typ);
    return type >= 0 && type < kBandTypeCount && !RMIsCrossBandType(type) ? page.Bands[type] : nullptr;
}

void TRMTotals::Collect(TRMPage& page)
{
    auto viewText = [](const TRMView* v) {
        return QLatin1Char('\n') + v->Memo.join(QLatin1Char('\n')) + QLatin1Char('\n')
            + v->OnBeforePrint.join(QLatin1Char('\n')) + QLatin1Char('\n') + v->OnAfterPrint.join(QLatin1Char('\n'));
    };
    auto addTo = [](std::vector<TRMBand*>& list, TRMBand* b) {
        if (std::find(list.begin(), list.end(), b) == list.end())
            list.push_back(b);
    };
    for (auto& rb : page.RunBands) {
        TRMBand* b = rb.get();
        if (RMIsCrossBandType(b->Typ))
            continue; // their views are collected with the bands that print them
        QString text;
        if (b->View)
            text += b->View->OnBeforePrint.join(QLatin1Char('\n')) + QLatin1Char('\n')
                + b->View->OnAfterPrint.join(QLatin1Char('\n'));
        for (TRMView* v : b->Objects) {
            if (dynamic_cast<TRMCalcMemoView*>(v))
                continue;
            if (const TRMBand* cross = m_assembly.CrossOf(v)) {
                // Totals of a view printed across: over the columns of the band's row, or
                // per column over the rows of a data band.
                for (const AggregateCall& call : AggregateCalls(viewText(v), m_report)) {
                    if (TRMBand* rows = CornerDataBand(b, cross, call.band)) {
                        auto& calls = m_columnCalls[b];
                        const QString key = AggregateKey(rows->View->Name, call, false, 0);
                        if (std::none_of(calls.begin(), calls.end(), [&](const ColumnCall& c) {
                                return c.corner && c.data == rows && AggregateKey(rows->View->Name, c.call, false, 0) == key;
                            }))
                            calls.push_back(ColumnCall{rows, call, true});
                        addTo(m_columnAggregators[rows], b);
                        continue;
                    }
                    TRMBand* data = CrossAggregateDataBand(b, cross, call.band);
                    if (!data)
                        continue;
                    if (data->Typ == btCrossData) {
                        m_acrossAggregates[b].Collect(AggregateKey(data->View->Name, call), call);
                    } else if (cross->Typ == btCrossData) {
                        auto& calls = m_columnCalls[b];
                        const QString key = AggregateKey(data->View->Name, call);
                        if (std::none_of(calls.begin(), calls.end(), [&](const ColumnCall& c) {
                                return !c.corner && c.data == data && AggregateKey(data->View->Name, c.call) == key;
                            }))
                            calls.push_back(ColumnCall{data, call});
                        addTo(m_columnAggregators[data], b);
                    } else {
                        m_aggregates[b].Collect(AggregateKey(data->View->Name, call), call);
                        addTo(m_aggregators[data], b);
                    }
                }
                continue;
            }
            text += viewText(v);
        }
        for (const AggregateCall& call : AggregateCalls(text, m_report)) {
            TRMBand* data = AggregateDataBand(b, call.band);
            if (!data)
                continue;
            m_aggregates[b].Collect(AggregateKey(data->View->Name, call), call);
            addTo(m_aggregators[data], b);
        }
    }
}

bool TRMTotals::Aggregate(const AggregateCall& call, TRMBand* band, const TRMView* view, int crossColumn, Variant& value)
{
    if (const TRMBand* cross = m_assembly.CrossOf(view)) {
        if (TRMBand* rows = CornerDataBand(band, cross, call.band)) {
            // Nothing reached the corner yet: no row printed across.
            auto corner = m_columnAggregates.find({band, rows, 0});
            if (corner == m_columnAggregates.end()) {
                value = Variant::FromInt(0);
                return true;
            }
            value = corner->second.Value(AggregateKey(rows->View->Name, call, false, 0));
            return !value.isEmpty();
        }
        TRMBand* data = CrossAggregateDataBand(band, cross, call.band);
        if (!data)
            return false;
        if (data->Typ == btCrossData) {
            auto across = m_acrossAggregates.find(band);
            if (across == m_acrossAggregates.end())
                return false;
            value = across->second.Value(AggregateKey(data->View->Name, call));
            return !value.isEmpty();
        }
        if (cross->Typ == btCrossData && crossColumn > 0) {
            // A column no row reached yet has nothing in it.
            auto column = m_columnAggregates.find({band, data, crossColumn});
            if (column == m_columnAggregates.end()) {
                value = Variant::FromInt(0);
                return true;
            }
            value = column->second.Value(AggregateKey(data->View->Name, call, false, crossColumn));
            return !value.isEmpty();
        }
    }
    auto it = m_aggregates.find(band);
    if (it == m_aggregates.end())
        return false;
    TRMBand* data = AggregateDataBand(band, call.band);
    if (!data)
        return false;
    const Variant v = it->second.Value(AggregateKey(data->View->Name, call));
    if (v.isEmpty())
        return false;
    value = v;
    return true;
}

void TRMTotals::UpdateAggregates(TRMBand* data, bool rowPrinted)
{
    if (BlankRows())
        return;
    auto it = m_aggregators.find(data);
    if (it == m_aggregators.end())
        return;
    TRMCurrentBandScope current(data, nullptr);
    for (TRMBand* b : it->second)
        m_aggregates[b].Update([this](const QString& e) { return Eval(e); }, rowPrinted, BandName(data));
}

void TRMTotals::Reset(TRMBand* band)
{
    if (!band)
        return;
    auto it = m_aggregates.find(band);
    if (it != m_aggregates.end())
        it->second.Reset();
    for (auto& [key, list] : m_columnAggregates)
        if (std::get<0>(key) == band)
            list.Reset();
}

// ---- calculated memos ----

void TRMTotals::PrepareCalcMemos(TRMPage& page)
{
    for (TRMCalcMemoView* memo : page.CalcMemos) {
        CalcState& st = Calc(*memo);
        // The final pass of a double pass prints the totals the first pass stored.
        if (!(m_report.DoublePass && m_report.FinalPass))
            memo->StoredTotals.clear();
        st = CalcState{};
        st.expression = FirstBracket(memo->Memo);
        memo->Reset();
    }
}

void TRMTotals::UpdateCalcMemos(TRMBand* data, bool rowPrinted)
{
    if (!data || !data->Parent || !data->View)
        return;
    const bool blank = BlankRows();
    const TRMCurrentBandScope current(data, nullptr);
    for (TRMCalcMemoView* memo : data->Parent->CalcMemos) {
        if (memo->DataBand.compare(data->View->Name, Qt::CaseInsensitive) != 0)
            continue;
        auto* st = &Calc(*memo);
        RMCurrent().CurView = memo;
        if (st->fresh) {
            st->fresh = false;
            st->sum = 0.0;
            st->count = 0;
            switch (memo->CalcType) {
            case rmdcMax: st->total = -1.7e308; break;
            case rmdcMin: st->total = 1.7e308; break;
            case rmdcUser: st->total = RMCalcMemoNumber(Eval(memo->IntalizeValue)); break;
            default: st->total = 0.0; break;
            }
        }
        if (blank)
            continue;
        if (!rowPrinted && !memo->CalcNoVisible)
            continue;
        if (!memo->Filter.trimmed().isEmpty() && RMCalcMemoNumber(Eval(memo->Filter)) == 0.0)
            continue;
        const double v = memo->CalcType == rmdcCount ? 0.0 : RMCalcMemoNumber(Eval(st->expression));
        st->sum += v;
        ++st->count;
        switch (memo->CalcType) {
        case rmdcSum: st->total = st->sum; break;
        case rmdcCount: st->total = st->count; break;
        case rmdcAvg: st->total = st->sum / st->count; break;
        case rmdcMax: st->total = std::max(st->total, v); break;
        case rmdcMin: st->total = std::min(st->total, v); break;
        case rmdcUser:
            m_resolver.Evaluator().SetValue(Variant::FromFloat(st->total));
            st->total = RMCalcMemoNumber(Eval(memo->AggregateValue));
            break;
        default: break;
        }
        memo->TotalValue = st->total;
        memo->RowCount = st->count;
    }
}

double TRMTotals::CalcMemoValue(TRMCalcMemoView& memo)
{
    CalcState& st = Calc(memo);
    // A total that saw no row is 0, not the start value of MAX or MIN.
    double value = st.fresh || st.count == 0 ? (memo.CalcType == rmdcUser && !st.fresh ? st.total : 0.0) : st.total;
    if (memo.TotalCalc && m_report.DoublePass) {
        if (m_firstPass) {
            // Each printed place gets the total gathered until the next print (or the end),
            // so that a header can show the total of the rows that follow it.
            if (st.slotOpen && !memo.StoredTotals.isEmpty())
                memo.StoredTotals.last() = value;
            memo.StoredTotals.append(0.0);
            st.slotOpen = true;
        } else {
            value = st.storedIndex < memo.StoredTotals.size() ? memo.StoredTotals[st.storedIndex] : value;
            ++st.storedIndex;
        }
    }
    return value;
}

void TRMTotals::CalcMemoPrinted(TRMCalcMemoView& memo)
{
    if (memo.ResetAfterPrint)
        RestartCalc(memo, Calc(memo));
}

void TRMTotals::RestartCalc(TRMCalcMemoView& memo, CalcState& st)
{
    st.fresh = true;
    st.sum = st.total = 0.0;
    st.count = 0;
    memo.Reset();
}

void TRMTotals::CloseCalcSlot(TRMCalcMemoView& memo, CalcState& st)
{
    // The place printed last gets the total gathered until now.
    if (st.slotOpen && !memo.StoredTotals.isEmpty())
        memo.StoredTotals.last() = st.total;
    st.slotOpen = false;
}

void TRMTotals::CloseCalcSlots()
{
    for (auto& [memo, st] : m_calc)
        CloseCalcSlot(*const_cast<TRMCalcMemoView*>(memo), *st);
}

void TRMTotals::RestartPage(TRMPage& page)
{
    std::unordered_set<const TRMPage*> seen;
    RestartPage(page, seen);
}

void TRMTotals::RestartPage(TRMPage& page, std::unordered_set<const TRMPage*>& seen)
{
    if (!seen.insert(&page).second)
        return;
    for (auto& rb : page.RunBands) {
        Reset(rb.get());
        if (auto it = m_acrossAggregates.find(rb.get()); it != m_acrossAggregates.end())
            it->second.Reset();
    }
    for (TRMCalcMemoView* memo : page.CalcMemos)
        if (auto it = m_calc.find(memo); it != m_calc.end() && it->second) {
            CloseCalcSlot(*memo, *it->second);
            RestartCalc(*memo, *it->second);
        }
    // The sub-reports it prints run over their rows again too.
    for (auto& v : page.Objects)
        if (auto* sub = dynamic_cast<TRMSubReportView*>(v.get());
            sub && sub->SubPage >= 0 && sub->SubPage < m_report.Pages.Count() && m_report.Pages[sub->SubPage]->IsSubReport)
            RestartPage(*m_report.Pages[sub->SubPage], seen);
}

// ---- cross-tab totals ----

TRMBand* TRMTotals::CornerDataBand(TRMBand* band, const TRMBand* cross, const QString& name) const
{
    // A footer's total in the cross footer strip is the grand total: over the rows of its data
    // band (when that band prints across) and all their columns.
    if (!band || !cross || cross->Typ != btCrossFooter || !name.trimmed().isEmpty())
        return nullptr;
    switch (band->Typ) {
    case btReportSummary: case btPageFooter: case btMasterFooter: case btDetailFooter:
    case btSubDetailFooter: case btGroupFooter:
        break;
    default:
        return nullptr;
    }
    TRMBand* data = AggregateDataBand(band, QString());
    return RMIsDataBand(data) && m_assembly.PrintsAcross(data) ? data : nullptr;
}

TRMBand* TRMTotals::CrossAggregateDataBand(TRMBand* band, const TRMBand* cross, const QString& name) const
{
    // A total in the cross footer runs over the columns unless it names its band.
    if (name.trimmed().isEmpty() && cross->Typ == btCrossFooter && cross->Parent)
        return cross->Parent->Bands[btCrossData];
    return AggregateDataBand(band, name);
}

void TRMTotals::UpdateCrossAggregates(TRMBand* band, int column)
{
    if (BlankRows())
        return;
    TRMCurrentBandScope current(band, nullptr);
    auto eval = [this](const QString& e) { return Eval(e); };
    if (auto it = m_acrossAggregates.find(band); it != m_acrossAggregates.end())
        it->second.Update(eval, true, BandName(band));
    auto it = m_columnAggregators.find(band);
    if (it == m_columnAggregators.end())
        return;
    // Per column (key column) and in the corner (key 0), over the rows of this data band.
    auto update = [&](TRMBand* b, bool corner) {
        const int key = corner ? 0 : column;
        auto entry = m_columnAggregates.find({b, band, key});
        if (entry == m_columnAggregates.end()) {
            TRMAggregateList list;
            for (const ColumnCall& c : m_columnCalls[b])
                if (c.data == band && c.corner == corner)
                    list.Collect(AggregateKey(band->View->Name, c.call, false, key), c.call);
            if (list.Count() == 0)
                return;
            entry = m_columnAggregates.emplace(std::make_tuple(b, band, key), std::move(list)).first;
        }
        entry->second.Update(eval, true, BandName(band));
    };
    for (TRMBand* b : it->second) {
        update(b, false);
        update(b, true);
    }
}

void TRMTotals::ResetAcross(TRMBand* band)
{
    if (auto it = m_acrossAggregates.find(band); it != m_acrossAggregates.end())
        it->second.Reset();
}

} // namespace pq
