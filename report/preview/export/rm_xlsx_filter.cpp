#include "report/preview/export/rm_xlsx_filter.h"

#include "base/file_io.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/rich/rtf_reader.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_other_views.h"
#include "report/engine/rm_rich_view.h"
#include "resources/rm_dialog_font.h"
#include "resources/rm_locale.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include <xlsxwriter.h>

#include <map>
#include <memory>

namespace pq {

namespace {

// Excel's limits: rows and columns of a sheet, characters of a cell.
constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;
constexpr qsizetype kMaxCellText = 32767;

lxw_color_t Rgb(std::uint32_t bgr)
{
    return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
}

TRMSheetBorder Border(const TRMFrameLine& f)
{
    TRMSheetBorder b;
    if (!f.Visible || (f.Style & 0x0F) == psClear)
        return b;
    b.Color = f.Color & 0xFFFFFF;
    if (f.IsDouble())
        b.Line = TRMSheetLine::Double;
    else if ((f.Style & 0x0F) == psDash || (f.Style & 0x0F) == psDashDot || (f.Style & 0x0F) == psDashDotDot)
        b.Line = TRMSheetLine::Dashed;
    else if ((f.Style & 0x0F) == psDot)
        b.Line = TRMSheetLine::Dotted;
    else if (f.Width >= 2.5f)
        b.Line = TRMSheetLine::Thick;
    else if (f.Width >= 1.5f)
        b.Line = TRMSheetLine::Medium;
    else
        b.Line = TRMSheetLine::Thin;
    return b;
}

std::uint8_t LxwBorder(TRMSheetLine line)
{
    switch (line) {
    case TRMSheetLine::None: return LXW_BORDER_NONE;
    case TRMSheetLine::Thin: return LXW_BORDER_THIN;
    case TRMSheetLine::Medium: return LXW_BORDER_MEDIUM;
    case TRMSheetLine::Thick: return LXW_BORDER_THICK;
    case TRMSheetLine::Double: return LXW_BORDER_DOUBLE;
    case TRMSheetLine::Dashed: return LXW_BORDER_DASHED;
    case TRMSheetLine::Dotted: return LXW_BORDER_DOTTED;
    }
    return LXW_BORDER_NONE;
}

// What a cell shows of a text: no line marks or other control characters but line breaks
// and tabs, and no more than a cell holds.
QString CellText(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QString out;
    out.reserve(text.size());
    for (const QChar c : text)
        if (c.unicode() >= 0x20 || c == QLatin1Char('\n') || c == QLatin1Char('\t'))
            out += c;
    if (out.size() > kMaxCellText)
        out.truncate(kMaxCellText);
    return out;
}

QString MemoText(const TRMMemoView& memo)
{
    QStringList lines = memo.Memo1.isEmpty() ? memo.Memo : memo.Memo1;
    for (QString& l : lines)
        l.remove(QChar(1));
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.join(QLatin1Char('\n'));
}

// "第3页": a sheet name Excel takes (no []:*?/\, at most 31 characters).
QString SheetName(const QString& wanted)
{
    QString name = wanted;
    for (const char bad : {'[', ']', ':', '*', '?', '/', '\\'})
        name.replace(QLatin1Char(bad), QLatin1Char('_'));
    return name.left(31);
}

// The formats of a workbook, one per distinct look.
class Formats {
public:
    explicit Formats(lxw_workbook* book) : m_book(book) {}

