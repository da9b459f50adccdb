// What expressions need from the report that evaluates them. The object model implements
// this for a report being prepared; every call has a neutral default so that a host
// answers only what it has.
#pragma once

#include "report/engine/expr/aggregates.h"

#include "base/variant.h"

#include <QString>
#include <QStringList>

namespace pq {

class TRMVariables;

class NameResolverHost {
public:
    virtual ~NameResolverHost() = default;

    // The report's OnGetValue event; true when it assigned a value.
    virtual bool OnGetValue(const QString& name, Variant& value);
    // The report's OnUserFunction event; true when it computed the function.
    virtual bool OnUserFunction(const QString& upperName, const QStringList& args, Variant& result);

    // Data dictionary: a field alias yields its field's current value (opening the data
    // set if needed); a dictionary variable yields its expression text.
    virtual bool DictionaryFieldValue(const QString& name, Variant& value);
    virtual bool DictionaryVariable(const QString& name, QString& expression);

    // A data set found by its owner form's name and its own name (the report's reference
    // form first, then the hidden dialog form), both without regard to case: true and the
    // current record's value of the field when all three exist.
    virtual bool DataSetFieldValue(const QString& form, const QString& dataSet, const QString& field, Variant& value);

    // System variables.
    virtual int PageNo();          // prepared-page index + 1
    virtual int TotalPages();
    virtual double PrepareDateTime(); // when preparation started, days since 1899-12-30
    virtual int LineNo();
    virtual int LineThrough();
    virtual int ColumnNo();
    virtual int CurrentNo();
    virtual QString ApplicationPath(); // with a trailing separator

    // "CALCWIDTH": false when no view is current.
    virtual bool CalcWidth(int& width);

    // The report's local variables; nullptr when there is no report.
    virtual TRMVariables* ReportVariables();

    // Print position pseudo-variables; false when no page is being prepared.
    virtual bool PagePosition(int& curY, int& bottomLimit, int& rightLimit);
    virtual bool FinalPass();

    // Object properties: object is any object's name or "PAGE" and a 1-based page number.
    virtual bool GetObjectProperty(const QString& object, const QString& property, Variant& value);
    virtual bool SetObjectProperty(const QString& object, const QString& property, const Variant& value);
    virtual bool CallObjectMethod(const QString& object, const QString& method, const QList<Variant>& args, Variant& result);
    virtual bool ObjectExists(const QString& object);
    // The current view's own properties and methods.
    virtual bool GetCurrentViewProperty(const QString& property, Variant& value);
    virtual bool SetCurrentViewProperty(const QString& property, const Variant& value);
    virtual bool CallCurrentViewMethod(const QString& method, const QList<Variant>& args, Variant& result);
    // A property of a control of the hidden dialog form.
    virtual bool GetControlProperty(const QString& control, const QString& property, Variant& value);

    // The current view while a bracket is evaluated.
    virtual QString CurrentViewName();
    virtual void SetCurrentViewHasValue(int hasValue);
    virtual bool CurrentViewHideZeros();
    virtual void CurrentViewFormat(int& format, QString& formatStr);
    virtual QString ReportName();

    // Preparation state.
    virtual bool PrintingBlankRows();
    virtual bool CollectingAggregates();

    // Aggregates: in collect mode record the call; otherwise return its value. False when
    // the call does not apply here (value stays 0).
    virtual bool Aggregate(const AggregateCall& call, const QString& fullText, Variant& value);

    // Report procedures.
    virtual void StopReport();
    virtual void NewPage();
    virtual void NewColumn();
    virtual void ShowBand(const QString& bandName);

    // Interaction: an input box, a message box (flags as the mb_ constants; returns the
    // button's modal result: 1 OK, 2 Cancel, 6 Yes, 7 No) and a plain message.
    virtual QString InputBox(const QString& prompt, const QString& defaultText);
    virtual int MessageBox(const QString& text, const QString& caption, int flags);
    virtual void ShowMessage(const QString& text);
};

} // namespace pq
