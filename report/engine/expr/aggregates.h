// Aggregate functions over data bands: the splitter that finds their calls in expressions,
// the keys of the aggregate entries, and the per-band aggregate list that preparation
// collects, updates after every record, reads when printing and resets after a footer.
#pragma once

#include "base/variant.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace pq {

enum AggregateCode { agSum = 11, agMin = 12, agMax = 13, agAvg = 14, agCount = 15 };

// One call: SUM(expression, band, flag), AVG/MAX/MIN likewise, COUNT(band).
struct AggregateCall {
    AggregateCode code = agSum;
    QString expression;
    QString band;
    QString flag;
};

// The code of an aggregate name (upper-case), or 0.
int AggregateCodeOf(const QString& upperName);
AggregateCall MakeAggregateCall(AggregateCode code, const QStringList& args);

// Entry key: [ "0" \001 ] dataBand \001 code-character \001 expression \001 flag [ \001 column ].
// The prefix marks a band that also holds objects of other bands; column >= 0 for cross bands.
QString AggregateKey(const QString& dataBandName, const AggregateCall& call, bool otherBandsPrefix = false,
    int column = -1);

// Band type of the data band whose aggregates a band of the given type totals when the
// call names no band: master data (5) for types 1, 3, 6 and 17, detail data (8) for 9,
// sub-detail data (11) for 12, cross data (19) for 20; -1 otherwise.
int DefaultAggregateDataBandType(int bandType);

// Walks an expression and records every call of the given function names with its full
// text. Bracketed names whose variable exists are replaced by the variable's text and
// scanned again; function calls are scanned through their first three arguments.
class TRMFunctionSplitter {
public:
    // Text of a variable when it exists.
    using VariableLookup = std::function<bool(const QString& name, QString& text)>;

    TRMFunctionSplitter(QStringList upperNames, VariableLookup lookup);
    virtual ~TRMFunctionSplitter() = default;

    // Calls found, in order of appearance; each distinct text once.
    QStringList Split(const QString& expression);

private:
    void Scan(const QString& expression, QStringList& found, int depth);

    QStringList m_names;
    VariableLookup m_lookup;
};

class TAggregateFunctionsSplitter : public TRMFunctionSplitter {
public:
    explicit TAggregateFunctionsSplitter(VariableLookup lookup = {});
};

// The aggregate list of one run-time data band.
class TRMAggregateList {
public:
    struct Entry {
        QString key;
        AggregateCall call;
        Variant value;
        int rows = 0;         // rows that entered the total (the divisor of AVG)
        bool started = false; // MIN and MAX start from the first value, not from 0
    };

    // Adds the entry unless the key exists; returns its index.
    int Collect(const QString& key, const AggregateCall& call);
    int IndexOf(const QString& key) const;
    int Count() const { return static_cast<int>(m_entries.size()); }
    const Entry& At(int i) const { return m_entries[i]; }

    // After a record: evaluates each entry's expression (consecutive entries with the same
    // expression share one evaluation; COUNT evaluates nothing; null and blank text count as
    // 0, other text only when it reads as a number, else ExprError naming the value and
    // `where`) and, when the row was printed or the entry's flag is "1", adds it in.
    void Update(const std::function<Variant(const QString& expression)>& evaluate, bool rowPrinted,
        const QString& where = {});

    // The printed value of an entry: AVG divides by its row count (0 rows give 0); an
    // entry that saw no rows gives 0. Unassigned for an unknown key.
    Variant Value(const QString& key) const;

    // Back to the start values after the footer printed.
    void Reset();
    void Clear() { m_entries.clear(); }

private:
    QList<Entry> m_entries;
};

} // namespace pq
