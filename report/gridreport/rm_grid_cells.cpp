#include "report/gridreport/rm_grid_cells.h"
#include "report/gridreport/rm_grid_placement.h"
#include "report/gridreport/rm_grid_report.h"

#include "base/result_packet.h"
#include "base/rounding.h"
#include "report/engine/expr/display_format.h"
#include "report/engine/rm_view.h"

#include <QFont>

namespace pq {

std::uint32_t RMColorValue(const QColor& c)
{
    const QColor rgb = c.toRgb();
    return static_cast<std::uint32_t>(rgb.red()) | static_cast<std::uint32_t>(rgb.green()) << 8
        | static_cast<std::uint32_t>(rgb.blue()) << 16;
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

} // namespace pq
