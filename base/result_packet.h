// The result of a query as the application server hands it over: named, typed columns and
// rows of values in the order the server returned them.
#pragma once

#include "base/variant.h"

#include <QList>
#include <QString>

namespace pq {

struct PacketField {
    PacketField(QString n = {}, Variant::Type t = Variant::Type::String, int s = 0)
        : name(std::move(n)), type(t), size(s)
    {
    }
    QString name;
    Variant::Type type;
    int size; // bytes for text fields; 0 when the server gave no size
    // Set on the client side (the server sends neither).
    QString displayFormat;
    QString displayLabel;
};

struct ResultPacket {
    QList<PacketField> fields;
    QList<QList<Variant>> rows;
};

} // namespace pq
