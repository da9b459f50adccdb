// The control printers this library brings and the controls they print.
#include "report/gridreport/rm_control_printers.h"
#include "report/gridreport/rm_print_controls.h"
#include "report/gridreport/rm_print_db_grid.h"
#include "report/gridreport/rm_print_list_view.h"
#include "report/gridreport/rm_print_mt_grid.h"
#include "report/gridreport/rm_print_string_grid.h"

#include "widgets/column_grid.h"
#include "widgets/db_grid.h"
#include "widgets/db_grid_mt.h"
#include "widgets/image_control.h"
#include "widgets/shape_control.h"
#include "widgets/string_grid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTreeWidget>

namespace pq {

std::vector<std::pair<const QMetaObject*, TRMControlPrinterClass>> RMStandardControlPrinters()
{
    return {
        {&QCheckBox::staticMetaObject, TRMControlPrinterClass::Of<TRMPrintCheckBox>("TRMPrintCheckBox")},
        {&TShape::staticMetaObject, TRMControlPrinterClass::Of<TRMPrintShape>("TRMPrintShape")},
        {&TImage::staticMetaObject, TRMControlPrinterClass::Of<TRMPrintImage>("TRMPrintImage")},
        {&QListWidget::staticMetaObject, TRMControlPrinterClass::Of<TRMPrintControl>("TRMPrintControl")},
        {&QComboBox::staticMetaObject, TRMControlPrinterClass::Of<TRMPrintEdit>("TRMPrintEdit")},
        {&QLineEdit::staticMetaObject, TRMControlPrinterClass::Of<TRMPrintEdit>("TRMPrintEdit")},
        {&QPlainTextEdit::staticMetaObject, TRMControlPrinterClass::Of<TRMPrintControl>("TRMPrintControl")},
        {&QTextEdit::staticMetaObject, TRMControlPrinterClass::Of<TRMPrintRichEdit>("TRMPrintRichEdit")},
        {&QLabel::staticMetaObject, TRMControlPrinterClass::Of<TRMPrintControl>("TRMPrintControl")},
        {&QDateTimeEdit::staticMetaObject, TRMControlPrinterClass::Of<TRMPrintDateTimePicker>("TRMPrintDateTimePicker")},
        {&QTreeWidget::staticMetaObject, TRMControlPrinterClass::Of<TRMPrintListView>("TRMPrintListView")},
        {&TStringGrid::staticMetaObject, TRMControlPrinterClass::Of<TRMFormPrintStringGrid>("TRMFormPrintStringGrid")},
        {&TDBGrid::staticMetaObject, TRMControlPrinterClass::Of<TRMFormPrintDBGrid>("TRMFormPrintDBGrid")},
        {&TAdvColumnGrid::staticMetaObject, TRMControlPrinterClass::Of<TRMFormPrintADVStringGridPro>("TRMFormPrintADVStringGridPro")},
        {&TDBGridMT::staticMetaObject, TRMControlPrinterClass::Of<TRMPrintMTGrid>("TRMPrintMTGrid")},
    };
}

} // namespace pq