    lxw_format* For(const TRMSheetStyle& s)
    {
        const QString key = Key(s);
        if (auto it = m_formats.find(key); it != m_formats.end())
            return it->second;
        lxw_format* f = workbook_add_format(m_book);
        if (!s.FontName.isEmpty())
            format_set_font_name(f, s.FontName.toUtf8().constData());
        if (s.FontSize > 0)
            format_set_font_size(f, s.FontSize);
        if (s.Bold)
            format_set_bold(f);
        if (s.Italic)
            format_set_italic(f);
        if (s.Underline)
            format_set_underline(f, LXW_UNDERLINE_SINGLE);
        if (s.StrikeOut)
            format_set_font_strikeout(f);
        if ((s.FontColor & 0xFFFFFF) != 0)
            format_set_font_color(f, Rgb(s.FontColor));
        switch (s.HAlign) {
        case 1: format_set_align(f, LXW_ALIGN_RIGHT); break;
        case 2: format_set_align(f, LXW_ALIGN_CENTER); break;
        case 3: format_set_align(f, LXW_ALIGN_DISTRIBUTED); break;
        default: format_set_align(f, LXW_ALIGN_LEFT); break;
        }
        switch (s.VAlign) {
        case 1: format_set_align(f, LXW_ALIGN_VERTICAL_CENTER); break;
        case 2: format_set_align(f, LXW_ALIGN_VERTICAL_BOTTOM); break;
        default: format_set_align(f, LXW_ALIGN_VERTICAL_TOP); break;
        }
        if (s.Wrap)
            format_set_text_wrap(f);
        if (s.Rotation != 0)
            format_set_rotation(f, static_cast<int16_t>(s.Rotation));
        using SetSide = void (*)(lxw_format*, uint8_t);
        using SetColor = void (*)(lxw_format*, lxw_color_t);
        const SetSide sides[] = {format_set_left, format_set_top, format_set_right, format_set_bottom};
        const SetColor colors[] = {format_set_left_color, format_set_top_color, format_set_right_color,
            format_set_bottom_color};
        for (size_t k = 0; k < 4; ++k) {
            const TRMSheetBorder& b = s.Borders[k];
            if (b.Line == TRMSheetLine::None)
                continue;
            sides[k](f, LxwBorder(b.Line));
            if (b.Color != 0)
                colors[k](f, Rgb(b.Color));
        }
        if (s.Fill) {
            format_set_pattern(f, LXW_PATTERN_SOLID);
            format_set_bg_color(f, Rgb(*s.Fill));
        }
        if (!s.NumberFormat.isEmpty())
            format_set_num_format(f, s.NumberFormat.toUtf8().constData());
        m_formats.emplace(key, f);
        return f;
    }

private:
    static QString Key(const TRMSheetStyle& s)
    {
        QString k = QStringLiteral("%1|%2|%3%4%5%6|%7|%8|%9|%10|%11|%12|")
                        .arg(s.FontName)
                        .arg(s.FontSize)
                        .arg(s.Bold)
                        .arg(s.Italic)
                        .arg(s.Underline)
                        .arg(s.StrikeOut)
                        .arg(s.FontColor)
                        .arg(s.HAlign)
                        .arg(s.VAlign)
                        .arg(s.Wrap)
                        .arg(s.Rotation)
                        .arg(s.NumberFormat);
        for (const TRMSheetBorder& b : s.Borders)
            k += QStringLiteral("%1:%2,").arg(static_cast<int>(b.Line)).arg(b.Color);
        k += s.Fill ? QString::number(*s.Fill) : QStringLiteral("-");
        return k;
    }

