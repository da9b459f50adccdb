#include "report/engine/rm_object.h"

#include <QSet>

#include <algorithm>

namespace pq {

std::int64_t PropInt(const Variant& value, std::int64_t fallback)
{
    if (value.isEmpty() || value.isNull() || value.isArray() || value.isPacket())
        return fallback;
    try {
        if (value.type() == Variant::Type::String) {
            bool ok = false;
            const QString t = value.toText().trimmed();
            const qlonglong i = t.toLongLong(&ok);
            if (ok)
                return i;
            const double d = t.toDouble(&ok);
            return ok ? static_cast<std::int64_t>(d) : fallback;
        }
        if (value.type() == Variant::Type::Float || value.type() == Variant::Type::Currency
            || value.type() == Variant::Type::DateTime)
            return static_cast<std::int64_t>(value.toDouble());
        return value.toInt();
    } catch (const VariantError&) {
        return fallback;
    }
}

double PropFloat(const Variant& value, double fallback)
{
    if (value.isEmpty() || value.isNull() || value.isArray() || value.isPacket())
        return fallback;
    try {
        return value.toDouble();
    } catch (const VariantError&) {
        return fallback;
    }
}

bool PropBool(const Variant& value)
{
    if (value.type() == Variant::Type::String) {
        const QString t = value.toText().trimmed().toUpper();
        if (t == QLatin1String("TRUE"))
            return true;
        if (t == QLatin1String("FALSE") || t.isEmpty())
            return false;
    }
    return PropInt(value, 0) != 0;
}

QString PropText(const Variant& value)
{
    if (value.isEmpty() || value.isNull() || value.isArray() || value.isPacket())
        return {};
    try {
        return value.toText();
    } catch (const VariantError&) {
        return {};
    }
}

bool SetFontSubProp(TRMFont& font, const QString& n, const Variant& value)
{
    if (n == QLatin1String("FONT.NAME"))
        font.Name = PropText(value);
    else if (n == QLatin1String("FONT.SIZE"))
        font.Size = static_cast<int>(PropInt(value, font.Size));
    else if (n == QLatin1String("FONT.STYLE"))
        font.Style = static_cast<int>(PropInt(value, font.Style)) & 0x0F;
    else if (n == QLatin1String("FONT.COLOR"))
        font.Color = static_cast<std::uint32_t>(PropInt(value, font.Color));
    else if (n == QLatin1String("FONT.CHARSET"))
        font.Charset = static_cast<int>(PropInt(value, font.Charset));
    else
        return false;
    return true;
}

bool GetFontSubProp(const TRMFont& font, const QString& n, Variant& result)
{
    if (n == QLatin1String("FONT.NAME"))
        result = Variant(font.Name);
    else if (n == QLatin1String("FONT.SIZE"))
        result = Variant::FromInt(font.Size);
    else if (n == QLatin1String("FONT.STYLE"))
        result = Variant::FromInt(font.Style);
    else if (n == QLatin1String("FONT.COLOR"))
        result = Variant::FromInt(font.Color);
    else if (n == QLatin1String("FONT.CHARSET"))
        result = Variant::FromInt(font.Charset);
    else
        return false;
    return true;
}

// ---- property tables ----

TRMPropRow TRMPropRow::List(int dataType) &&
{
    Listed = true;
    DataType = dataType;
    return std::move(*this);
}

TRMPropRow TRMPropRow::ListEnum(const QString& names, QList<Variant> values) &&
{
    Listed = true;
    DataType = rmdtEnum;
    EnumNames = names;
    EnumValues = std::move(values);
    return std::move(*this);
}

TRMPropTable::TRMPropTable(const TRMPropTable* base, TListing listing, std::vector<TRMPropRow> rows)
    : m_rows(std::move(rows))
{
    if (base) {
        m_getters = base->m_getters;
        m_setters = base->m_setters;
        if (listing == TListing::WithBase)
            m_listed = base->m_listed;
    }
    // A name twice among one class's rows would leave one of them unreachable.
    QSet<QString> own;
    for (const TRMPropRow& row : m_rows) {
        const QString key = row.Name.toUpper();
        Q_ASSERT_X(!own.contains(key), "TRMPropTable", qPrintable(row.Name));
        own.insert(key);
        if (row.Get)
            m_getters.insert(key, &row);
        if (row.Set)
            m_setters.insert(key, &row);
        if (!row.Listed)
            continue;
        auto same = std::find_if(m_listed.begin(), m_listed.end(),
            [&key](const TRMPropRow* r) { return r->Name.toUpper() == key; });
        if (same != m_listed.end())
            *same = &row;
        else
            m_listed.push_back(&row);
    }
}

const TRMPropRow* TRMPropTable::Getter(const QString& upperName) const
{
    return m_getters.value(upperName, nullptr);
}

const TRMPropRow* TRMPropTable::Setter(const QString& upperName) const
{
    return m_setters.value(upperName, nullptr);
}

// ---- object ----

void TRMObject::SetPropValue(const QString& name, const Variant& value)
{
    const QString n = name.toUpper();
    if (const TRMPropTable* table = PropTable()) {
        if (const TRMPropRow* row = table->Setter(n)) {
            row->Set(*this, value);
            return;
        }
    }
    if (TRMFont* f = FontProp())
        SetFontSubProp(*f, n, value);
}

Variant TRMObject::GetPropValue(const QString& name)
{
    const QString n = name.toUpper();
    if (const TRMPropTable* table = PropTable()) {
        if (const TRMPropRow* row = table->Getter(n))
            return row->Get(*this);
    }
    Variant result;
    if (const TRMFont* f = FontProp(); f && GetFontSubProp(*f, n, result))
        return result;
    // "Memo.Count" and the like read a list's length through the shared list code.
    if (n.endsWith(QLatin1String(".COUNT"))) {
        if (const QStringList* list = StringListProp(n.left(n.size() - 6)))
            return Variant::FromInt(list->size());
    }
    return Variant::Null();
}

Variant TRMObject::DoMethod(const QString& name, const QList<Variant>& args)
{
    const QString n = name.toUpper();
    auto arg = [&args](int i) { return i < args.size() ? args.at(i) : Variant(); };

    if (n == QLatin1String("SETINDEXPROPERTY") || n == QLatin1String("GETINDEXPROPERTY")) {
        QStringList* list = StringListProp(PropText(arg(0)).toUpper());
        if (!list)
            return Variant::Null();
        const std::int64_t index = PropInt(arg(1), -1);
        if (n == QLatin1String("GETINDEXPROPERTY")) {
            if (index < 0 || index >= list->size())
                return Variant::Null();
            return Variant(list->at(static_cast<int>(index)));
        }
        // Writing past the end grows the list, so scripts can fill it by index.
        if (index < 0 || index > 100000)
            return Variant::Null();
        while (list->size() <= index)
            list->append(QString());
        (*list)[static_cast<int>(index)] = PropText(arg(2));
        return Variant::Null();
    }

    const int dot = n.lastIndexOf(QLatin1Char('.'));
    if (dot > 0) {
        const QString op = n.mid(dot + 1);
        if (QStringList* list = StringListProp(n.left(dot))) {
            if (op == QLatin1String("ADD")) {
                list->append(PropText(arg(0)));
                return Variant::FromInt(list->size() - 1);
            }
            if (op == QLatin1String("CLEAR")) {
                list->clear();
                return Variant::Null();
            }
            if (op == QLatin1String("DELETE")) {
                const std::int64_t index = PropInt(arg(0), -1);
                if (index >= 0 && index < list->size())
                    list->removeAt(static_cast<int>(index));
                return Variant::Null();
            }
            if (op == QLatin1String("INDEXOF"))
                return Variant::FromInt(list->indexOf(PropText(arg(0))));
        }
    }
    return Variant::Null();
}

void TRMObject::RegisterProperties()
{
    const TRMPropTable* table = PropTable();
    if (!table)
        return;
    ClearPropList();
    for (const TRMPropRow* row : table->Listed()) {
        if (row->DataType == rmdtEnum)
            AddEnumProperty(row->Name, row->EnumNames, row->EnumValues);
        else
            AddProperty(row->Name, row->DataType);
    }
}

void TRMObject::DelProp(const QString& name)
{
    for (auto it = m_props.begin(); it != m_props.end(); ++it) {
        if (it->Name.compare(name, Qt::CaseInsensitive) == 0) {
            m_props.erase(it);
            return;
        }
    }
}

void TRMObject::AddProperty(const QString& name, int dataType, std::function<void()> editor)
{
    TRMPropRec rec;
    rec.Name = name;
    rec.DataType = dataType;
    rec.Editor = std::move(editor);
    m_props.push_back(std::move(rec));
}

void TRMObject::AddEnumProperty(const QString& name, const QString& enumNames,
    const QList<Variant>& values, std::function<void()> editor)
{
    TRMPropRec rec;
    rec.Name = name;
    rec.DataType = rmdtEnum;
    rec.EnumNames = enumNames.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    rec.EnumValues = values;
    rec.Editor = std::move(editor);
    m_props.push_back(std::move(rec));
}

TRMPropRec* TRMObject::FindProp(const QString& name)
{
    for (TRMPropRec& rec : m_props)
        if (rec.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &rec;
    return nullptr;
}

} // namespace pq
