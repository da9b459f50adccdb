// The scriptable base of every report object: the property list the designer shows,
// property and method access by name, and the per-class property tables that both are built
// from. Names are compared upper-cased.
#pragma once

#include "base/variant.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

namespace pq {

// Type word of a property record (a bit set); 0 is a plain number shown read-only.
enum TRMPropType : int {
    rmdtString = 1,
    rmdtInteger = 2,
    rmdtFloat = 4,
    rmdtBoolean = 8,
    rmdtColor = 16,
    rmdtEnum = 32,
    rmdtHasEditor = 64,
    rmdtSize = 128,
    rmdtOneObject = 256,
};

struct TRMPropRec {
    QString Name;
    int DataType = 0;
    QStringList EnumNames;      // enumerations: the value names
    QList<Variant> EnumValues;  // and their values
    std::function<void()> Editor;
    void* EditorObject = nullptr; // designer-side editor, not owned
};

// Font of a view. Style uses the bit set scripts exchange: 1 italic, 2 bold,
// 4 underline, 8 strike-out. Colours are 32-bit platform colour values (0x00BBGGRR).
struct TRMFont {
    enum StyleBit : int { fsItalic = 1, fsBold = 2, fsUnderline = 4, fsStrikeOut = 8 };
    QString Name = QStringLiteral("Arial");
    int Size = 10; // points
    int Style = 0;
    std::uint32_t Color = 0;
    int Charset = 134;

    bool operator==(const TRMFont&) const = default;
};

// Reads a variant leniently for property assignment: numbers, booleans and numeric text
// give an integer; anything else gives fallback.
std::int64_t PropInt(const Variant& value, std::int64_t fallback = 0);
double PropFloat(const Variant& value, double fallback = 0.0);
bool PropBool(const Variant& value);
QString PropText(const Variant& value);

class TRMObject;

// ---- property tables ----
//
// A class spells out its scriptable properties once, in one table of rows: the name as
// scripts spell it, the type word and enumeration the designer's table shows, whether that
// table lists it, and a getter and a setter. A class's table is chained to its base's:
// reading a name takes the first row of that name (compared upper-cased) that has a getter,
// in the class's own rows and then its bases'; writing likewise with a setter. So a derived
// row overrides a base row of the same name, and a row without a getter or setter leaves
// that access to the base (a read-only row, or one the class only lists). Each table hashes
// its names, its bases' included, once, when it is built.
struct TRMPropRow {
    QString Name;
    int DataType = 0;
    bool Listed = false;
    QString EnumNames;           // ';'-separated, for an enumeration
    QList<Variant> EnumValues;
    std::function<Variant(TRMObject&)> Get;
    std::function<void(TRMObject&, const Variant&)> Set;

    // The designer's table lists the row with this type word.
    TRMPropRow List(int dataType) &&;
    // The designer's table lists the row as an enumeration.
    TRMPropRow ListEnum(const QString& names, QList<Variant> values) &&;
};

class TRMPropTable {
public:
    // Whether the designer's listing starts with the base's listed rows, or shows only the
    // class's own.
    enum class TListing { WithBase, OwnOnly };

    TRMPropTable(const TRMPropTable* base, TListing listing, std::vector<TRMPropRow> rows);
    TRMPropTable(const TRMPropTable&) = delete;
    TRMPropTable& operator=(const TRMPropTable&) = delete;

    // The row that reads (writes) the upper-cased name; nullptr when none does.
    const TRMPropRow* Getter(const QString& upperName) const;
    const TRMPropRow* Setter(const QString& upperName) const;
    // The listed rows in the designer's order: the base's (when included), then the class's
    // own; an own row of a name the base lists takes that row's place.
    const std::vector<const TRMPropRow*>& Listed() const { return m_listed; }

private:
    std::vector<TRMPropRow> m_rows;
    QHash<QString, const TRMPropRow*> m_getters;
    QHash<QString, const TRMPropRow*> m_setters;
    std::vector<const TRMPropRow*> m_listed;
};

// Rows over the fields of class T, so that a table reads as a list of fields. Getters and
// setters take T; the common kinds convert leniently with the current value as fallback.
template <class T>
struct TRMProps {
    using TGet = std::function<Variant(T&)>;
    using TSet = std::function<void(T&, const Variant&)>;