    lxw_workbook* m_book;
    std::map<QString, lxw_format*> m_formats;
};

// Writes one sheet of the plan; false with the reason at the first write the library refuses.
bool WriteSheet(lxw_worksheet* sheet, Formats& formats, const TRMSheetPlan& plan, QString* error)
{
    if (plan.RowTops.size() > static_cast<size_t>(kMaxRows) || plan.ColumnLefts.size() > static_cast<size_t>(kMaxColumns)) {
        if (error)
            *error = QStringLiteral("工作表超出 Excel 的范围（%1 行、%2 列）。").arg(plan.RowTops.size()).arg(plan.ColumnLefts.size());
        return false;
    }
    lxw_error failed = LXW_NO_ERROR;
    const auto check = [&failed](lxw_error e) {
        if (failed == LXW_NO_ERROR && e != LXW_NO_ERROR)
            failed = e;
    };
    for (size_t c = 0; c < plan.ColumnWidths.size(); ++c)
        check(worksheet_set_column_pixels(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
            static_cast<uint32_t>(plan.ColumnWidths[c]), nullptr));
    for (size_t r = 0; r < plan.RowHeights.size(); ++r)
        check(worksheet_set_row_pixels(sheet, static_cast<lxw_row_t>(r), static_cast<uint32_t>(plan.RowHeights[r]), nullptr));
    for (const TRMSheetCell& cell : plan.Cells) {
        TRMSheetStyle style = cell.Style;
        const std::optional<TRMSheetNumber> number = RMSheetNumber(cell.Text);
        if (number)
            style.NumberFormat = number->Format;
        if (cell.Text.contains(QLatin1Char('\n')))
            style.Wrap = true;
        lxw_format* f = formats.For(style);
        const QByteArray text = cell.Text.toUtf8();
        const auto row = static_cast<lxw_row_t>(cell.Row);
        const auto col = static_cast<lxw_col_t>(cell.Column);
        if (cell.Merged())
            check(worksheet_merge_range(sheet, row, col, static_cast<lxw_row_t>(cell.LastRow),
                static_cast<lxw_col_t>(cell.LastColumn), number ? "" : text.constData(), f));
        if (number)
            check(worksheet_write_number(sheet, row, col, number->Value, f));
        else if (!cell.Merged())
            check(cell.Text.isEmpty() ? worksheet_write_blank(sheet, row, col, f)
                                      : worksheet_write_string(sheet, row, col, text.constData(), f));
    }
    if (failed != LXW_NO_ERROR && error)
        *error = QString::fromUtf8(lxw_strerror(failed));
    return failed == LXW_NO_ERROR;
}

} // namespace

QString TRMXLSXExportFilter::Description() { return QStringLiteral("Excel 工作簿"); }

bool TRMXLSXExportFilter::ShowOptions(QWidget* owner)
{
    TRMXLSXExportForm form(owner);
    (OneSheetPerPage ? form.SheetPerPage() : form.OneSheet())->setChecked(true);
    if (form.exec() != QDialog::Accepted)
        return false;
    OneSheetPerPage = form.SheetPerPage()->isChecked();
    return true;
}

bool TRMXLSXExportFilter::BeginDoc(QString* error)
{
    m_sheets.clear();
    m_pageTop = 0;
    if (FileName.isEmpty()) {
        if (error)
            *error = QStringLiteral("没有给出文件名。");
        return false;
    }
    if (!OneSheetPerPage)
        m_sheets.push_back({QStringLiteral("Sheet1"), {}});
    return true;
}

void TRMXLSXExportFilter::BeginPage(int index, const TRMEMFPage& page)
{
    if (OneSheetPerPage) {
        m_sheets.push_back({SheetName(QStringLiteral("第%1页").arg(index + 1)), {}});
        m_pageTop = 0;
    }
    m_pageHeight = page.PageInfo.PageHeight;
}

void TRMXLSXExportFilter::Data(TRMView& view)
{
    if (m_sheets.empty())
        return;
    std::optional<TRMSheetItem> item = Item(view);
    if (!item)
        return;
    item->Bounds.translate(0, m_pageTop);
    m_sheets.back().Items.push_back(std::move(*item));
}

void TRMXLSXExportFilter::EndPage(int)
{
    // On one sheet the next page goes below this one.
    if (!OneSheetPerPage)
        m_pageTop += std::max(1, m_pageHeight);
}

std::optional<TRMSheetItem> TRMXLSXExportFilter::Item(TRMView& view)
{
    TRMSheetItem item;
    item.Bounds = view.Bounds().normalized();
    TRMSheetStyle& s = item.Style;
    s.Borders = {Border(view.LeftFrame), Border(view.TopFrame), Border(view.RightFrame), Border(view.BottomFrame)};
    if (view.FillColor != kNoColor && (view.FillColor & 0x80000000u) == 0)
        s.Fill = view.FillColor & 0xFFFFFF;
    if (auto* memo = dynamic_cast<TRMMemoView*>(&view)) {
        s.FontName = memo->Font.Name;
        s.FontSize = memo->Font.Size;
        s.Bold = memo->Font.Style & TRMFont::fsBold;
        s.Italic = memo->Font.Style & TRMFont::fsItalic;
        s.Underline = memo->Font.Style & TRMFont::fsUnderline;
        s.StrikeOut = memo->Font.Style & TRMFont::fsStrikeOut;
        s.FontColor = (memo->Font.Color & 0x80000000u) ? 0 : memo->Font.Color & 0xFFFFFF;
        s.HAlign = memo->HAlign();
        s.VAlign = memo->Layout();
        s.Wrap = memo->HasFlag(flMemoWordwrap);
        s.Rotation = memo->RotationType == rt90 ? 90 : memo->RotationType == rt270 ? -90 : 0;
        const QString text = MemoText(*memo);
        item.Text = CellText(text);
        if (item.Text->isEmpty() && s.Borders == std::array<TRMSheetBorder, 4>{} && !s.Fill)
            return std::nullopt; // an empty memo without frame or fill shows nothing
        if (item.Text->isEmpty())
            item.Text.reset(); // a frame alone
        return item;
    }
    if (auto* rich = dynamic_cast<TRMRichView*>(&view)) {
        const QStringList& lines = rich->Memo1.isEmpty() ? rich->Memo : rich->Memo1;
        const QByteArray bytes = TRMRichView::JoinRtf(lines);
        QTextDocument doc;
        if (RMLooksLikeRtf(bytes))
            RMReadRtf(bytes, doc);
        else
            doc.setPlainText(lines.join(QLatin1Char('\n')));
        QString text = doc.toPlainText();
        text.replace(QChar::LineSeparator, QLatin1Char('\n')).replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        item.Text = CellText(text.trimmed());
        // The look of its first character.
        QTextCursor at(&doc);
        at.movePosition(QTextCursor::NextCharacter);
        const QTextCharFormat f = at.charFormat();
        const QStringList families = f.fontFamilies().toStringList();
        s.FontName = families.isEmpty() ? QString() : families.first();
        s.FontSize = f.fontPointSize() > 0 ? f.fontPointSize() : 10;
        s.Bold = f.fontWeight() >= QFont::Bold;
        s.Italic = f.fontItalic();
        const Qt::Alignment a = doc.begin().blockFormat().alignment();
        s.HAlign = a & Qt::AlignHCenter ? 2 : a & Qt::AlignRight ? 1 : 0;
        s.Wrap = true;
        return item;
    }
    if (auto* check = dynamic_cast<TRMCheckBoxView*>(&view)) {
        const QStringList& lines = check->Memo1.isEmpty() ? check->Memo : check->Memo1;
        const QString first = lines.isEmpty() ? QString() : lines.first().trimmed();
        item.Text = !first.isEmpty() && !first.startsWith(QLatin1Char('0')) ? QStringLiteral("X") : QString();
        s.HAlign = 2;
        s.VAlign = 1;
        return item;
    }
    return std::nullopt;
}

bool TRMXLSXExportFilter::EndDoc(QString* error)
{
    // The library writes a file by name: into a folder of our own, then the bytes go to the
    // target whole, so a failure keeps the file that was there.
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        if (error)
            *error = QStringLiteral("无法建立临时文件夹：%1").arg(scratch.errorString());
        return false;
    }
    const QString temp = scratch.filePath(QStringLiteral("book.xlsx"));
    const QByteArray tempName = QFile::encodeName(temp);
    const QByteArray tempDir = QFile::encodeName(scratch.path());
    lxw_workbook_options options{};
    options.constant_memory = LXW_FALSE;
    options.tmpdir = const_cast<char*>(tempDir.constData());
    lxw_workbook* book = workbook_new_opt(tempName.constData(), &options);
    if (!book) {
        if (error)
            *error = QStringLiteral("无法建立工作簿。");
        return false;
    }
    Formats formats(book);
    QString why;
    bool ok = true;
    for (const Sheet& s : m_sheets) {
        lxw_worksheet* sheet = workbook_add_worksheet(book, s.Name.toUtf8().constData());
        if (!sheet) {
            ok = false;
            why = QStringLiteral("无法建立工作表“%1”。").arg(s.Name);
            break;
        }
        if (!WriteSheet(sheet, formats, RMPlanSheet(s.Items), &why)) {
            ok = false;
            break;
        }
    }
    if (m_sheets.empty() && !workbook_add_worksheet(book, nullptr)) {
        ok = false;
        why = QStringLiteral("无法建立工作表。");
    }
    const lxw_error closed = workbook_close(book);
    if (ok && closed != LXW_NO_ERROR) {
        ok = false;
        why = QString::fromUtf8(lxw_strerror(closed));
    }
    m_sheets.clear();
    if (ok) {
        const std::optional<QByteArray> bytes = ReadFileWhole(temp, &why);
        ok = bytes && WriteFileWhole(FileName, *bytes, &why);
    }
    if (!ok && error)
        *error = QStringLiteral("无法写入文件“%1”：%2").arg(FileName, why);
    return ok;
}

TRMXLSXExportForm::TRMXLSXExportForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("RMXLSXExportForm"));
    setFont(RMDialogFont());
    setWindowTitle(RMLoadStr(45009));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto* box = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("工作表"), this);
    auto* inGroup = new QVBoxLayout(group);
    m_perPage = new QRadioButton(QStringLiteral("每页一个工作表"), group);
    m_oneSheet = new QRadioButton(QStringLiteral("所有页放在一个工作表"), group);
    inGroup->addWidget(m_perPage);
    inGroup->addWidget(m_oneSheet);
    m_perPage->setChecked(true);
    box->addWidget(group);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(RMLoadStr(47000), QDialogButtonBox::AcceptRole);
    buttons->addButton(RMLoadStr(47001), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    box->addWidget(buttons);
}

} // namespace pq
