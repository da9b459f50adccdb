// A small report for the expression tests: objects with properties, data sets found by
// form and name, a dictionary, system-variable values and a record of what was called.
#pragma once

#include "report/engine/expr/resolver_host.h"
#include "report/engine/expr/variables.h"

#include "base/client_dataset.h"

#include <QHash>
#include <QMap>

#include <map>
#include <memory>

namespace pq::test {

class FakeHost : public NameResolverHost {
public:
    // Properties by upper-cased object and property name.
    QMap<QString, QMap<QString, Variant>> objects;
    QString currentView = QStringLiteral("Memo1");
    QMap<QString, Variant> currentViewProps; // upper-cased
    QMap<QString, Variant> dictionaryFields;
    QMap<QString, QString> dictionaryVariables;
    QMap<QString, Variant> eventValues;      // answered by OnGetValue
    std::map<std::pair<QString, QString>, std::shared_ptr<ClientDataSet>> dataSets; // lower-cased form, set
    TRMVariables reportVariables;
    int pageNo = 1, totalPages = 0, lineNo = 0, columnNo = 1, currentNo = 0;
    double prepareDateTime = 45000.5; // 2023-03-15 12:00
    bool hideZeros = false, blankRows = false, collecting = false, finalPass = true, hasPage = true;
    int hasValue = -1;
    int format = 0;
    QString formatStr;
    int curY = 100, bottom = 1000, right = 700;
    int calcWidth = 42;

    QStringList calls; // procedures, methods and aggregates, in order
    QList<AggregateCall> aggregates;
    Variant aggregateResult = Variant::FromInt(0);

