#include "report/tools/sample_report.h"

#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/files/rm_report_file.h"
#include "report/engine/files/rm_view_stream.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_other_views.h"
#include "report/engine/expr/variables.h"
#include "report/engine/rm_report.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <QtEndian>

#include <functional>

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

// ---- the pictures of the gallery ----

// A landscape picture twice as wide as high, so stretching shows the aspect rules; small,
// so the sample files stay small (the load tests read every prefix of them).
QImage RMSamplePicture()
{
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(QColor(210, 230, 250));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(0.2, 0.2);
    p.setPen(QPen(Qt::black, 3));
    p.drawRect(QRectF(1.5, 1.5, 197, 97));
    p.setBrush(QColor(200, 40, 40));
    p.drawEllipse(QPointF(60, 50), 35, 35);
    p.setBrush(QColor(40, 140, 60));
    p.drawRect(110, 20, 70, 60);
    return image;
}


// Qt writes no GIF, so the sample writes its own: diagonal stripes of four colours, with
// 8-bit codes and a clear code often enough that the code width never grows.
QByteArray RMSampleGif()
{
    const int w = 32, h = 24;
    QByteArray out("GIF89a");
    auto word = [&out](int v) {
        out.append(static_cast<char>(v & 0xFF));
        out.append(static_cast<char>((v >> 8) & 0xFF));
    };
    word(w);
    word(h);
    out.append(static_cast<char>(0xF6)); // a table of 128 colours
    out.append('\0');
    out.append('\0');
    const unsigned char colours[4][3] = {{255, 255, 255}, {30, 120, 60}, {240, 150, 30}, {40, 80, 200}};
    for (int i = 0; i < 128; ++i)
        for (int c = 0; c < 3; ++c)
            out.append(static_cast<char>(i < 4 ? colours[i][c] : 0));
    out.append(',');
    word(0);
    word(0);
    word(w);
    word(h);
    out.append('\0');
    out.append('\x07');
    QByteArray codes;
    const char clear = static_cast<char>(0x80), end = static_cast<char>(0x81);
    for (int i = 0; i < w * h; ++i) {
        if (i % 120 == 0)
            codes.append(clear);
        const int x = i % w, y = i / w;
        codes.append(static_cast<char>(((x + y) / 4) % 4));
    }
    codes.append(end);
    for (qsizetype at = 0; at < codes.size(); at += 255) {
        const QByteArray block = codes.mid(at, 255);
        out.append(static_cast<char>(block.size()));
        out.append(block);
    }
    out.append('\0');
    out.append(';');
    return out;
}

QByteArray RMSampleSvg()
{
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"120\" height=\"80\" viewBox=\"0 0 120 80\">"
           "<rect x=\"2\" y=\"2\" width=\"116\" height=\"76\" fill=\"#fff6d0\" stroke=\"#806000\" stroke-width=\"3\"/>"
           "<circle cx=\"40\" cy=\"40\" r=\"26\" fill=\"#2060c0\"/>"
           "<polygon points=\"75,65 95,15 115,65\" fill=\"#c03030\"/></svg>";
}

// The smallest enhanced metafile: its header and its end record. Nothing here draws it;
// the picture keeps it and shows its frame with a marker.
QByteArray RMSampleEmf()
{
    QByteArray b(108, '\0');
    auto put = [&b](int at, quint32 v) { qToLittleEndian<quint32>(v, b.data() + at); };
    put(0, 1);   // header record
    put(4, 88);
    put(24, 100); // bounds and frame
    put(28, 50);
    put(40, 0x464D4520); // " EMF"
    put(44, 0x10000);
    put(48, 108);
    put(52, 2);
    put(56, 1);
    put(72, 1024);
    put(76, 768);
    put(80, 320);
    put(84, 240);
    put(88, 14); // end record
    put(92, 20);
    put(100, 16);
    put(104, 20);
    return b;
}

namespace {

QByteArray Encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return bytes;
}

