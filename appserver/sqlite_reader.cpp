#include "appserver/sqlite_reader.h"

#include <sqlite3.h>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pq {

namespace {

struct Finalizer {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalizer>;

QString ErrorMessage(sqlite3* db)
{
    QString t = QString::fromUtf8(sqlite3_errmsg(db)).trimmed();
    return t.isEmpty() ? QStringLiteral("Unknown database error") : t;
}

// The column types the Qt driver reports: from the declared type, named exactly (case
// aside; "numeric" also with a precision), else — an expression — from the first row's
// value.
Variant::Type ColumnType(sqlite3_stmt* s, int column, bool haveRow)
{
    if (const char* declared = sqlite3_column_decltype(s, column)) {
        const QByteArray d = QByteArray(declared).toLower();
        if (d == "integer" || d == "int")
            return Variant::Type::Integer;
        if (d == "double" || d == "real" || d == "float" || d.startsWith("numeric"))
            return Variant::Type::Float;
        if (d == "boolean" || d == "bool")
            return Variant::Type::Boolean;
        return Variant::Type::String;
    }
    if (!haveRow)
        return Variant::Type::String;
    switch (sqlite3_column_type(s, column)) {
    case SQLITE_INTEGER:
        return Variant::Type::Integer;
    case SQLITE_FLOAT:
        return Variant::Type::Float;
    default:
        return Variant::Type::String;
    }
}

// Texts repeat down the columns of a joined list (a unit's number and name on every row of
// that unit's types): one shared copy per distinct text spares an allocation and a decoding
// per value. A column whose texts do not repeat soon stops looking.
class ColumnTexts {
public:
    QString Take(const char* bytes, int size)
    {
        if (!m_looking || size > kLongest)
            return QString::fromUtf8(bytes, size);
        const std::string_view key(bytes, static_cast<size_t>(size));
        if (const auto it = m_seen.find(key); it != m_seen.end()) {
            ++m_hits;
            return it->second;
        }
        QString text = QString::fromUtf8(bytes, size);
        if (++m_misses >= kTrial && m_hits < m_misses) {
            m_looking = false;
            m_seen = {};
        } else if (m_seen.size() < kMostKept) {
            m_seen.emplace(std::string(key), text);
        }
        return text;
    }

private:
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view v) const { return std::hash<std::string_view>{}(v); }
    };
    static constexpr int kLongest = 64;
    static constexpr int kTrial = 256;
    static constexpr size_t kMostKept = 4096;
    std::unordered_map<std::string, QString, Hash, std::equal_to<>> m_seen;
    int m_hits = 0;
    int m_misses = 0;
    bool m_looking = true;
};

Variant Value(sqlite3_stmt* s, int column, ColumnTexts& texts)
{
    switch (sqlite3_column_type(s, column)) {
    case SQLITE_NULL:
        return Variant::Null();
    case SQLITE_INTEGER:
        return Variant::FromInt(sqlite3_column_int64(s, column));
    case SQLITE_FLOAT:
        return Variant::FromFloat(sqlite3_column_double(s, column));
    case SQLITE_BLOB: {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(s, column));
        return Variant(QString::fromUtf8(bytes, sqlite3_column_bytes(s, column)));
    }
    default: {
        // The database's own UTF-8, decoded by Qt (much faster than SQLite's conversion to
        // UTF-16); bytes that are no UTF-8 read as replacement characters.
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
        return Variant(texts.Take(text, sqlite3_column_bytes(s, column)));
    }
    }
}

// Whether the text after the first statement holds another one (not just blanks,
// semicolons or comments).
bool HoldsAnotherStatement(sqlite3* db, const void* tail, const void* end)
{
    const int bytes = static_cast<int>(static_cast<const char*>(end) - static_cast<const char*>(tail));
    if (bytes <= 0)
        return false;
    sqlite3_stmt* next = nullptr;
    if (sqlite3_prepare16_v2(db, tail, bytes, &next, nullptr) != SQLITE_OK)
        return true; // what follows is no statement, and is not left out silently either
    sqlite3_finalize(next);
    return next != nullptr;
}

} // namespace

QString MultipleStatementsMessage() { return QStringLiteral("Unable to execute multiple statements at a time"); }

bool SqliteReadPacket(sqlite3* db, const QString& statement, ResultPacket& packet, QString& failure)
{
    // The connection's own lock held once for the whole read (each call below would take it
    // again, a dozen times a row); it also keeps the error message the one of this statement.
    sqlite3_mutex* lock = sqlite3_db_mutex(db);
    sqlite3_mutex_enter(lock);
    const std::unique_ptr<sqlite3_mutex, void (*)(sqlite3_mutex*)> locked(lock, sqlite3_mutex_leave);
    const void* text = statement.utf16();
    const int bytes = static_cast<int>(statement.size() * 2);
    const void* end = static_cast<const char*>(text) + bytes;
    sqlite3_stmt* raw = nullptr;
    const void* tail = nullptr;
    if (sqlite3_prepare16_v2(db, text, bytes, &raw, &tail) != SQLITE_OK) {
        failure = ErrorMessage(db);
        return false;
    }
    const Statement s(raw);
    if (!s) {
        failure = QStringLiteral("No query");
        return false;
    }
    if (tail && HoldsAnotherStatement(db, tail, end)) {
        failure = MultipleStatementsMessage();
        return false;
    }
    const int columns = sqlite3_column_count(s.get());
    int rc = sqlite3_step(s.get());
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        failure = ErrorMessage(db);
        return false;
    }
    packet.fields.reserve(columns);
    for (int c = 0; c < columns; ++c) {
        const auto* name = static_cast<const QChar*>(sqlite3_column_name16(s.get(), c));
        QString n = name ? QString(name) : QString();
        n.remove(QLatin1Char('"'));
        packet.fields.append(PacketField{std::move(n), ColumnType(s.get(), c, rc == SQLITE_ROW), 0});
    }
    std::vector<ColumnTexts> texts(static_cast<size_t>(columns));
    for (; rc == SQLITE_ROW; rc = sqlite3_step(s.get())) {
        QList<Variant> row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c)
            row.append(Value(s.get(), c, texts[static_cast<size_t>(c)]));
        packet.rows.append(std::move(row));
    }
    if (rc != SQLITE_DONE) {
        failure = ErrorMessage(db);
        packet = ResultPacket{};
        return false;
    }
    return true;
}

} // namespace pq
