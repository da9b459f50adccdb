// The report side of expressions: a NameResolverHost over a TRMReport (objects by name and
// "PAGE n", report variables, the data dictionary, data sets by form and name, the current
// view, page numbers, the preparation's date) with its evaluator and script interpreter,
// one per report; and the memo services that let memos expand, evaluate and run scripts
// through a resolver.
#pragma once

#include "report/engine/expr/interpreter.h"
#include "report/engine/expr/report_evaluator.h"
#include "report/engine/expr/resolver_host.h"
#include "report/engine/memo/rm_memo.h"

#include <functional>
#include <memory>

namespace pq {

class TRMObject;
class TRMReport;
class TRMView;

// What preparation tells name resolution; the preparation engine fills it.
struct TRMPrepareState {
    // When preparation started, days since 1899-12-30; BeginPreparation sets it.
    double PrepareDateTime = 0.0;
    int TotalPages = 0;
    bool PrintingBlankRows = false;
    bool CollectingAggregates = false;
    std::function<bool(const AggregateCall& call, const QString& fullText, Variant& value)> Aggregate;
    std::function<void()> NewPage, NewColumn;
    std::function<void(const QString& bandName)> ShowBand;
};

class TRMReportResolver : public NameResolverHost {
public:
    // report may be null: then only global variables, constants and functions resolve.
    explicit TRMReportResolver(TRMReport* report);
    ~TRMReportResolver() override;
    TRMReportResolver(const TRMReportResolver&) = delete;
    TRMReportResolver& operator=(const TRMReportResolver&) = delete;

    TRMReport* Report() const { return m_report; }
    TRMReportEvaluator& Evaluator() { return m_evaluator; }
    TInterpretator& Interpreter() { return m_interpreter; }

    TRMPrepareState State;
    // Takes the date and time of a preparation that starts now.
    void BeginPreparation();

    // Brackets of a text expanded with the view current (its display format, or format
    // word 0 when plainFormat).
    QString ExpandText(TRMView& view, const QString& text, bool plainFormat = false);
    // An expression's value with the view current.
    Variant Evaluate(TRMView& view, const QString& expression);
    // A view's script run with the view current; blank scripts do nothing.
    void RunScript(TRMView& view, const QStringList& script);

    // NameResolverHost.
    bool OnGetValue(const QString& name, Variant& value) override;
    bool OnUserFunction(const QString& upperName, const QStringList& args, Variant& result) override;
    bool DictionaryFieldValue(const QString& name, Variant& value) override;
    bool DictionaryVariable(const QString& name, QString& expression) override;
    bool DataSetFieldValue(const QString& form, const QString& dataSet, const QString& field, Variant& value) override;
    int PageNo() override;
    int TotalPages() override;
    double PrepareDateTime() override;
    int LineNo() override;
    int LineThrough() override;
    int ColumnNo() override;
    int CurrentNo() override;
    bool CalcWidth(int& width) override;
    TRMVariables* ReportVariables() override;
    bool PagePosition(int& curY, int& bottomLimit, int& rightLimit) override;
    bool FinalPass() override;
    bool GetObjectProperty(const QString& object, const QString& property, Variant& value) override;
    bool SetObjectProperty(const QString& object, const QString& property, const Variant& value) override;
    bool CallObjectMethod(const QString& object, const QString& method, const QList<Variant>& args, Variant& result) override;
    bool ObjectExists(const QString& object) override;
    bool GetCurrentViewProperty(const QString& property, Variant& value) override;
    bool SetCurrentViewProperty(const QString& property, const Variant& value) override;
    bool CallCurrentViewMethod(const QString& method, const QList<Variant>& args, Variant& result) override;
    bool GetControlProperty(const QString& control, const QString& property, Variant& value) override;
    QString CurrentViewName() override;
    void SetCurrentViewHasValue(int hasValue) override;
    bool CurrentViewHideZeros() override;
    void CurrentViewFormat(int& format, QString& formatStr) override;
    QString ReportName() override;
    bool PrintingBlankRows() override;
    bool CollectingAggregates() override;
    bool Aggregate(const AggregateCall& call, const QString& fullText, Variant& value) override;
    void StopReport() override;
    void NewPage() override;
    void NewColumn() override;
    void ShowBand(const QString& bandName) override;

private:
    TRMObject* FindObject(const QString& name) const;

    TRMReport* m_report;
    TRMReportEvaluator m_evaluator;
    TInterpretator m_interpreter;
    bool m_plainFormat = false;
};

// The resolver of a report: created on first use, freed with the report. A null report
// gets one shared resolver without a report.
TRMReportResolver& RMReportResolver(TRMReport* report);

// Memo services over a resolver: expansion, field values, conditions, scripts and the
// blank-row mode all go through it.
class TRMResolverMemoServices : public TRMMemoServices {
public:
    bool PrintingBlankRows() override;
    void SetPrintingBlankRows(bool on) override;
    QString ExpandText(TRMView& view, const QString& text, bool plainFormat) override;
    bool DataFieldValue(TRMMemoView& memo, Variant& value) override;
    Variant Evaluate(TRMView& view, const QString& expression) override;
    void RunScript(TRMView& view, const QStringList& script) override;

protected:
    virtual TRMReportResolver& Resolver() = 0;
};

// Over one report's resolver: what a preparation passes to the memos it prints.
class TRMReportMemoServices : public TRMResolverMemoServices {
public:
    explicit TRMReportMemoServices(TRMReportResolver& resolver) : m_resolver(resolver) {}

protected:
    TRMReportResolver& Resolver() override { return m_resolver; }

private:
    TRMReportResolver& m_resolver;
};

// Over the resolver of whichever report is current: the services the engine is started
// with, for memos measured or drawn outside a preparation's own calls.
TRMMemoServices& RMCurrentReportMemoServices();

} // namespace pq
