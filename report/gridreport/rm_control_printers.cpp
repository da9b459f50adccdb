#include "report/gridreport/rm_control_printers.h"

#include <QMetaObject>
#include <QObject>

#include <vector>

namespace pq {

namespace {

struct Registration {
    const QMetaObject* ControlClass;
    TRMControlPrinterClass Printer;
};

// The one registry of the process: the library's own printers come first, on first use,
// so that any registration made afterwards wins over them.
std::vector<Registration>& Registry()
{
    static std::vector<Registration> registry = [] {
        std::vector<Registration> own;
        for (const auto& [control, printer] : RMStandardControlPrinters())
            own.push_back({control, printer});
        return own;
    }();
    return registry;
}

} // namespace

void RMRegisterControlPrinter(const QMetaObject& controlClass, const TRMControlPrinterClass& printer)
{
    Registry().push_back({&controlClass, printer});
}

const TRMControlPrinterClass* RMFindControlPrinter(const QObject& control)
{
    const QMetaObject* meta = control.metaObject();
    const std::vector<Registration>& registry = Registry();
    for (auto it = registry.rbegin(); it != registry.rend(); ++it)
        if (meta->inherits(it->ControlClass))
            return &it->Printer;
    return nullptr;
}

const TRMControlPrinterClass* RMControlPrinterByName(const QString& name)
{
    for (const Registration& r : Registry())
        if (r.Printer.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &r.Printer;
    return nullptr;
}

QList<QPair<QString, QString>> RMControlPrinterRegistrations()
{
    QList<QPair<QString, QString>> out;
    for (const Registration& r : Registry())
        out.append({QString::fromLatin1(r.ControlClass->className()), r.Printer.Name});
    return out;
}

} // namespace pq
