#include "base/client_dataset.h"

#include "base/gbk_text.h"

namespace pq {

namespace {

// The data sets placed on a form; read when a report looks a data set up by name.
QList<ClientDataSet*>& NamedDataSets()
{
    static QList<ClientDataSet*> sets;
    return sets;
}

} // namespace

ClientDataSet::ClientDataSet(const ClientDataSet& other)
    : m_active(other.m_active)
    , m_fields(other.m_fields)
    , m_fieldIndex(other.m_fieldIndex)
    , m_rows(other.m_rows)
    , m_cursor(other.m_cursor)
{
}

ClientDataSet& ClientDataSet::operator=(const ClientDataSet& other)
{
    if (this != &other) {
        m_active = other.m_active;
        m_fields = other.m_fields;
        m_fieldIndex = other.m_fieldIndex;
        m_rows = other.m_rows;
        m_cursor = other.m_cursor;
        Notify(Change::Data);
    }
    return *this;
}

ClientDataSet::~ClientDataSet()
{
    SetOwnerAndName(nullptr, QString());
    // A watcher may stop watching while it hears of the end.
    const QList<ClientDataSetObserver*> observers = m_observers;
    m_observers.clear();
    for (ClientDataSetObserver* o : observers)
        o->DataSetDestroyed();
}

void ClientDataSet::SetOwnerAndName(QObject* owner, const QString& name)
{
    NamedDataSets().removeAll(this);
    m_owner = name.isEmpty() ? nullptr : owner;
    m_name = m_owner ? name : QString();
    if (m_owner)
        NamedDataSets().append(this);
}

ClientDataSet* ClientDataSet::FindOn(const QObject* owner, const QString& name)
{
    if (!owner || name.isEmpty())
        return nullptr;
    for (ClientDataSet* d : NamedDataSets())
        if (d->m_owner == owner && d->m_name.compare(name, Qt::CaseInsensitive) == 0)
            return d;
    return nullptr;
}

void ClientDataSet::AddObserver(ClientDataSetObserver* observer)
{
    if (observer && !m_observers.contains(observer))
        m_observers.append(observer);
}

void ClientDataSet::RemoveObserver(ClientDataSetObserver* observer) { m_observers.removeAll(observer); }

void ClientDataSet::DisableControls() { ++m_disabled; }

void ClientDataSet::EnableControls()
{
    if (m_disabled == 0 || --m_disabled > 0)
        return;
    const bool data = m_pendingData, scroll = m_pendingScroll;
    m_pendingData = m_pendingScroll = false;
    if (data)
        Notify(Change::Data);
    else if (scroll)
        Notify(Change::Scroll);
}

void ClientDataSet::Notify(Change change)
{
    if (m_disabled > 0) {
        (change == Change::Data ? m_pendingData : m_pendingScroll) = true;
        return;
    }
    const QList<ClientDataSetObserver*> observers = m_observers;
    for (ClientDataSetObserver* o : observers)
        if (m_observers.contains(o)) {
            if (change == Change::Data)
                o->DataSetChanged();
            else
                o->DataSetScrolled();
        }
}

void ClientDataSet::LoadPacket(const Variant& data)
{
    const auto packet = data.packet();
    if (!packet)
        throw DataSetError("The data received is not a data packet");
    m_fields = packet->fields;
    IndexFields();
    m_rows = packet->rows;
    m_cursor = 0;
    m_active = true;
    Notify(Change::Data);
}

void ClientDataSet::CreateTextFields(const QList<TextFieldDef>& fields)
{
    m_fields.clear();
    for (const TextFieldDef& f : fields)
        m_fields.append(PacketField{f.name, Variant::Type::String, f.size});
    IndexFields();
    m_rows.clear();
    m_cursor = 0;
    m_active = true;
    Notify(Change::Data);
}

void ClientDataSet::Close()
{
    m_active = false;
    m_rows.clear();
    m_cursor = 0;
    Notify(Change::Data);
}

void ClientDataSet::EmptyDataSet()
{
    RequireActive();
    m_rows.clear();
    m_cursor = 0;
    Notify(Change::Data);
}

void ClientDataSet::First()
{
    if (m_cursor == 0)
        return;
    m_cursor = 0;
    Notify(Change::Scroll);
}

void ClientDataSet::Next()
{
    if (m_cursor < m_rows.size()) {
        ++m_cursor;
        Notify(Change::Scroll);
    }
}

bool ClientDataSet::Eof() const { return !m_active || m_cursor >= m_rows.size(); }

bool ClientDataSet::MoveTo(int row)
{
    if (row < 0 || row >= m_rows.size())
        return false;
    if (m_cursor != row) {
        m_cursor = row;
        Notify(Change::Scroll);
    }
    return true;
}

const PacketField& ClientDataSet::Field(int index) const
{
    if (index < 0 || index >= m_fields.size())
        throw DataSetError("Field index out of range");
    return m_fields.at(index);
}

void ClientDataSet::IndexFields()
{
    m_fieldIndex.clear();
    m_fieldIndex.reserve(m_fields.size());
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        const QString key = m_fields.at(i).name.toCaseFolded();
        if (!m_fieldIndex.contains(key))
            m_fieldIndex.insert(key, static_cast<int>(i));
    }
}

int ClientDataSet::FieldIndex(const QString& name) const
{
    // Case folding is what a case-insensitive comparison compares.
    return m_fieldIndex.value(name.toCaseFolded(), -1);
}

void ClientDataSet::SetDisplayFormat(int index, const QString& format)
{
    Field(index);
    m_fields[index].displayFormat = format;
    Notify(Change::Data);
}

void ClientDataSet::SetDisplayLabel(int index, const QString& label)
{
    Field(index);
    m_fields[index].displayLabel = label;
    Notify(Change::Data);
}

QString ClientDataSet::DisplayLabel(int index) const
{
    const PacketField& f = Field(index);
    return f.displayLabel.isEmpty() ? f.name : f.displayLabel;
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

Variant ClientDataSet::ValueAt(int row, int index) const
{
    Field(index);
    if (!m_active || row < 0 || row >= m_rows.size())
        return Variant::Null();
    const QList<Variant>& r = m_rows.at(row);
    return index < r.size() ? r.at(index) : Variant::Null();
}

QString ClientDataSet::TextAt(int row, int index) const
{
    if (index < 0 || index >= FieldCount())
        return {};
    try {
        const Variant v = ValueAt(row, index);
        return v.isNull() || v.isEmpty() ? QString() : v.toText();
    } catch (const std::exception&) {
        return {};
    }
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
    // Missing values are empty text here, not NULL.
    QList<Variant> row;
    row.reserve(m_fields.size());
    for (qsizetype i = 0; i < m_fields.size(); ++i)
        row.append(Variant(i < values.size() ? values.at(i) : QString()));
    AppendValues(row);
}

void ClientDataSet::AppendValues(const QList<Variant>& values)
{
    RequireActive();
    if (values.size() > m_fields.size())
        throw DataSetError("Too many values for the record");
    QList<Variant> row;
    row.reserve(m_fields.size());
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        Variant v = i < values.size() ? values.at(i) : Variant::Null();
        const int size = m_fields.at(i).size;
        if (size > 0 && v.type() == Variant::Type::String)
            v = Variant(CutToGbkBytes(v.toText(), size));
        row.append(v);
    }
    m_rows.append(row);
    m_cursor = static_cast<int>(m_rows.size()) - 1;
    Notify(Change::Data);
}

} // namespace pq
