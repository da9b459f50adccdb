// List printing of the payment-type window: the rows go into cdsprint, which the hidden grid
// dgdView shows, and RMFormReport1 turns that grid into a report it previews or prints.
#include "paymenttype/frm_payment_type.h"

#include "base/data_source.h"
#include "base/gbk_text.h"
#include "base/message_box.h"
#include "base/scope_guard.h"
#include "paymenttype/list_report_engine.h"
#include "report/engine/expr/variables.h"
#include "report/gridreport/rm_grid_report.h"
#include "widgets/db_grid_mt.h"
#include "widgets/editable_string_grid.h"

#include <QFontMetrics>

namespace pq {

namespace {

struct PrintField {
    const char* name;
    const char* label; // nullptr: none
    int displayWidth;  // characters
};
constexpr int kPrintFieldBytes = 20;
const PrintField kPrintFields[] = {
    {"f_zffsbm", "支付方式编码", 20},
    {"f_zffsmc", "支付方式名称", 20},
    {"f_zdfkhsdwh", nullptr, 4},
    {"f_hsdwmc", nullptr, 60},
};

// The captions as the window stores them: rich text in code page 936.
QStringList PageHeaderCaption()
{
    return {
        QStringLiteral(R"({\rtf1\ansi\ansicpg936\deff0{\fonttbl{\f0\fnil\fcharset134 \'ba\'da\'cc\'e5;}{\f1\fnil\fcharset134 \'cb\'ce\'cc\'e5;}})"),
        QStringLiteral(R"({\colortbl ;\red0\green0\blue0;})"),
        QStringLiteral(R"(\viewkind4\uc1\pard\qc\cf1\lang2052\f0\fs44 [Title])"),
        QStringLiteral(R"(\par \pard\f1\fs18 [Condi]\f0\fs44 )"),
        QStringLiteral(R"(\par \pard\qr\fs16     )"),
        QStringLiteral(R"(\par })"),
    };
}

QStringList ColumnFooterCaption()
{
    return {
        QStringLiteral(R"({\rtf1\ansi\ansicpg936\deff0{\fonttbl{\f0\fnil\fcharset134 \'cb\'ce\'cc\'e5;}{\f1\fnil\fcharset134 MS Sans Serif;}})"),
        QStringLiteral(R"({\colortbl ;\red0\green0\blue0;})"),
        QStringLiteral(R"(\viewkind4\uc1\pard\cf1\lang2052\f0\fs18\'b4\'f2\'d3\'a1\'c8\'d5\'c6\'da:[Date]  \'b4\'f2\'d3\'a1\'ca\'b1\'bc\'e4:[Time]                     )"),
        QStringLiteral(R"(\par \'b2\'d9 \'d7\'f7 \'d4\'b1:[Oper]  )"),
        QStringLiteral(R"(\par \'d2\'b3    \'ca\'fd:\'b5\'da[Page#]\'d2\'b3/\'b9\'b2[TotalPages#]\'d2\'b3\f1\fs16 )"),
        QStringLiteral(R"(\par })"),
    };
}

QStringList PageFooterCaption()
{
    return {
        QStringLiteral(R"({\rtf1\ansi\ansicpg936\deff0{\fonttbl{\f0\fnil\fcharset134 \'cb\'ce\'cc\'e5;}})"),
        QStringLiteral(R"({\colortbl ;\red0\green0\blue0;})"),
        QStringLiteral(R"(\viewkind4\uc1\pard\cf1\lang2052\f0\fs18 )"),
        QStringLiteral(R"(\par })"),
    };
}

QFont PixelFont(const QString& family, int pixels)
{
    QFont f(family);
    f.setPixelSize(pixels);
    return f;
}

const QString kPrinterQuestion = QStringLiteral("请准备好打印机，进行打印!");

} // namespace

void TfrmpaymentType::BuildListPrinting()
{
    cdsprint.SetOwnerAndName(this, QStringLiteral("cdsprint"));
    dsprint = new TDataSource(this, &cdsprint);
    dsprint->setObjectName(QStringLiteral("dsprint"));

    // Never shown: the report reads its columns, titles and fonts.
    dgdView = new TDBGridMT(this);
    dgdView->setObjectName(QStringLiteral("dgdView"));
    dgdView->hide();
    dgdView->setEnabled(false);
    dgdView->SetDataSource(dsprint);
    dgdView->SetOptions(dgTitles | dgColumnResize | dgColLines | dgRowLines | dgTabs | dgRowSelect | dgConfirmDelete
        | dgCancelOnExit);
    dgdView->SetColor(QColor(251, 254, 222));
    dgdView->SetFixedColor(QColor(0, 128, 0));
    dgdView->SetFooterColor(QColor(255, 255, 0));
    dgdView->SetFooterRowCount(1);
    const QFont font = PixelFont(QStringLiteral("宋体"), 12);
    dgdView->setFont(font);
    dgdView->SetFontColor(palette().color(QPalette::WindowText));
    dgdView->SetTitleFont(font);
    dgdView->SetTitleFontColor(palette().color(QPalette::Base));
    // A column is as wide as its field's display width in digits of the grid font, or its
    // title when that is wider.
    const QFontMetrics digits(font);
    for (int i = 0; i < 2; ++i) {
        const PrintField& f = kPrintFields[i];
        const QString title = QString::fromUtf8(f.label);
        const int width = std::max(f.displayWidth * digits.horizontalAdvance(QLatin1Char('0')),
                              digits.horizontalAdvance(title)) + 4;
        dgdView->AddColumn(QString::fromLatin1(f.name), title, width);
    }
    dgdView->ColumnsChanged();
    int width = 1;
    for (int i = 0; i < dgdView->ColumnCount(); ++i)
        width += dgdView->Column(i).Width + 1;
    dgdView->setGeometry(0, 0, width + 2, 120);

    RMFormReport1 = new TRMFormReport(this);
    RMFormReport1->setObjectName(QStringLiteral("RMFormReport1"));
    TRMFormReport& r = *RMFormReport1;
    r.PrintControl = dgdView;
    r.ReportOptions = TRMGridReportOptions{rmgoStretch, rmgoWordWrap, rmgoGridLines, rmgoDoubleFrame,
        rmgoRebuildAfterPageChanged};
    TRMPageLayout& layout = r.PageLayout();
    layout.LeftMargin = layout.TopMargin = layout.RightMargin = layout.BottomMargin = 38;
    layout.Columns = 1;
    layout.Width = 2100;
    layout.Height = 2970;
    layout.pgBin = 0;
    layout.PrinterName = QStringLiteral("默认打印机");
    layout.DoublePass = true;
    layout.PrintBackColor = false;
    r.PageHeader().SetCaption(PageHeaderCaption());
    r.PageHeader().SetHeight(0);
    r.PageFooter().SetCaption(PageFooterCaption());
    r.PageFooter().SetHeight(0);
    r.ColumnFooter().SetCaption(ColumnFooterCaption());
    r.ColumnFooter().SetHeight(0);
    r.GridNumOptions().Text = QStringLiteral("No");
    r.GridFontOptions().Font = PixelFont(QStringLiteral("MS Sans Serif"), 11);
    r.InitialZoom = pzDefault;
    r.PreviewButtons = pbZoom | pbLoad | pbSave | pbPrint | pbFind | pbPageSetup | pbExit | pbSaveToXLS;
    r.ShowPrintDialog = false;
}

void TfrmpaymentType::PrintList(bool toPrinter)
{
    if (toPrinter
        && ShowMessageBox(this, kPrinterQuestion, QStringLiteral("提示"), MsgIcon::Information, MsgOk | MsgCancel) != MsgOk)
        return;
    UseListReportEngine();

    if (!cdsprint.Active()) {
        QList<TextFieldDef> fields;
        for (const PrintField& f : kPrintFields)
            fields.append({QString::fromLatin1(f.name), kPrintFieldBytes});
        cdsprint.CreateTextFields(fields);
        for (int i = 0; i < 2; ++i)
            cdsprint.SetDisplayLabel(i, QString::fromUtf8(kPrintFields[i].label));
    } else {
        cdsprint.EmptyDataSet();
    }
    // Longer values are cut to the field's 20 bytes at a character boundary.
    const EditableStringGrid* g = sgdPaymentType;
    for (int row = 1; row < g->RowCount(); ++row) {
        if (!TrimBlanks(g->Cell(0, row)).isEmpty())
            cdsprint.AppendRecord({g->Cell(0, row), g->Cell(1, row)});
    }
    cdsprint.First();

    const PaymentTypeWindowValues& v = WindowValues();
    TRMVariables& globals = RMGlobalVariables();
    globals.SetVariable(QStringLiteral("Oper"), Variant(v.OperatorName));
    globals.SetVariable(QStringLiteral("Date"), Variant(v.ServerDateText));
    globals.SetVariable(QStringLiteral("Time"), Variant(v.ServerTimeText));
    globals.SetVariable(QStringLiteral("Title"), Variant(windowTitle()));

    dgdView->SetTitleFontColor(Qt::black);
    const ScopeExit white([this] { dgdView->SetTitleFontColor(QColor(255, 255, 255)); });
    if (toPrinter)
        RMFormReport1->PrintReport();
    else
        RMFormReport1->ShowReport();
}

} // namespace pq
