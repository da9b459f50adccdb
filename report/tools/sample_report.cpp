#include "report/tools/sample_report.h"

#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/files/rm_report_file.h"
#include "report/engine/files/rm_view_stream.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_other_views.h"
#include "report/engine/expr/variables.h"
#include "report/engine/rm_report.h"

namespace pq {

namespace {

void Frame(TRMView& v, float width = 1.0f, std::uint32_t color = 0)
{
    for (TRMFrameLine* f : v.Frames()) {
        f->Visible = true;
        f->Width = width;
        f->Color = color;
    }
}

TRMMemoView* AddMemo(TRMReport& report, TRMPage& page, QRect r, const QStringList& text)
{
    auto* m = static_cast<TRMMemoView*>(report.CreateObject(&page, gtMemo));
    m->SetBounds(r.left(), r.top(), r.width(), r.height());
    m->Memo = text;
    m->Memo1 = text;
    m->Font.Name = QStringLiteral("宋体");
    m->Font.Size = 10;
    return m;
}

// A caption in several formats: a bold centred title in 黑体 (GBK bytes, as rich-edit
// controls write), then a right-aligned line with the page number in bold red between
// italic Latin words, then an underlined line in 宋体.
QByteArray SampleCaption(const QByteArray& page, const QByteArray& pages)
{
    return "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 \\'ba\\'da\\'cc\\'e5;}"
           "{\\f1\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}{\\f2\\fswiss\\fcharset0 Arial;}}\r\n"
           "{\\colortbl ;\\red0\\green0\\blue0;\\red192\\green0\\blue0;\\red0\\green64\\blue160;}\r\n"
           "\\viewkind4\\uc1\\pard\\qc\\cf3\\f0\\fs32\\b \\'d6\\'a7\\'b8\\'b6\\'b7\\'bd\\'ca\\'bd\\'b5\\'b5\\'b0\\'b8\\b0\\cf1\r\n"
           "\\par \\pard\\qr\\f2\\fs20\\i Page \\i0\\cf2\\b "
        + page + "\\b0\\cf1\\i  of \\i0 " + pages + "\r\n"
           "\\par \\pard\\f1\\fs18\\ul \\'b2\\'d9\\'d7\\'f7\\'d4\\'b1\\ulnone : [Oper]\r\n"
           "\\par }";
}

} // namespace

void RMBuildSampleReport(TRMReport& report)
{
    RMRegisterStandardAddIns();
    report.Pages.Clear();
    report.ReportInfo.Title = QStringLiteral("支付方式档案");
    TRMPage* page = report.Pages.Add(9, 2100, 2970, poPortrait, -1);

    auto* title = static_cast<TRMBandView*>(report.CreateObject(page, gtBand));
    title->SetBandType(btReportTitle);
    title->SetBounds(0, 60, 794, 60);
    auto* data = static_cast<TRMBandView*>(report.CreateObject(page, gtBand));
    data->SetBandType(btMasterData);
    data->SetBounds(0, 140, 794, 30);
    data->SetDataSource(QStringLiteral("cdsprint"));

    TRMMemoView* heading = AddMemo(report, *page, QRect(57, 70, 680, 40), {QStringLiteral("支付方式档案")});
    heading->Font.Size = 18;
    heading->Font.Style = TRMFont::fsBold;
    heading->SetHAlign(2);
    heading->SetLayout(1);

    const QStringList titles{QStringLiteral("编码"), QStringLiteral("名称"), QStringLiteral("核算单位")};
    const int widths[] = {120, 300, 260};
    int x = 57;
    for (int i = 0; i < 3; ++i) {
        TRMMemoView* cell = AddMemo(report, *page, QRect(x, 140, widths[i], 30),
            {QStringLiteral("[cdsprint.\"%1\"]").arg(titles[i])});
        Frame(*cell);
        cell->SetLayout(1);
        x += widths[i];
    }

    auto* line = report.CreateObject(page, gtLine);
    line->SetBounds(57, 180, 680, 0);
    auto* shape = static_cast<TRMShapeView*>(report.CreateObject(page, gtAddIn, QStringLiteral("TRMShapeView")));
    shape->SetBounds(57, 200, 80, 40);
    shape->Shape = TRMShapeView::skEllipse;
    shape->FillColor = 0xFFE0C0;
    auto* check = static_cast<TRMCheckBoxView*>(report.CreateObject(page, gtAddIn, QStringLiteral("TRMCheckBoxView")));
    check->SetBounds(150, 200, 24, 24);
    check->Memo = QStringList{QStringLiteral("1")};
    auto* money = static_cast<TRMMoneyView*>(report.CreateObject(page, gtMoney));
    money->SetBounds(200, 200, 240, 30);
    money->Memo = QStringList{QStringLiteral("1234.5")};
    auto* diag = static_cast<TRMDiagonalView*>(report.CreateObject(page, gtAddIn, QStringLiteral("TRMDiagonalView")));
    diag->SetBounds(460, 200, 120, 50);
    diag->Memo = QStringList{QStringLiteral("项目;;金额")};
    Frame(*diag);
    auto* rich = static_cast<TRMRichView*>(report.CreateObject(page, gtAddIn, QStringLiteral("TRMRichView")));
    rich->SetBounds(57, 250, 680, 80);
    rich->SetRtf(SampleCaption("[Page#]", "[TotalPages#]"));
    auto* calc = static_cast<TRMCalcMemoView*>(report.CreateObject(page, gtCalcMemo));
    calc->SetBounds(600, 200, 137, 30);
    calc->DataBand = data->Name;
    calc->Memo = QStringList{QStringLiteral("[SUM(cdsprint.\"金额\")]")};
    report.Dictionary().Variables().SetVariable(QStringLiteral("Oper"), Variant::FromString(QStringLiteral("管理员")));
    report.Dictionary().SetFieldAlias(QStringLiteral("编码"), QStringLiteral("cdsprint"), QStringLiteral("f_Zffsbm"));
}

void RMBuildSamplePreparedPages(TRMReport& report)
{
    RMRegisterStandardAddIns();
    if (report.Pages.Count() == 0)
        RMBuildSampleReport(report);
    TRMEMFPages& pages = RMPreparedPages(report);
    pages.Clear();
    const TRMPage& design = *report.Pages[0];
    const QStringList codes{QStringLiteral("01"), QStringLiteral("02"), QStringLiteral("03"), QStringLiteral("04")};
    const QStringList names{QStringLiteral("现金"), QStringLiteral("支票"), QStringLiteral("银行转账"),
        QStringLiteral("信用卡 Credit card")};
    for (int pageNo = 0; pageNo < 2; ++pageNo) {
        pages.AddPage(design);
        const int index = pages.Count() - 1;

        TRMMemoView heading;
        heading.Name = QStringLiteral("Memo1");
        heading.SetBounds(57, 70, 680, 40);
        heading.Memo1 = QStringList{QStringLiteral("支付方式档案 — 第%1页").arg(pageNo + 1)};
        heading.Font.Name = QStringLiteral("宋体");
        heading.Font.Size = 18;
        heading.Font.Style = TRMFont::fsBold;
        heading.SetHAlign(2);
        heading.SetLayout(1);
        heading.FillColor = 0xF0E0D0;
        pages.AppendView(index, heading);

        const int widths[] = {120, 300, 260};
        for (int row = 0; row < 4; ++row) {
            int x = 57;
            const QStringList cells{codes[row], names[row], row % 2 ? QStringLiteral("总部") : QStringLiteral("分公司")};
            for (int c = 0; c < 3; ++c) {
                TRMMemoView cell;
                cell.Name = QStringLiteral("Memo%1").arg(2 + c);
                cell.SetBounds(x, 140 + row * 30, widths[c], 30);
                cell.Memo1 = QStringList{cells[c]};
                cell.Font.Name = QStringLiteral("宋体");
                cell.Font.Size = 10;
                cell.SetLayout(1);
                Frame(cell);
                if (c == 0)
                    cell.LeftFrame.Style = psSolid | kFrameDoubleBit;
                pages.AppendView(index, cell);
                x += widths[c];
            }
        }
        TRMLineView line;
        line.Name = QStringLiteral("Line1");
        line.SetBounds(57, 270, 680, 0);
        line.LeftFrame.Width = 2;
        pages.AppendView(index, line);

        TRMShapeView shape;
        shape.Name = QStringLiteral("Shape1");
        shape.SetBounds(57, 290, 80, 40);
        shape.Shape = TRMShapeView::skEllipse;
        shape.FillColor = 0xFFE0C0;
        pages.AppendView(index, shape);

        TRMCheckBoxView check;
        check.Name = QStringLiteral("Check1");
        check.SetBounds(150, 290, 24, 24);
        check.Memo1 = QStringList{QStringLiteral("1")};
        pages.AppendView(index, check);

        TRMMoneyView money;
        money.Name = QStringLiteral("MoneyMemo1");
        money.SetBounds(200, 290, 240, 30);
        money.Memo1 = QStringList{QStringLiteral("1234.5")};
        pages.AppendView(index, money);

        // The caption as preparation prints it: brackets expanded in their formats.
        TRMRichView rich;
        rich.Name = QStringLiteral("Rich1");
        rich.SetBounds(57, 350, 680, 80);
        rich.SetRtf(SampleCaption(QByteArray::number(pageNo + 1), "2").replace("[Oper]", "\\'b9\\'dc\\'c0\\'ed\\'d4\\'b1"));
        rich.Memo1 = rich.Memo;
        pages.AppendView(index, rich);

        TRMMemoView footer;
        footer.Name = QStringLiteral("Memo5");
        footer.SetBounds(57, 1040, 680, 24);
        footer.Memo1 = QStringList{QStringLiteral("Page %1 of 2").arg(pageNo + 1)};
        footer.SetHAlign(1);
        footer.TopFrame.Visible = true;
        pages.AppendView(index, footer);
    }
}

QByteArray RMSampleReportFile()
{
    TRMReport report;
    RMBuildSampleReport(report);
    return RMSaveReport(report);
}

QByteArray RMSamplePreparedFile()
{
    TRMReport report;
    RMBuildSamplePreparedPages(report);
    return RMPreparedPages(report).SaveToStream();
}

} // namespace pq
