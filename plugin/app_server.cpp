#include "plugin/app_server.h"

#include <array>

namespace pq {

namespace {
bool NoServer(Variant& out)
{
    out = Variant::FromStrings({QStringLiteral("没有应用服务器")});
    return false;
}
} // namespace

bool QueryData(IAppServer* server, const QString& statement, Variant& data)
{
    if (!server)
        return NoServer(data);
    std::array<Variant, 2> args{Variant(statement), data};
    const bool ok = server->Invoke(kDispQueryData, args);
    data = args[1];
    return ok;
}

bool ExecuteSql(IAppServer* server, Variant& statement)
{
    if (!server)
        return NoServer(statement);
    std::array<Variant, 1> args{statement};
    const bool ok = server->Invoke(kDispExecuteSql, args);
    statement = args[0];
    return ok;
}

bool GetServerDate(IAppServer* server, Variant& value)
{
    if (!server)
        return NoServer(value);
    std::array<Variant, 1> args{value};
    const bool ok = server->Invoke(kDispGetServerDate, args);
    value = args[0];
    return ok;
}

bool GetServerTime(IAppServer* server, Variant& value)
{
    if (!server)
        return NoServer(value);
    std::array<Variant, 1> args{value};
    const bool ok = server->Invoke(kDispGetServerTime, args);
    value = args[0];
    return ok;
}

void AppServerBase::Release()
{
    if (--m_refs == 0)
        delete this;
}

bool AppServerBase::Invoke(int dispId, std::span<Variant> args)
{
    auto need = [&](std::size_t n) {
        if (args.size() != n)
            throw DispatchError("Invalid number of parameters");
    };
    switch (dispId) {
    case kDispQueryData: {
        need(2);
        if (args[0].type() != Variant::Type::String)
            throw DispatchError("Type mismatch");
        return DoQueryData(args[0].toText(), args[1]);
    }
    case kDispExecuteSql:
        need(1);
        if (args[0].type() != Variant::Type::String)
            throw DispatchError("Type mismatch");
        return DoExecuteSql(args[0]);
    case kDispGetServerDate:
        need(1);
        return DoGetServerDate(args[0]);
    case kDispGetServerTime:
        need(1);
        return DoGetServerTime(args[0]);
    default:
        throw DispatchError("Unknown name");
    }
}

} // namespace pq
