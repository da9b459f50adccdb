// The control printers this library brings and the controls they print.
#include "report/gridreport/rm_control_printers.h"
#include "report/gridreport/rm_print_mt_grid.h"

#include "widgets/db_grid_mt.h"

namespace pq {

std::vector<std::pair<const QMetaObject*, TRMControlPrinterClass>> RMStandardControlPrinters()
{
    return {
        {&TDBGridMT::staticMetaObject, TRMControlPrinterClass::Of<TRMPrintMTGrid>("TRMPrintMTGrid")},
    };
}

} // namespace pq
