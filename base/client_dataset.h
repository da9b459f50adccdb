// An in-memory client data set: loads a server result packet, or is created empty with
// text fields of given byte sizes and appended to. Fields are found by name without regard
// to case (PostgreSQL folds unquoted names to lower case) or by position.
#pragma once

#include "base/result_packet.h"
#include "base/variant.h"

#include <QStringList>

#include <stdexcept>

namespace pq {

class DataSetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TextFieldDef {
    QString name;
    int size = 0; // GBK bytes
};

class ClientDataSet {
public:
    // Loads a result packet; throws DataSetError when data holds no packet (an error
    // array, say). The cursor is on the first row.
    void LoadPacket(const Variant& data);
    // Creates an empty, open data set with the given text fields.
    void CreateTextFields(const QList<TextFieldDef>& fields);

    bool Active() const { return m_active; }
    void Close();
    // Removes every row; the fields stay.
    void EmptyDataSet();

    bool IsEmpty() const { return m_rows.isEmpty(); }
    int RecordCount() const { return static_cast<int>(m_rows.size()); }
    int RecNo() const { return m_cursor; } // 0-based
    void First();
    void Next();
    bool Eof() const;
    // Moves to the given 0-based row; false when out of range.
    bool MoveTo(int row);

    int FieldCount() const { return static_cast<int>(m_fields.size()); }
    const PacketField& Field(int index) const;
    // -1 when there is no field of that name.
    int FieldIndex(const QString& name) const;

    // Values of the current row. NULL reads as empty text. Throw DataSetError for an
    // unknown field or when there is no current row.
    Variant Value(const QString& name) const;
    Variant Value(int index) const;
    QString Text(const QString& name) const;
    QString Text(int index) const;

    // Appends a row; a text longer than its field is cut to the field's GBK size at a
    // character boundary. Missing values are empty; extra values are an error.
    void AppendRecord(const QStringList& values);

private:
    void RequireActive() const;
    int RequireField(const QString& name) const;
    const QList<Variant>& CurrentRow() const;

    bool m_active = false;
    QList<PacketField> m_fields;
    QList<QList<Variant>> m_rows;
    int m_cursor = 0;
};

} // namespace pq