void Label(TRMMemoView& m, const QString& name, QRect r, const QString& text)
{
    m.Name = name;
    m.SetBounds(r.left(), r.top(), r.width(), r.height());
    m.Memo1 = QStringList{text};
    m.Font.Name = QStringLiteral("宋体");
    m.Font.Size = 8;
    m.SetHAlign(2);
}

// Every other kind of view, with the cases that show its rules: lines of each direction,
// check boxes with and without their mark, pictures of every format and placement, every
// shape kind, money rows (title, amounts, a cut third decimal, overflow, empty, no cells) and
// the diagonal header cells of each corner layout.
void AppendGallery(const std::function<void(TRMView&)>& add)
{
    int n = 0;
    auto name = [&n](const char* base) { return QStringLiteral("%1%2").arg(QLatin1String(base)).arg(++n); };
    {
        TRMMemoView title;
        Label(title, name("Memo"), QRect(57, 440, 680, 16), QStringLiteral("线 · 复选框 · 图片 · 形状 · 金额 · 斜线表头"));
        title.SetHAlign(0);
        title.Font.Style = TRMFont::fsBold;
        add(title);
    }
    // Lines: 100 × 0, 0 × 60 and a square one, which is drawn as a vertical line.
    const QRect lines[] = {QRect(57, 480, 100, 0), QRect(170, 460, 0, 60), QRect(190, 460, 60, 60)};
    for (const QRect& r : lines) {
        TRMLineView line;
        line.Name = name("Line");
        line.SetBounds(r.left(), r.top(), r.width(), r.height());
        line.TopFrame.Width = 2;
        line.LeftFrame.Width = 2;
        line.TopFrame.Color = line.LeftFrame.Color = 0x800000;
        add(line);
    }
    // Check boxes: "1" and "-1" show their mark, "0" and "" do not.
    const char* values[] = {"1", "-1", "0", ""};
    for (int i = 0; i < 4; ++i) {
        TRMCheckBoxView check;
        check.Name = name("Check");
        check.SetBounds(290 + i * 40, 466, 24, 24);
        check.CheckStyle = i % 2 ? TRMCheckBoxView::csCross : TRMCheckBoxView::csCheck;
        check.CheckColor = i % 2 ? 0x0000C0 : 0x006000;
        check.SetFrameTyp(frLeft | frTop | frRight | frBottom);
        check.Memo1 = QStringList{QString::fromLatin1(values[i])};
        add(check);
        TRMMemoView label;
        Label(label, name("Memo"), QRect(282 + i * 40, 494, 40, 14), QStringLiteral("\"%1\"").arg(QLatin1String(values[i])));
        add(label);
    }
    // Pictures in 80 × 60 boxes.
    const QImage picture = RMSamplePicture();
    struct Pict {
        const char* label;
        TRMGraphic graphic;
        int flags;
    };
    using PV = TRMPictureView;
    const Pict picts[] = {
        {"PNG 比例", TRMGraphic::FromBytes(Encoded(picture, "PNG")), PV::flPictStretched | PV::flPictKeepAspect},
        {"PNG 居中", TRMGraphic::FromBytes(Encoded(picture, "PNG")), PV::flPictStretched | PV::flPictKeepAspect | PV::flPictCenter},
        {"BMP 拉伸", TRMGraphic::FromBytes(Encoded(picture, "BMP")), PV::flPictStretched},
        {"JPEG 原大", TRMGraphic::FromBytes(Encoded(picture, "JPEG")), PV::flPictCenter},
        {"GIF", TRMGraphic::FromBytes(RMSampleGif()), PV::flPictStretched | PV::flPictKeepAspect | PV::flPictCenter},
        {"SVG", TRMGraphic::FromBytes(RMSampleSvg()), PV::flPictStretched | PV::flPictKeepAspect | PV::flPictCenter},
        {"EMF", TRMGraphic::FromBytes(RMSampleEmf()), PV::flPictStretched},
    };
    int x = 57;
    for (const Pict& p : picts) {
        TRMPictureView view;
        view.Name = name("Picture");
        view.SetBounds(x, 530, 80, 60);
        view.Picture = p.graphic;
        view.Flags = static_cast<std::uint16_t>(p.flags);
        view.FillColor = 0xF4F4F4;
        view.SetFrameTyp(frLeft | frTop | frRight | frBottom);
        add(view);
        TRMMemoView label;
        Label(label, name("Memo"), QRect(x, 592, 80, 14), QString::fromUtf8(p.label));
        add(label);
        x += 94;
    }
    // Every shape kind, the square kinds in boxes wider than high.
    const int kinds[] = {0, 1, 2, 3, 4, 5, 100, 101, 102, 103, 104, 105, 106};
    x = 57;
    for (int kind : kinds) {
        TRMShapeView shape;
        shape.Name = name("Shape");
        shape.SetBounds(x, 620, 46, 30);
        shape.Shape = static_cast<std::uint8_t>(kind);
        shape.FillColor = kind < 100 ? 0xFFE0C0 : 0xC0F0C0;
        for (TRMFrameLine* f : shape.Frames())
            f->Color = 0x604000;
        add(shape);
        TRMMemoView label;
        Label(label, name("Memo"), QRect(x - 2, 652, 50, 14), QString::number(kind));
        add(label);
        x += 52;
    }
    // Money rows: a title row, then amounts in the same cells.
    struct Money {
        const char* text;
        bool title;
        int digits;
        const char* note;
    };
    const Money rows[] = {
        {"", true, 12, "标题"}, {"1234.5", false, 12, "1234.5"}, {"12.345", false, 12, "12.345 截断"},
        {"123456789012345", false, 12, "溢出"}, {"", false, 12, "空"}, {"88", false, 0, "0 位"},
    };
    int y = 680;
    for (const Money& m : rows) {
        TRMMoneyView money;
        money.Name = name("MoneyMemo");
        money.SetBounds(57, y, 264, 26);
        money.TitleMode = m.title;
        money.Digits = m.digits;
        money.Memo1 = QStringList{QString::fromLatin1(m.text)};
        money.Font.Name = QStringLiteral("宋体");
        money.Font.Size = 10;
        money.SetFrameTyp(frLeft | frTop | frRight | frBottom);
        add(money);
        TRMMemoView note;
        Label(note, name("Memo"), QRect(326, y + 6, 70, 14), QString::fromUtf8(m.note));
        note.SetHAlign(0);
        add(note);
        y += 30;
    }
    // Diagonal header cells: each corner layout, five pieces, one piece.
    const char* diagonals[] = {";乙;;丁", ";乙;丙;丁", "甲;乙;;丁", "甲;乙;丙", "甲;;丙", "甲;;丙;丁", "甲;;;丁",
        "甲;乙", "甲;乙;丙;丁", "项目;日期;;金额;多余", "项目"};
    for (int i = 0; i < 11; ++i) {
        TRMDiagonalView diag;
        diag.Name = name("Diagonal");
        diag.SetBounds(410 + (i % 3) * 110, 680 + (i / 3) * 62, 104, 56);
        diag.Memo1 = QStringList{QString::fromUtf8(diagonals[i])};
        diag.Font.Name = QStringLiteral("宋体");
        diag.Font.Size = 9;
        diag.DiagonalLineColor = 0x404040;
        for (TRMFrameLine* f : diag.Frames())
            f->Visible = true;
        add(diag);
    }
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
    auto* picture = static_cast<TRMPictureView*>(report.CreateObject(page, gtPicture));
    picture->SetBounds(600, 240, 80, 40);
    picture->Picture = TRMGraphic::FromBytes(Encoded(RMSamplePicture(), "PNG"));
    auto* metafile = static_cast<TRMPictureView*>(report.CreateObject(page, gtPicture));
    metafile->SetBounds(690, 240, 40, 40);
    metafile->Picture = TRMGraphic::FromBytes(RMSampleEmf());
    metafile->BlobType = btWMF;
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
        line.TopFrame.Width = 2;
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

        if (pageNo == 0)
            AppendGallery([&pages, index](TRMView& view) { pages.AppendView(index, view); });

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
