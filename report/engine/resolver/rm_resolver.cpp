#include "report/engine/resolver/rm_resolver.h"

#include "report/engine/memo/rm_memo.h"

#include "report/engine/expr/variables.h"
#include "report/engine/expr/variant_ops.h"
#include "report/engine/rm_band.h"
#include "report/engine/rm_dataset.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"

#include <QDateTime>
#include <QVariant>

#include <map>

namespace pq {

namespace {

double Now()
{
    const QDateTime now = QDateTime::currentDateTime();
    return static_cast<double>(QDate(1899, 12, 30).daysTo(now.date())) + now.time().msecsSinceStartOfDay() / 86400000.0;
}

// The current pointers for one evaluation with the view current; the report, page and
// band stay what they are (or become the view's report when none is current).
class ViewScope {
public:
    ViewScope(TRMReport* report, TRMView& view)
        : m_scope(RMCurrent().CurReport ? RMCurrent().CurReport : report, RMCurrent().CurPage,
              RMCurrent().CurBand, &view)
    {
    }

private:
    TRMCurrentScope m_scope;
};

Variant FromQVariant(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Bool: return Variant::FromBool(v.toBool());
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
        return Variant::FromInt(v.toLongLong());
    case QMetaType::Double: case QMetaType::Float: return Variant::FromFloat(v.toDouble());
    default:
        if (!v.isValid())
            return Variant::Null();
        return Variant(v.toString());
    }
}

// A current record's field value; false when any part is missing.
bool FieldValue(ClientDataSet* set, const QString& field, Variant& value)
{
    if (!set || !set->Active() || set->FieldIndex(field) < 0 || set->IsEmpty() || set->Eof())
        return false;
    value = set->Value(field);
    return true;
}

} // namespace

TRMReportResolver::TRMReportResolver(TRMReport* report)
    : m_report(report), m_evaluator(*this), m_interpreter(m_evaluator)
{
    State.PrepareDateTime = Now();
}

TRMReportResolver::~TRMReportResolver() = default;

void TRMReportResolver::BeginPreparation()
{
    State.PrepareDateTime = Now();
}

QString TRMReportResolver::ExpandText(TRMView& view, const QString& text, bool plainFormat)
{
    ViewScope scope(m_report, view);
    const bool saved = m_plainFormat;
    m_plainFormat = plainFormat;
    struct Restore {
        bool& flag;
        bool value;
        ~Restore() { flag = value; }
    } restore{m_plainFormat, saved};
    return m_evaluator.ExpandText(text);
}

Variant TRMReportResolver::Evaluate(TRMView& view, const QString& expression)
{
    ViewScope scope(m_report, view);
    return m_evaluator.Calc(expression);
}

void TRMReportResolver::RunScript(TRMView& view, const QStringList& script)
{
    bool blank = true;
    for (const QString& l : script)
        blank = blank && l.trimmed().isEmpty();
    if (blank)
        return;
    ViewScope scope(m_report, view);
    m_interpreter.Run(script, view.Name);
}

bool TRMReportResolver::OnGetValue(const QString& name, Variant& value)
{
    if (!m_report || !m_report->OnGetValue)
        return false;
    value = Variant();
    m_report->OnGetValue(name, value);
    return !value.isEmpty();
}

bool TRMReportResolver::OnUserFunction(const QString& upperName, const QStringList& args, Variant& result)
{
    if (!m_report || !m_report->OnUserFunction)
        return false;
    result = Variant();
    m_report->OnUserFunction(upperName, args, result);
    return !result.isEmpty();
}

bool TRMReportResolver::DictionaryFieldValue(const QString& name, Variant& value)
{
    if (!m_report)
        return false;
    const TRMDataDictionary::TFieldAlias* alias = m_report->Dictionary().FindFieldAlias(name);
    if (!alias)
        return false;
    // The alias's data set is written "form.name" or, on the hidden dialog form, "name".
    const QString ds = alias->DataSet.trimmed();
    const int dot = static_cast<int>(ds.indexOf(QLatin1Char('.')));
    ClientDataSet* set = dot < 0 ? RMFindClientDataSet(m_report->ReferenceForm, QString(), ds)
                                 : RMFindClientDataSet(m_report->ReferenceForm, ds.left(dot), ds.mid(dot + 1));
    // The field may be written as data cells write it, in double quotes ("code").
    QString field = alias->Field.trimmed();
    if (field.size() >= 2 && field.startsWith(QLatin1Char('"')) && field.endsWith(QLatin1Char('"')))
        field = field.mid(1, field.size() - 2);
    if (!FieldValue(set, field, value))
        value = Variant(); // the alias is known; its value is missing
    return true;
}

