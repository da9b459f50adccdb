#include "base/client_dataset.h"

#include "base/gbk_text.h"

namespace pq {

void ClientDataSet::LoadPacket(const Variant& data)
{
    const auto packet = data.packet();
    if (!packet)
        throw DataSetError("The data received is not a data packet");
    m_fields = packet->fields;
    m_rows = packet->rows;
    m_cursor = 0;
    m_active = true;
}

void ClientDataSet::CreateTextFields(const QList<TextFieldDef>& fields)
{
    m_fields.clear();
    for (const TextFieldDef& f : fields)
        m_fields.append(PacketField{f.name, Variant::Type::String, f.size});
    m_rows.clear();
    m_cursor = 0;
    m_active = true;
}

void ClientDataSet::Close()
{
    m_active = false;
    m_rows.clear();
    m_cursor = 0;
}

void ClientDataSet::EmptyDataSet()
{
    RequireActive();
    m_rows.clear();
    m_cursor = 0;
}

void ClientDataSet::First() { m_cursor = 0; }

void ClientDataSet::Next()
{
    if (m_cursor < m_rows.size())
        ++m_cursor;
}

bool ClientDataSet::Eof() const { return !m_active || m_cursor >= m_rows.size(); }

bool ClientDataSet::MoveTo(int row)
{
    if (row < 0 || row >= m_rows.size())
        return false;
    m_cursor = row;
    return true;
}

const PacketField& ClientDataSet::Field(int index) const
{
    if (index < 0 || index >= m_fields.size())
        throw DataSetError("Field index out of range");
    return m_fields.at(index);
}

int ClientDataSet::FieldIndex(const QString& name) const
{
    for (qsizetype i = 0; i < m_fields.size(); ++i)
        if (m_fields.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

void ClientDataSet::RequireActive() const
{
    if (!m_active)
        throw DataSetError("Cannot perform this operation on a closed dataset");
}

int ClientDataSet::RequireField(const QString& name) const
{
    const int i = FieldIndex(name);
    if (i < 0)
        throw DataSetError(QStringLiteral("Field '%1' not found").arg(name).toStdString());
    return i;
}

const QList<Variant>& ClientDataSet::CurrentRow() const
{
    RequireActive();
    if (m_cursor < 0 || m_cursor >= m_rows.size())
        throw DataSetError("No current record");
    return m_rows.at(m_cursor);
}

Variant ClientDataSet::Value(int index) const
{
    Field(index);
    const QList<Variant>& row = CurrentRow();
    return index < row.size() ? row.at(index) : Variant::Null();
}

Variant ClientDataSet::Value(const QString& name) const
{
    RequireActive();
    return Value(RequireField(name));
}

QString ClientDataSet::Text(int index) const
{
    const Variant v = Value(index);
    if (v.isNull())
        return QString();
    return v.toText();
}

QString ClientDataSet::Text(const QString& name) const
{
    RequireActive();
    return Text(RequireField(name));
}

void ClientDataSet::AppendRecord(const QStringList& values)
{
    RequireActive();
    if (values.size() > m_fields.size())
        throw DataSetError("Too many values for the record");
    QList<Variant> row;
    row.reserve(m_fields.size());
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        QString v = i < values.size() ? values.at(i) : QString();
        const int size = m_fields.at(i).size;
        if (size > 0)
            v = CutToGbkBytes(v, size);
        row.append(Variant(v));
    }
    m_rows.append(row);
    m_cursor = static_cast<int>(m_rows.size()) - 1;
}

} // namespace pq
