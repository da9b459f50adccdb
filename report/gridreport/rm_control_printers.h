// The control printers: which printer class turns a control of a form into report views. A
// process-wide registry maps control classes (Qt meta-objects) to printer classes; a control
// takes the printer of the last registration whose class is its own or an ancestor, so a later
// registration wins for the classes it covers. Printer classes are also found by name (a
// form's OnPrintObject handler names the class it wants).
#pragma once

#include <QList>
#include <QString>

#include <memory>
#include <utility>
#include <vector>

class QMetaObject;
class QObject;
class QWidget;

namespace pq {

class TRMFormReport;
class TRMPage;
class TRMView;

// Base of every control printer. A printer that must outlive its call (it installed a
// handler on the report) clears AutoFree; the grid report then keeps it until its next build.
class TRMFormReportObject {
public:
    virtual ~TRMFormReportObject() = default;
    bool AutoFree = true;

    // Makes the control's views on page (the current design page), files each into one of the
    // grid report's build lists, and returns the principal view in view (or leaves it null).
    virtual void GeneratePrintObject(TRMFormReport& report, TRMPage* page, QWidget* control, TRMView*& view) = 0;
};

// A printer class: its name and how to make one from the class alone.
struct TRMControlPrinterClass {
    QString Name;
    std::unique_ptr<TRMFormReportObject> (*Create)() = nullptr;

    template <class Printer>
    static TRMControlPrinterClass Of(const char* name)
    {
        return {QString::fromLatin1(name), [] { return std::unique_ptr<TRMFormReportObject>(std::make_unique<Printer>()); }};
    }
};

// The printers of this library and the control classes they print, in registration order;
// the registry starts with them.
std::vector<std::pair<const QMetaObject*, TRMControlPrinterClass>> RMStandardControlPrinters();

// Appends a registration; nothing is ever removed or replaced.
void RMRegisterControlPrinter(const QMetaObject& controlClass, const TRMControlPrinterClass& printer);
// The printer class for a control: the last registration whose control class is the
// control's class or one of its ancestors; nullptr when none matches.
const TRMControlPrinterClass* RMFindControlPrinter(const QObject& control);
// A registered printer class by name (case-insensitive); nullptr when none has it.
const TRMControlPrinterClass* RMControlPrinterByName(const QString& name);
// The registrations in order: control class name and printer class name.
QList<QPair<QString, QString>> RMControlPrinterRegistrations();

} // namespace pq