bool TRMReportResolver::DictionaryVariable(const QString& name, QString& expression)
{
    if (!m_report || !m_report->Dictionary().Variables().Exists(name))
        return false;
    expression = VarToText(m_report->Dictionary().Variables().GetVariable(name));
    return true;
}

bool TRMReportResolver::DataSetFieldValue(const QString& form, const QString& dataSet, const QString& field, Variant& value)
{
    return FieldValue(RMFindClientDataSet(m_report ? m_report->ReferenceForm.data() : nullptr, form, dataSet), field, value);
}

int TRMReportResolver::PageNo()
{
    return RMCurrent().CurPageNo + 1;
}

int TRMReportResolver::TotalPages()
{
    return State.TotalPages;
}

double TRMReportResolver::PrepareDateTime()
{
    return State.PrepareDateTime;
}

int TRMReportResolver::LineNo()
{
    const TRMBand* b = RMCurrent().CurBand;
    return b ? b->LineNo : 0;
}

int TRMReportResolver::LineThrough()
{
    const TRMBand* b = RMCurrent().CurBand;
    return b ? b->LineThoughNo : 0;
}

int TRMReportResolver::ColumnNo()
{
    const TRMPage* p = RMCurrent().CurPage;
    return p ? std::max(1, p->ColumnNo) : 1;
}

int TRMReportResolver::CurrentNo()
{
    const TRMPage* p = RMCurrent().CurPage;
    return p ? p->CurrentNo : 0;
}

bool TRMReportResolver::CalcWidth(int& width)
{
    TRMView* v = RMCurrent().CurView;
    if (!v)
        return false;
    if (auto* memo = dynamic_cast<TRMMemoView*>(v))
        width = RMMemoCalcWidth(*memo, memo->Memo1.isEmpty() ? memo->Memo : memo->Memo1);
    else
        width = v->Width;
    return true;
}

TRMVariables* TRMReportResolver::ReportVariables()
{
    return m_report ? &m_report->Variables() : nullptr;
}

bool TRMReportResolver::PagePosition(int& curY, int& bottomLimit, int& rightLimit)
{
    const TRMPage* p = RMCurrent().CurPage;
    if (!p)
        return false;
    curY = p->CurY;
    bottomLimit = p->CurBottomY;
    rightLimit = p->RightLimit();
    return true;
}

bool TRMReportResolver::FinalPass()
{
    return !m_report || !m_report->DoublePass || m_report->FinalPass;
}

TRMObject* TRMReportResolver::FindObject(const QString& name) const
{
    if (!m_report)
        return nullptr;
    if (TRMPage* page = m_report->Pages.PageByScriptName(name.trimmed()))
        return page;
    return m_report->FindObject(name.trimmed());
}

bool TRMReportResolver::GetObjectProperty(const QString& object, const QString& property, Variant& value)
{
    TRMObject* o = FindObject(object);
    if (!o)
        return false;
    value = o->GetPropValue(property);
    return true;
}

bool TRMReportResolver::SetObjectProperty(const QString& object, const QString& property, const Variant& value)
{
    TRMObject* o = FindObject(object);
    if (!o)
        return false;
    o->SetPropValue(property, value);
    return true;
}

bool TRMReportResolver::CallObjectMethod(const QString& object, const QString& method, const QList<Variant>& args, Variant& result)
{
    TRMObject* o = FindObject(object);
    if (!o)
        return false;
    result = o->DoMethod(method, args);
    return true;
}

bool TRMReportResolver::ObjectExists(const QString& object)
{
    return FindObject(object) != nullptr;
}

bool TRMReportResolver::GetCurrentViewProperty(const QString& property, Variant& value)
{
    TRMView* v = RMCurrent().CurView;
    if (!v)
        return false;
    // Unknown properties read as Null: that is how the view says it has none of that name.
    const Variant r = v->GetPropValue(property);
    if (r.isNull())
        return false;
    value = r;
    return true;
}

bool TRMReportResolver::SetCurrentViewProperty(const QString& property, const Variant& value)
{
    TRMView* v = RMCurrent().CurView;
    if (!v || v->GetPropValue(property).isNull())
        return false;
    v->SetPropValue(property, value);
    return true;
}

bool TRMReportResolver::CallCurrentViewMethod(const QString& method, const QList<Variant>& args, Variant& result)
{
    TRMView* v = RMCurrent().CurView;
    if (!v)
        return false;
    result = v->DoMethod(method, args);
    return true;
}

