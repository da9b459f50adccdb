// Name-to-value lists (TRMVariables), the process-wide global variables list and the
// named constants.
#pragma once

#include "base/variant.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace pq {

// The value record each entry owns.
struct TVariable {
    Variant value;
};

// An ordered name → value list. Names compare without regard to case; adding a name that
// is already present overwrites its value. Once switched to sorted, entries are kept in
// case-insensitive name order.
class TRMVariables {
public:
    TRMVariables() = default;
    TRMVariables(const TRMVariables&) = delete;
    TRMVariables& operator=(const TRMVariables&) = delete;

    void SetVariable(const QString& name, const Variant& value);
    // Unassigned when the name is absent.
    Variant GetVariable(const QString& name) const;
    bool Exists(const QString& name) const { return IndexOf(name) >= 0; }
    int IndexOf(const QString& name) const;
    int Count() const { return static_cast<int>(m_entries.size()); }

    // Out of range: empty name, byte 0.
    QString Name(int index) const;
    Variant Value(int index) const;
    // Out of range: ignored.
    void SetValue(int index, const Variant& value);
    void SetName(int index, const QString& name);

    void Delete(int index);
    void Clear() { m_entries.clear(); }

    bool Sorted() const { return m_sorted; }
    void SetSorted(bool sorted);

    QStringList Names() const;

private:
    struct Entry {
        QString name;
        std::unique_ptr<TVariable> record;
    };
    int LowerBound(const QString& name) const;
    void Sort();

    std::vector<Entry> m_entries;
    bool m_sorted = false;
};

// The one global variables list: programs fill it before a report is prepared; the
// engine reads it and never clears it.
TRMVariables& RMGlobalVariables();

// The named constants list (colours, alignments, modal results, message-box flags ...),
// created and sorted on first use.
TRMVariables& RMConstants();
// Adds "rmdcSum" … "rmdcUser" (0 to 5); called when the first calculated memo is created.
void RMAddCalcMemoConstants();

} // namespace pq
