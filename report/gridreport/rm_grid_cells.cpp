#include "report/gridreport/rm_grid_cells.h"
#include "report/gridreport/rm_grid_placement.h"
#include "report/gridreport/rm_grid_report.h"

#include "base/client_dataset.h"
#include "base/result_packet.h"
#include "report/engine/rm_band.h"
#include "report/engine/rm_dataset.h"
#include "base/rounding.h"
#include "report/engine/expr/display_format.h"
#include "report/engine/rm_view.h"
#include "report/engine/rm_report.h"
#include "report/engine/rm_page.h"

#include <QFont>
#include <QPointer>
#include <QFontMetrics>

namespace pq {

std::uint32_t RMColorValue(const QColor& c)
{
    const QColor rgb = c.toRgb();
    return static_cast<std::uint32_t>(rgb.red()) | static_cast<std::uint32_t>(rgb.green()) << 8
        | static_cast<std::uint32_t>(rgb.blue()) << 16;
}

void RMPrintSelectedRecordsOnly(TRMFormReport& report, QObject* grid, std::function<bool()> currentSelected)
{
    const QPointer<QObject> watched = grid;
    const QPointer<TRMDBDataSet> data = report.ReportDataSet();
    report.Report()->OnBeforePrintBand = [watched, data, currentSelected = std::move(currentSelected)](
                                             TRMBand* band, bool& print) {
        if (!watched || !band || band->Typ != btMasterData || band->DataSet != data.data())
            return;
        if (!currentSelected())
            print = false;
    };
}

void RMFontFromGrid(TRMFont& into, const QFont& font, const QColor& color, bool keepColor)
{
    const std::uint32_t before = into.Color;
    into.Name = font.family();
    if (font.pointSize() > 0)
        into.Size = font.pointSize();
    else if (font.pixelSize() > 0)
        into.Size = RoundToInt(font.pixelSize() * 72.0 / 96.0);
    into.Style = (font.italic() ? TRMFont::fsItalic : 0) | (font.bold() ? TRMFont::fsBold : 0)
        | (font.underline() ? TRMFont::fsUnderline : 0) | (font.strikeOut() ? TRMFont::fsStrikeOut : 0);
    into.Color = keepColor ? before : RMColorValue(color);
}

void RMFormatFromField(TRMView& view, const PacketField& field)
{
    if (field.displayFormat.isEmpty())
        return;
    int kind = -1, style = 0;
    switch (field.type) {
    case Variant::Type::Integer:
    case Variant::Type::Byte:
    case Variant::Type::Float:
    case Variant::Type::Currency: kind = fkNumber; style = 4; break;
    case Variant::Type::DateTime: kind = fkDate; style = 7; break;
    case Variant::Type::Boolean: kind = fkBoolean; style = 4; break;
    default: return;
    }
    const int separator = kind == fkNumber ? '.' : FormatSeparator(view.Format).unicode();
    view.Format = MakeFormat(kind, style, FormatDecimals(view.Format), separator);
    view.FormatStr = field.displayFormat;
}

QString RMFieldExpression(TRMFormReport& report, const ClientDataSet* ds, const QString& field)
{
    QString form, name;
    if (ds->Owner() && !ds->Owner()->objectName().isEmpty()) {
        form = ds->Owner()->objectName();
        name = ds->Name();
    } else {
        const TRMDBDataSet* own = report.ReportDataSet();
        form = own->parent() ? own->parent()->objectName() : QString();
        name = own->Name();
        if (QObject* owner = report.parent())
            for (auto* published : owner->findChildren<TRMFormDataSet*>(Qt::FindDirectChildrenOnly))
                if (published->DataSet() == ds && !owner->objectName().isEmpty()) {
                    form = owner->objectName();
                    name = published->objectName();
                    break;
                }
    }
    return QStringLiteral("[%1.%2.\"%3\"]").arg(form, name, field);
}

int RMGridNumberWidth(const TRMFormReport& report, const QFont& gridFont)
{
    return QFontMetrics(gridFont).height() * report.GridNumOptions().Number();
}

void RMSetFrameLines(TRMView& view, bool all) { view.SetFrameTyp(all ? 15 : 0); }

void RMHeavySide(TRMView& view, TRMSide side)
{
    TRMFrameLine* line = view.Frames()[static_cast<size_t>(side)];
    line->Visible = true;
    line->Width = 2.0f;
}

bool RMGridBreaks(const TRMFormReport& report, int x, int width, int count)
{
    const TRMScaleOptions& s = report.ScaleMode();
    if (s.ScaleMode == rmsmFit && s.FitPageWidth)
        return false;
    return count > 0 && RMScaledForWidthTest(x + width + 1, s) > report.AvailWidth;
}

TRMPage* RMAddGridPage(TRMFormReport& report)
{
    TRMPage* page = report.AddDesignPage();
    report.ContentWidths << QStringLiteral("0");
    return page;
}

void RMGridContentWidth(TRMFormReport& report, const QWidget* grid, int sum)
{
    if (report.PrintControl == grid || report.ContentWidths.value(0).toInt() < sum)
        report.ContentWidths[0] = QString::number((report.OriginX + grid->x()) * 2 + sum);
}

bool RMStartGridPrint(TRMFormReport& report, const QWidget* grid)
{
    if (report.GridPrinted)
        return false;
    report.GridPrinted = true;
    report.GridTop = report.OriginY + grid->y();
    report.GridHeight = grid->height();
    return true;
}

void RMGridBottomLine(TRMFormReport& report, TRMPage* page, const TRMView& cell)
{
    TRMView* line = report.Report()->CreateObject(page, gtMemo);
    line->SetFrameTyp(frTop);
    line->TopFrame.Width = 2.0f;
    line->Gapx = 0;
    line->Gapy = 0;
    line->SetBounds(cell.Left, report.GridTop + report.GridHeight, cell.Width, 2);
    line->SetStretched(report.ReportOptions.Has(rmgoStretch));
    report.ColumnFooterObjects << line;
}

void RMLayGridRow(TRMFormReport& r, TRMPage* start, int x0, const TRMGridRow& row)
{
    int x = x0;
    int pageIndex = 0;
    TRMPage* on = start;
    int count = 0;
    bool firstOnPage = row.StartsPage;
    TRMView* last = nullptr;
    auto place = [&](int col) {
        const int width = row.Width(col);
        TRMView* cell = row.Make(col, x, on, firstOnPage && width > 0);
        if (width == 0)
            return;
        last = cell;
        firstOnPage = false;
        x += width;
        ++count;
    };
    for (int col : row.Columns) {
        const int width = row.Width(col);
        if (width > 0 && RMGridBreaks(r, x, width - 1, count)) {
            if (row.Heavy && last)
                RMHeavySide(*last, TRMSide::Right);
            r.ContentWidths[pageIndex] = QString::number(x);
            ++pageIndex;
            if (r.Report()->Pages.Count() <= pageIndex)
                RMAddGridPage(r);
            on = r.Report()->Pages[pageIndex];
            x = x0;
            count = 0;
            firstOnPage = true;
            for (int f : row.Repeated)
                place(f);
        }
        place(col);
    }
    if (row.Heavy && last)
        RMHeavySide(*last, TRMSide::Right);
    if (r.Report()->Pages.Count() > 1)
        r.ContentWidths.last() = QString::number(x);
}

void RMForViewsNamed(TRMReport& report, const QString& name, const std::function<void(TRMView&)>& fn)
{
    for (int p = 0; p < report.Pages.Count(); ++p)
        for (const auto& o : report.Pages[p]->Objects)
            if (o->Name.compare(name, Qt::CaseInsensitive) == 0)
                fn(*o);
}

} // namespace pq