bool TRMReportResolver::GetControlProperty(const QString& control, const QString& property, Variant& value)
{
    QObject* c = RMFindComponent(nullptr, QString(), control.trimmed());
    if (!c)
        return false;
    const QVariant v = c->property(property.trimmed().toUtf8().constData());
    if (!v.isValid())
        return false;
    value = FromQVariant(v);
    return true;
}

QString TRMReportResolver::CurrentViewName()
{
    const TRMView* v = RMCurrent().CurView;
    return v ? v->Name : QString();
}

void TRMReportResolver::SetCurrentViewHasValue(int hasValue)
{
    if (TRMView* v = RMCurrent().CurView)
        v->HasValue = static_cast<std::uint8_t>(hasValue);
}

bool TRMReportResolver::CurrentViewHideZeros()
{
    const TRMView* v = RMCurrent().CurView;
    return v && dynamic_cast<const TRMMemoView*>(v) && v->HasFlag(flMemoHideZeros);
}

void TRMReportResolver::CurrentViewFormat(int& format, QString& formatStr)
{
    const TRMView* v = RMCurrent().CurView;
    if (!v || m_plainFormat) {
        format = 0;
        formatStr.clear();
        return;
    }
    format = v->Format;
    formatStr = v->FormatStr;
}

QString TRMReportResolver::ReportName()
{
    return m_report ? m_report->Name() : QString();
}

bool TRMReportResolver::PrintingBlankRows()
{
    return State.PrintingBlankRows;
}

bool TRMReportResolver::CollectingAggregates()
{
    return State.CollectingAggregates;
}

bool TRMReportResolver::Aggregate(const AggregateCall& call, const QString& fullText, Variant& value)
{
    return State.Aggregate ? State.Aggregate(call, fullText, value) : false;
}

void TRMReportResolver::StopReport()
{
    if (m_report)
        m_report->Terminated = true;
}

void TRMReportResolver::NewPage()
{
    if (State.NewPage)
        State.NewPage();
}

void TRMReportResolver::NewColumn()
{
    if (State.NewColumn)
        State.NewColumn();
}

void TRMReportResolver::ShowBand(const QString& bandName)
{
    if (State.ShowBand)
        State.ShowBand(bandName);
}

// ---- one resolver per report ----

namespace {

std::map<const TRMReport*, std::unique_ptr<TRMReportResolver>>& Resolvers()
{
    static std::map<const TRMReport*, std::unique_ptr<TRMReportResolver>> resolvers;
    return resolvers;
}

} // namespace

TRMReportResolver& RMReportResolver(TRMReport* report)
{
    if (!report) {
        static TRMReportResolver none(nullptr);
        return none;
    }
    auto& all = Resolvers();
    auto it = all.find(report);
    if (it == all.end()) {
        it = all.emplace(report, std::make_unique<TRMReportResolver>(report)).first;
        QObject::connect(report, &QObject::destroyed, [report] { Resolvers().erase(report); });
    }
    return *it->second;
}

// ---- memo services ----

bool TRMResolverMemoServices::PrintingBlankRows()
{
    return Resolver().State.PrintingBlankRows;
}

void TRMResolverMemoServices::SetPrintingBlankRows(bool on)
{
    Resolver().State.PrintingBlankRows = on;
}

QString TRMResolverMemoServices::ExpandText(TRMView& view, const QString& text, bool plainFormat)
{
    return Resolver().ExpandText(view, text, plainFormat);
}

bool TRMResolverMemoServices::DataFieldValue(TRMMemoView& memo, Variant& value)
{
    // The field is the memo's single bracket.
    const QString text = memo.Memo.join(QString()).trimmed();
    if (text.size() < 3 || !text.startsWith(QLatin1Char('[')) || !text.endsWith(QLatin1Char(']')))
        return false;
    TRMReportResolver& resolver = Resolver();
    ViewScope scope(resolver.Report(), memo);
    value = resolver.Evaluator().ResolveName(text.mid(1, text.size() - 2).trimmed());
    return !value.isEmpty();
}

Variant TRMResolverMemoServices::Evaluate(TRMView& view, const QString& expression)
{
    return Resolver().Evaluate(view, expression);
}

void TRMResolverMemoServices::RunScript(TRMView& view, const QStringList& script)
{
    Resolver().RunScript(view, script);
}

namespace {

class CurrentReportMemoServices : public TRMResolverMemoServices {
protected:
    TRMReportResolver& Resolver() override { return RMReportResolver(RMCurrent().CurReport); }
};

} // namespace

TRMMemoServices& RMCurrentReportMemoServices()
{
    static CurrentReportMemoServices services;
    return services;
}

} // namespace pq