    bool OnGetValue(const QString& name, Variant& value) override
    {
        if (!eventValues.contains(name))
            return false;
        value = eventValues.value(name);
        return true;
    }
    bool OnUserFunction(const QString& name, const QStringList& args, Variant& result) override
    {
        if (name != QLatin1String("TWICE"))
            return false;
        result = Variant(args.value(0) + args.value(0));
        return true;
    }
    bool DictionaryFieldValue(const QString& name, Variant& value) override
    {
        if (!dictionaryFields.contains(name))
            return false;
        value = dictionaryFields.value(name);
        return true;
    }
    bool DictionaryVariable(const QString& name, QString& expression) override
    {
        for (auto it = dictionaryVariables.begin(); it != dictionaryVariables.end(); ++it) {
            if (it.key().compare(name, Qt::CaseInsensitive) == 0) {
                expression = it.value();
                return true;
            }
        }
        return false;
    }
    bool DataSetFieldValue(const QString& form, const QString& set, const QString& field, Variant& value) override
    {
        auto it = dataSets.find({form.toLower(), set.toLower()});
        if (it == dataSets.end() || it->second->FieldIndex(field) < 0 || it->second->Eof())
            return false;
        value = it->second->Value(field);
        return true;
    }
    int PageNo() override { return pageNo; }
    int TotalPages() override { return totalPages; }
    double PrepareDateTime() override { return prepareDateTime; }
    int LineNo() override { return lineNo; }
    int ColumnNo() override { return columnNo; }
    int CurrentNo() override { return currentNo; }
    bool CalcWidth(int& width) override
    {
        width = calcWidth;
        return !currentView.isEmpty();
    }
    TRMVariables* ReportVariables() override { return &reportVariables; }
    bool PagePosition(int& y, int& b, int& r) override
    {
        y = curY;
        b = bottom;
        r = right;
        return hasPage;
    }
    bool FinalPass() override { return finalPass; }
    bool ObjectExists(const QString& object) override { return objects.contains(object.toUpper()); }
    bool GetObjectProperty(const QString& object, const QString& property, Variant& value) override
    {
        auto it = objects.find(object.toUpper());
        if (it == objects.end() || !it->contains(property.toUpper()))
            return false;
        value = it->value(property.toUpper());
        return true;
    }
    bool SetObjectProperty(const QString& object, const QString& property, const Variant& value) override
    {
        auto it = objects.find(object.toUpper());
        if (it == objects.end())
            return false;
        (*it)[property.toUpper()] = value;
        return true;
    }
    bool CallObjectMethod(const QString& object, const QString& method, const QList<Variant>& args, Variant& result) override
    {
        auto it = objects.find(object.toUpper());
        if (it == objects.end())
            return false;
        calls << object + QLatin1Char('.') + method;
        if (method == QLatin1String("HIDE") || method == QLatin1String("SHOW")) {
            (*it)[QStringLiteral("VISIBLE")] = Variant::FromBool(method == QLatin1String("SHOW"));
            return true;
        }
        if (method == QLatin1String("GETINDEXPROPERTY")) {
            result = it->value(args.value(0).toText().toUpper() + QLatin1Char('[') + args.value(1).toText() + QLatin1Char(']'));
            return true;
        }
        if (method == QLatin1String("SETINDEXPROPERTY")) {
            (*it)[args.value(0).toText().toUpper() + QLatin1Char('[') + args.value(1).toText() + QLatin1Char(']')] = args.value(2);
            return true;
        }
        return false;
    }
    bool GetCurrentViewProperty(const QString& property, Variant& value) override
    {
        if (!currentViewProps.contains(property.toUpper()))
            return false;
        value = currentViewProps.value(property.toUpper());
        return true;
    }
    bool SetCurrentViewProperty(const QString& property, const Variant& value) override
    {
        if (!currentViewProps.contains(property.toUpper()))
            return false;
        currentViewProps[property.toUpper()] = value;
        return true;
    }
    bool CallCurrentViewMethod(const QString& method, const QList<Variant>&, Variant&) override
    {
        if (method != QLatin1String("HIDE") && method != QLatin1String("SHOW"))
            return false;
        calls << currentView + QLatin1Char('.') + method;
        currentViewProps[QStringLiteral("VISIBLE")] = Variant::FromBool(method == QLatin1String("SHOW"));
        return true;
    }
    bool GetControlProperty(const QString& control, const QString& property, Variant& value) override
    {
        if (control.compare(QLatin1String("Edit1"), Qt::CaseInsensitive) != 0 || property.toUpper() != QLatin1String("TEXT"))
            return false;
        value = Variant(QStringLiteral("typed"));
        return true;
    }
    QString CurrentViewName() override { return currentView; }
    void SetCurrentViewHasValue(int v) override { hasValue = v; }
    bool CurrentViewHideZeros() override { return hideZeros; }
    void CurrentViewFormat(int& f, QString& fs) override
    {
        f = format;
        fs = formatStr;
    }
    QString ReportName() override { return QStringLiteral("Report1"); }
    bool PrintingBlankRows() override { return blankRows; }
    bool CollectingAggregates() override { return collecting; }
    bool Aggregate(const AggregateCall& call, const QString& fullText, Variant& value) override
    {
        aggregates << call;
        calls << fullText;
        value = aggregateResult;
        return true;
    }
    void StopReport() override { calls << QStringLiteral("STOPREPORT"); }
    void NewPage() override { calls << QStringLiteral("NEWPAGE"); }
    void NewColumn() override { calls << QStringLiteral("NEWCOLUMN"); }
    void ShowBand(const QString& band) override { calls << QStringLiteral("SHOWBAND ") + band; }
    QString InputBox(const QString& prompt, const QString& def) override { return prompt + QLatin1Char('=') + def; }
    int MessageBox(const QString& text, const QString&, int flags) override
    {
        calls << QStringLiteral("MESSAGEBOX ") + text;
        return (flags & 0x0F) == 4 ? 6 : 1;
    }
    void ShowMessage(const QString& text) override { calls << QStringLiteral("SHOWMESSAGE ") + text; }

    // A data set owned by a form, with text fields and rows; the cursor on the first row.
    ClientDataSet& AddDataSet(const QString& form, const QString& name, const QStringList& fields,
        const QList<QStringList>& rows)
    {
        auto ds = std::make_shared<ClientDataSet>();
        QList<TextFieldDef> defs;
        for (const QString& f : fields)
            defs.append({f, 40});
        ds->CreateTextFields(defs);
        for (const QStringList& r : rows)
            ds->AppendRecord(r);
        ds->First();
        dataSets[{form.toLower(), name.toLower()}] = ds;
        return *ds;
    }
};

} // namespace pq::test
