// Payment types in memory: one record per row of tbZffs, in the order the server returned
// them. Record i is grid row i + 1 of the window (row 0 holds the titles).
#pragma once

#include <QList>
#include <QString>

namespace pq {

struct TPaymentTypeRecord {
    QString Code;     // f_Zffsbm; compared trimmed
    QString Name;     // f_Zffsmc; a single space when entered blank
    QString UnitNo;   // f_zdfkhsdwh; may be empty or a single space
    QString UnitName; // f_hsdwmc through the join; never written to tbZffs

    bool operator==(const TPaymentTypeRecord&) const = default;
};

using TPaymentTypeRecords = QList<TPaymentTypeRecord>;

} // namespace pq
