// The application server as the plug-in sees it: a reference-counted object reached by
// dispatch identifier with variant arguments, the way a late-bound automation server is.
// The typed calls below go through that dispatch, so every server behind it (SQLite,
// PostgreSQL, a test fake) is driven exactly as the plug-in drives a real one.
#pragma once

#include "base/variant.h"

#include <QString>

#include <atomic>
#include <span>
#include <stdexcept>

namespace pq {

enum DispId : int {
    kDispQueryData = 0x60020000,
    kDispExecuteSql = 2,
    kDispGetServerDate = 5,
    kDispGetServerTime = 6,
};

// Thrown by Invoke for a member the server does not have or arguments it cannot take.
class DispatchError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class IAppServer {
public:
    virtual void AddRef() = 0;
    virtual void Release() = 0;
    // Calls a member by dispatch identifier. Arguments are in the member's order; those
    // passed by reference are written back into args.
    virtual bool Invoke(int dispId, std::span<Variant> args) = 0;

protected:
    virtual ~IAppServer() = default;
};

// A counted reference: AddRef on copy, Release on destruction.
class AppServerRef {
public:
    AppServerRef() = default;
    explicit AppServerRef(IAppServer* server) : m_server(server) { if (m_server) m_server->AddRef(); }
    AppServerRef(const AppServerRef& o) : AppServerRef(o.m_server) {}
    AppServerRef(AppServerRef&& o) noexcept : m_server(o.m_server) { o.m_server = nullptr; }
    AppServerRef& operator=(AppServerRef o) noexcept { std::swap(m_server, o.m_server); return *this; }
    ~AppServerRef() { reset(); }
    void reset() { if (m_server) { IAppServer* s = m_server; m_server = nullptr; s->Release(); } }
    IAppServer* get() const { return m_server; }
    IAppServer* operator->() const { return m_server; }
    explicit operator bool() const { return m_server != nullptr; }

private:
    IAppServer* m_server = nullptr;
};

// Typed calls over the dispatch. With no server they answer false and put an error array
// in the by-reference argument, as a failed call would.
bool QueryData(IAppServer* server, const QString& statement, Variant& data);
bool ExecuteSql(IAppServer* server, Variant& statement);
bool GetServerDate(IAppServer* server, Variant& value);
bool GetServerTime(IAppServer* server, Variant& value);

// A base for servers written in C++: reference counting and the dispatch table, with one
// virtual per member. A server deletes itself when its last reference is released.
class AppServerBase : public IAppServer {
public:
    void AddRef() override { ++m_refs; }
    void Release() override;
    bool Invoke(int dispId, std::span<Variant> args) override;
    int RefCount() const { return m_refs.load(); }

protected:
    // On failure, put a one-dimensional array of error strings into data / statement.
    virtual bool DoQueryData(const QString& statement, Variant& data) = 0;
    virtual bool DoExecuteSql(Variant& statement) = 0;
    // Text whose characters 1-8 are the date and 9-14 the time (yyyyMMddhhmmss).
    virtual bool DoGetServerDateTime(Variant& value) = 0;
    virtual bool DoGetServerDate(Variant& value) { return DoGetServerDateTime(value); }
    virtual bool DoGetServerTime(Variant& value) { return DoGetServerDateTime(value); }

private:
    std::atomic<int> m_refs{0};
};

} // namespace pq