    static TRMPropRow Row(const QString& name, TGet get, TSet set = {})
    {
        TRMPropRow row;
        row.Name = name;
        if (get)
            row.Get = [get = std::move(get)](TRMObject& o) { return get(static_cast<T&>(o)); };
        if (set)
            row.Set = [set = std::move(set)](TRMObject& o, const Variant& v) { set(static_cast<T&>(o), v); };
        return row;
    }
    // Read-only.
    static TRMPropRow ReadOnly(const QString& name, TGet get) { return Row(name, std::move(get)); }
    // Listed only; reading and writing are the base's.
    static TRMPropRow ListingOf(const QString& name)
    {
        TRMPropRow row;
        row.Name = name;
        return row;
    }
    // An integer field of any width: PropInt with the current value as fallback.
    template <class C, class F>
    static TRMPropRow Int(const QString& name, F C::*field)
    {
        return Row(name, [field](T& o) { return Variant::FromInt(static_cast<C&>(o).*field); },
            [field](T& o, const Variant& v) {
                F& f = static_cast<C&>(o).*field;
                f = static_cast<F>(PropInt(v, f));
            });
    }
    template <class C>
    static TRMPropRow Bool(const QString& name, bool C::*field)
    {
        return Row(name, [field](T& o) { return Variant::FromBool(static_cast<C&>(o).*field); },
            [field](T& o, const Variant& v) { static_cast<C&>(o).*field = PropBool(v); });
    }
    template <class C>
    static TRMPropRow Text(const QString& name, QString C::*field)
    {
        return Row(name, [field](T& o) { return Variant(static_cast<C&>(o).*field); },
            [field](T& o, const Variant& v) { static_cast<C&>(o).*field = PropText(v); });
    }
};

class TRMObject {
public:
    TRMObject() = default;
    virtual ~TRMObject() = default;
    TRMObject(const TRMObject&) = delete;
    TRMObject& operator=(const TRMObject&) = delete;

    // Property and method access by name, any case. Unknown names: setting does nothing,
    // reading and calling return Null. Properties are the rows of the class's table
    // (PropTable); after them the base understands the font sub-properties of an object
    // with a font and the list operations of its string-list properties.
    virtual void SetPropValue(const QString& name, const Variant& value);
    virtual Variant GetPropValue(const QString& name);
    virtual Variant DoMethod(const QString& name, const QList<Variant>& args);
    // Rebuilds the property list from the table's listed rows; without a table it does
    // nothing.
    virtual void RegisterProperties();
    // The class's property table; nullptr for an object without one.
    virtual const TRMPropTable* PropTable() const { return nullptr; }

    // The property table.
    void ClearPropList() { m_props.clear(); }
    void DelProp(const QString& name);
    void AddProperty(const QString& name, int dataType, std::function<void()> editor = {});
    // Names as one ';'-separated string, with their values.
    void AddEnumProperty(const QString& name, const QString& enumNames, const QList<Variant>& values,
        std::function<void()> editor = {});
    TRMPropRec* FindProp(const QString& name);
    const std::vector<TRMPropRec>& PropList() const { return m_props; }

protected:
    // The object's font for the shared "FONT.*" properties; nullptr when it has none.
    virtual TRMFont* FontProp() { return nullptr; }
    // The string-list property of that upper-cased name for ".ADD", ".CLEAR", ".DELETE",
    // ".INDEXOF", "SETINDEXPROPERTY" and "GETINDEXPROPERTY"; nullptr when none.
    virtual QStringList* StringListProp(const QString& /*upperName*/) { return nullptr; }

private:
    std::vector<TRMPropRec> m_props;
};

// Shared handling used by the base and available to objects that hold more than one font
// or list: return true when the name was one of theirs.
bool SetFontSubProp(TRMFont& font, const QString& upperName, const Variant& value);
bool GetFontSubProp(const TRMFont& font, const QString& upperName, Variant& result);

} // namespace pq
