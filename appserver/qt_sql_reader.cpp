#include "appserver/qt_sql_reader.h"

#include <QDate>
#include <QDateTime>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace pq {

namespace {

Variant::Type TypeOf(const QMetaType& t)
{
    switch (t.id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return Variant::Type::Integer;
    case QMetaType::Double:
    case QMetaType::Float:
        return Variant::Type::Float;
    case QMetaType::Bool:
        return Variant::Type::Boolean;
    case QMetaType::QDate:
    case QMetaType::QDateTime:
        return Variant::Type::DateTime;
    default:
        return Variant::Type::String;
    }
}

Variant ToVariant(const QVariant& v)
{
    if (v.isNull())
        return Variant::Null();
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
        return Variant::FromInt(v.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return Variant::FromFloat(v.toDouble());
    case QMetaType::Bool:
        return Variant::FromBool(v.toBool());
    case QMetaType::QDate:
        return Variant::FromDateTime(static_cast<double>(QDate(1899, 12, 30).daysTo(v.toDate())));
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        const double days = static_cast<double>(QDate(1899, 12, 30).daysTo(dt.date()))
            + dt.time().msecsSinceStartOfDay() / 86400000.0;
        return Variant::FromDateTime(days);
    }
    default:
        return Variant(v.toString());
    }
}

} // namespace

QString SqlErrorText(const QSqlError& e)
{
    QString t = e.databaseText().trimmed();
    if (t.isEmpty())
        t = e.text().trimmed();
    if (t.isEmpty())
        t = QStringLiteral("Unknown database error");
    return t;
}

bool QtSqlReadPacket(const QSqlDatabase& db, const QString& statement, ResultPacket& packet, QString& failure)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(statement)) {
        // An empty statement fails without an error of its own.
        failure = q.lastError().isValid() ? SqlErrorText(q.lastError()) : QStringLiteral("No query");
        return false;
    }
    {
        const QSqlRecord rec = q.record();
        for (int i = 0; i < rec.count(); ++i) {
            const QSqlField f = rec.field(i);
            packet.fields.append(PacketField{f.name(), TypeOf(f.metaType()), f.length() > 0 ? f.length() : 0});
        }
        while (q.next()) {
            QList<Variant> row;
            row.reserve(rec.count());
            for (int i = 0; i < rec.count(); ++i)
                row.append(ToVariant(q.value(i)));
            packet.rows.append(std::move(row));
        }
    }
    if (q.lastError().isValid()) {
        failure = SqlErrorText(q.lastError());
        return false;
    }
    return true;
}

} // namespace pq
