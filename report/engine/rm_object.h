// The scriptable base of every report object: a property table for scripts and the
// designer, and property and method access by name. Names are compared upper-cased.
#pragma once

#include "base/variant.h"

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

class TRMObject {
public:
    TRMObject() = default;
    virtual ~TRMObject() = default;
    TRMObject(const TRMObject&) = delete;
    TRMObject& operator=(const TRMObject&) = delete;

    // Property and method access by name, any case. Unknown names: setting does nothing,
    // reading and calling return Null. The base understands the font sub-properties of an
    // object with a font and the list operations of its string-list properties.
    virtual void SetPropValue(const QString& name, const Variant& value);
    virtual Variant GetPropValue(const QString& name);
    virtual Variant DoMethod(const QString& name, const QList<Variant>& args);
    // Rebuilds the property table.
    virtual void RegisterProperties() {}

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

// Reads a variant leniently for property assignment: numbers, booleans and numeric text
// give an integer; anything else gives fallback.
std::int64_t PropInt(const Variant& value, std::int64_t fallback = 0);
double PropFloat(const Variant& value, double fallback = 0.0);
bool PropBool(const Variant& value);
QString PropText(const Variant& value);

} // namespace pq
