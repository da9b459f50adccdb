#include "report/gridreport/rm_print_db_grid.h"

#include "base/client_dataset.h"
#include "base/data_source.h"
#include "report/engine/rm_band.h"
#include "report/engine/rm_dataset.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"
#include "report/gridreport/rm_grid_cells.h"
#include "report/gridreport/rm_grid_report.h"
#include "widgets/db_grid.h"

#include <QPalette>

namespace pq {

namespace {

TRMMemoView* NewMemo(TRMFormReport& r, TRMPage* page)
{
    return static_cast<TRMMemoView*>(r.Report()->CreateObject(page, gtMemo));
}

} // namespace

TRMView* TRMFormPrintDBGrid::NumberCell(bool title, int x, int y, TRMPage* page)
{
    TRMFormReport& r = *m_report;
    TRMMemoView* memo = NewMemo(r, page);
    memo->SetBounds(x, y, m_numberWidth, title ? m_titleHeight : m_rowHeight);
    memo->Memo = {title ? r.GridNumOptions().Text : QStringLiteral("[Line#]")};
    // The numbers in the grid's own font, as the rows beside them.
    RMFontFromGrid(memo->Font, title && m_grid->ColumnCount() > 0 ? m_grid->Column(0).Title.Font : m_grid->font(),
        Qt::black, false);
    memo->SetHAlign(2);
    memo->SetLayout(1);
    RMSetFrameLines(*memo, m_frames);
    if (title) {
        r.HeaderObjects << memo;
    } else {
        memo->SetStretched(r.ReportOptions.Has(rmgoStretch));
        r.MasterObjects << memo;
    }
    if (m_doubleFrame) {
        RMHeavySide(*memo, TRMSide::Left);
        if (title)
            RMHeavySide(*memo, TRMSide::Top);
        else
            RMGridBottomLine(r, page, *memo);
    }
    return memo;
}

TRMView* TRMFormPrintDBGrid::TitleCell(int column, int x, int y, TRMPage* page, bool first)
{
    TRMFormReport& r = *m_report;
    const TColumn& c = m_grid->Column(column);
    TRMMemoView* memo = NewMemo(r, page);
    memo->SetBounds(x, y, c.Width + 1, m_titleHeight);
    RMFontFromGrid(memo->Font, c.Title.Font, c.Title.FontColor, false);
    memo->Memo = {c.Title.Caption};
    memo->SetLayout(1);
    memo->SetHAlign(c.Title.Alignment);
    if (r.ReportOptions.Has(rmgoUseColor))
        memo->FillColor = RMColorValue(c.Title.Color.isValid() ? c.Title.Color : m_grid->palette().color(QPalette::Button));
    RMSetFrameLines(*memo, m_frames);
    r.HeaderObjects << memo;
    if (m_doubleFrame) {
        if (first)
            RMHeavySide(*memo, TRMSide::Left);
        RMHeavySide(*memo, TRMSide::Top);
    }
    return memo;
}

TRMView* TRMFormPrintDBGrid::DataCell(int column, int x, TRMPage* page, bool first)
{
    TRMFormReport& r = *m_report;
    const TColumn& c = m_grid->Column(column);
    const ClientDataSet* ds = m_grid->DataSet();
    // Our data sets hold no picture fields, so every column prints as text.
    TRMMemoView* memo = NewMemo(r, page);
    memo->SetLayout(1);
    memo->SetStretched(r.ReportOptions.Has(rmgoStretch));
    memo->SetFlag(flMemoWordwrap, r.ReportOptions.Has(rmgoWordWrap));
    memo->SetHAlign(c.Alignment);
    RMFontFromGrid(memo->Font, c.Font, c.FontColor, false);
    if (r.GridFontOptions().UseCustomFontSize) {
        TRMFont sized = memo->Font;
        RMFontFromGrid(sized, r.GridFontOptions().Font, Qt::black, true);
        memo->Font.Size = sized.Size;
    }
    if (const int f = ds->FieldIndex(c.FieldName); f >= 0)
        RMFormatFromField(*memo, ds->Field(f));
    RMSetFrameLines(*memo, m_frames);
    memo->SetBounds(x, 0, c.Width + 1, m_rowHeight);
    memo->Memo = {RMFieldExpression(r, ds, c.FieldName)};
    if (r.ReportOptions.Has(rmgoUseColor))
        memo->FillColor = RMColorValue(c.Color.isValid() ? c.Color : m_grid->palette().color(QPalette::Base));
    r.MasterObjects << memo;
    if (r.OnAfterCreateGridObjectEvent)
        r.OnAfterCreateGridObjectEvent(m_grid, c.FieldName, memo);
    if (m_doubleFrame) {
        if (first)
            RMHeavySide(*memo, TRMSide::Left);
        RMGridBottomLine(r, page, *memo);
    }
    return memo;
}

void TRMFormPrintDBGrid::GeneratePrintObject(TRMFormReport& r, TRMPage* page, QWidget* control, TRMView*& view)
{
    view = nullptr;
    auto* grid = qobject_cast<TDBGrid*>(control);
    if (!grid || !RMStartGridPrint(r, grid))
        return;
    m_report = &r;
    m_grid = grid;
    const TDBGrid& g = *grid;
    if (!g.DataSource() || !g.DataSet() || !g.DataSet()->Active())
        return;

    if (r.ReportOptions.Has(rmgoSelectedRecordsOnly) && !g.SelectedRows().isEmpty()) {
        AutoFree = false;
        RMPrintSelectedRecordsOnly(r, grid, [grid] { return grid->CurrentRowSelected(); });
    }
    m_rowHeight = r.MasterDataBandOptions().Height > 0 ? r.MasterDataBandOptions().Height : g.DefaultRowHeight() + 4;
    m_titleHeight = g.TitleRowHeight() + 4;
    r.ReportDataSet()->DataSource = g.DataSource();
    m_frames = r.ReportOptions.Has(rmgoGridLines) && (g.Options() & dgColLines);
    m_doubleFrame = r.ReportOptions.Has(rmgoDoubleFrame);
    const bool titles = g.Options() & dgTitles;
    const bool numbers = titles && r.ReportOptions.Has(rmgoGridNumber);
    m_numberWidth = numbers ? RMGridNumberWidth(r, g.font()) : 0;

    TRMGridRow row;
    row.Heavy = m_doubleFrame;
    row.StartsPage = !numbers;
    row.Width = [this](int c) { return m_grid->Column(c).Width + 1; };
    int sum = m_numberWidth;
    for (int c = 0; c < g.ColumnCount(); ++c) {
        if (!g.Column(c).Visible)
            continue;
        row.Columns << c;
        if (c < r.GridFixedCols)
            row.Repeated << c;
        sum += row.Width(c);
    }
    RMGridContentWidth(r, control, sum);

    // Continued pages start after the row-number column, whose space stays empty on them.
    const int x0 = g.x() + r.OriginX;
    if (titles) {
        const int y = g.y() + r.OriginY;
        if (numbers)
            NumberCell(true, x0, y, r.Report()->Pages[0]);
        row.Make = [this, y](int c, int x, TRMPage* on, bool first) { return TitleCell(c, x, y, on, first); };
        RMLayGridRow(r, r.Report()->Pages[0], x0 + m_numberWidth, row);
    }
    if (numbers)
        NumberCell(false, x0, 0, r.Report()->Pages[0]);
    row.Make = [this](int c, int x, TRMPage* on, bool first) { return DataCell(c, x, on, first); };
    RMLayGridRow(r, page ? page : r.Report()->Pages[0], x0 + m_numberWidth, row);
}

} // namespace pq
