// The result of a query as the application server hands it over: named, typed columns and
// rows of values in the order the server returned them.
#pragma once

#include "base/variant.h"

#include <QList>
#include <QString>

namespace pq {

struct PacketField {
    QString name;
    Variant::Type type = Variant::Type::String;
    int size = 0; // bytes for text fields; 0 when the server gave no size
};

struct ResultPacket {
    QList<PacketField> fields;
    QList<QList<Variant>> rows;
};

} // namespace pq
