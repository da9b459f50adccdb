// The control printers this library brings and the controls they print.
#include "report/gridreport/rm_control_printers.h"
#include "report/gridreport/rm_print_controls.h"
#include "report/gridreport/rm_print_mt_grid.h"

#include "widgets/db_grid_mt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace pq {

std::vector<std::pair<const QMetaObject*, TRMControlPrinterClass>> RMStandardControlPrinters()
{
    return {
        {&QLabel::staticMetaObject, TRMControlPrinterClass::Of<TRMPrintControl>("TRMPrintControl")},
        {&QPlainTextEdit::staticMetaObject, TRMControlPrinterClass::Of<TRMPrintControl>("TRMPrintControl")},
        {&QListWidget::staticMetaObject, TRMControlPrinterClass::Of<TRMPrintControl>("TRMPrintControl")},
        {&QLineEdit::staticMetaObject, TRMControlPrinterClass::Of<TRMPrintEdit>("TRMPrintEdit")},
        {&QComboBox::staticMetaObject, TRMControlPrinterClass::Of<TRMPrintEdit>("TRMPrintEdit")},
        {&QTextEdit::staticMetaObject, TRMControlPrinterClass::Of<TRMPrintRichEdit>("TRMPrintRichEdit")},
        {&QCheckBox::staticMetaObject, TRMControlPrinterClass::Of<TRMPrintCheckBox>("TRMPrintCheckBox")},
        {&QDateTimeEdit::staticMetaObject, TRMControlPrinterClass::Of<TRMPrintDateTimePicker>("TRMPrintDateTimePicker")},
        {&TDBGridMT::staticMetaObject, TRMControlPrinterClass::Of<TRMPrintMTGrid>("TRMPrintMTGrid")},
    };
}

} // namespace pq
