// Function libraries: named functions computed from their argument texts, registered by
// class; the standard library is registered when the registry is first used.
#pragma once

#include "base/variant.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <typeinfo>

namespace pq {

class NameResolverHost;

// What a library function may use: evaluation of its argument texts and the report.
class TRMFunctionCaller {
public:
    virtual ~TRMFunctionCaller() = default;
    virtual Variant Calc(const QString& expression) = 0;
    virtual NameResolverHost& Host() = 0;
};

// A catalogue row for the designer's expression builder. Argument letters: S string,
// N number, D date, B boolean, V any value.
struct TRMFunctionDescription {
    QString name;
    QString category;
    QString args;
    int descriptionId = 0; // string-table number of the description text
};

class TRMFunctionLibrary {
public:
    virtual ~TRMFunctionLibrary() = default;

    // Upper-case names this library computes.
    const QStringList& List() const { return m_list; }
    const QList<TRMFunctionDescription>& Catalogue() const { return m_catalogue; }

    // Computes the named function (upper-case) into result; false when the library does
    // not know the name.
    bool OnFunction(TRMFunctionCaller& caller, const QString& upperName, const QStringList& args, Variant& result);

protected:
    virtual void DoFunction(int index, TRMFunctionCaller& caller, const QStringList& args, Variant& result) = 0;
    void AddFunction(const QString& name) { m_list << name.toUpper(); }
    void AddDescription(const QString& name, const QString& category, const QString& args, int descriptionId)
    {
        m_catalogue.append({name, category, args, descriptionId});
    }

private:
    QStringList m_list;
    QList<TRMFunctionDescription> m_catalogue;
};

class TRMStdFunctionLibrary : public TRMFunctionLibrary {
public:
    TRMStdFunctionLibrary();

protected:
    void DoFunction(int index, TRMFunctionCaller& caller, const QStringList& args, Variant& result) override;
};

// Registered libraries in registration order.
QList<TRMFunctionLibrary*> RMFunctionLibraries();
// Registers a library of a class not yet registered (a second one is ignored).
void RMRegisterFunctionLibrary(std::unique_ptr<TRMFunctionLibrary> library);
void RMUnregisterFunctionLibrary(const std::type_info& libraryClass);
template <class T> void RMRegisterFunctionLibrary() { RMRegisterFunctionLibrary(std::make_unique<T>()); }
template <class T> void RMUnregisterFunctionLibrary() { RMUnregisterFunctionLibrary(typeid(T)); }

} // namespace pq
