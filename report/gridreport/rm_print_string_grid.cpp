#include "report/gridreport/rm_print_string_grid.h"

#include "report/engine/rm_band.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_dataset.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"
#include "report/gridreport/rm_grid_cells.h"
#include "report/gridreport/rm_grid_report.h"
#include "base/variant.h"
#include "widgets/column_grid.h"
#include "widgets/string_grid.h"

namespace pq {

namespace {

// A cell whose text is the error marker prints empty.
QString CellText(const TStringGrid& g, int col, int row)
{
    const QString t = g.Cells(col, row);
    return t == QLatin1String("[Error]") ? QString() : t;
}

} // namespace

TRMFormPrintStringGrid::TRMFormPrintStringGrid()
{
    AutoFree = false;
}

TRMFormPrintStringGrid::~TRMFormPrintStringGrid()
{
    if (m_target && m_target->Dataset == m_data.get())
        m_target->Dataset = nullptr;
}

TRMView* TRMFormPrintStringGrid::TitleCell(int row, int col, int x, int y, TRMPage* page, bool first)
{
    TRMFormReport& r = *m_report;
    const TStringGrid& g = *m_grid;
    const QString cls = TitleClass(col, row);
    auto* memo = static_cast<TRMMemoView*>(cls.isEmpty() ? r.Report()->CreateObject(page, gtMemo)
                                                         : r.Report()->CreateObject(page, gtAddIn, cls));
    memo->SetBounds(x, y, g.ColWidth(col) + 1, g.RowHeight(row) + 4);
    memo->SetHAlign(2);
    memo->SetLayout(1);
    memo->SetStretched(r.ReportOptions.Has(rmgoStretch));
    memo->SetFlag(flMemoWordwrap, r.ReportOptions.Has(rmgoWordWrap));
    RMFontFromGrid(memo->Font, g.font(), g.palette().color(QPalette::Text), false);
    memo->Memo = {CellText(g, col, row)};
    RMSetFrameLines(*memo, m_frames);
    r.HeaderObjects << memo;
    if (m_doubleFrame) {
        if (first)
            RMHeavySide(*memo, TRMSide::Left);
        RMHeavySide(*memo, TRMSide::Top);
    }
    return memo;
}

TRMView* TRMFormPrintStringGrid::DataCell(int col, int x, TRMPage* page, bool first)
{
    TRMFormReport& r = *m_report;
    const TStringGrid& g = *m_grid;
    auto* memo = static_cast<TRMMemoView*>(r.Report()->CreateObject(page, gtMemo));
    memo->SetBounds(x, 0, Shown(col) ? g.ColWidth(col) + 1 : 0, 4);
    memo->SetHAlign(2);
    memo->SetLayout(1);
    memo->SetStretched(r.ReportOptions.Has(rmgoStretch));
    memo->SetFlag(flMemoWordwrap, r.ReportOptions.Has(rmgoWordWrap));
    RMFontFromGrid(memo->Font, g.font(), g.palette().color(QPalette::Text), false);
    RMSetFrameLines(*memo, m_frames);
    r.MasterObjects << memo;
    m_entries.append({memo->Name, col});
    if (m_doubleFrame) {
        if (first)
            RMHeavySide(*memo, TRMSide::Left);
        RMGridBottomLine(r, page, *memo);
    }
    return memo;
}

void TRMFormPrintStringGrid::GeneratePrintObject(TRMFormReport& r, TRMPage* page, QWidget* control, TRMView*& view)
{
    view = nullptr;
    auto* grid = qobject_cast<TStringGrid*>(control);
    if (!grid || !RMStartGridPrint(r, grid))
        return;
    m_report = &r;
    m_grid = grid;
    m_target = r.Report();
    const TStringGrid& g = *grid;

    // The report's rows are the grid's rows.
    if (!m_data)
        m_data = std::make_unique<TRMUserDataset>();
    m_entries.clear();
    m_data->OnCheckEOF = [this](bool& eof) { eof = !m_grid || m_row > m_grid->RowCount() - 1; };
    m_data->OnFirst = [this] {
        m_row = m_grid ? m_grid->FixedRows() : 0;
        Fill();
    };
    m_data->OnNext = [this] {
        ++m_row;
        Fill();
    };
    m_data->OnPrior = [this] {
        --m_row;
        Fill();
    };
    r.Report()->Dataset = m_data.get();
    r.UseGridDataSet = false;
    // Each data row is as high as the grid row it shows.
    const std::weak_ptr<bool> alive = m_alive;
    m_designHeights.clear();
    r.Report()->OnBeginBand = [this, alive](TRMBand* band) {
        if (alive.expired() || !band || band->Typ != btMasterData || !band->View || !m_grid)
            return;
        if (m_row >= 0 && m_row < m_grid->RowCount())
            SetRowHeight(*band->View, m_grid->RowHeight(m_row));
    };
    // A row's height is the band's and its cells' only while the row prints: the design keeps
    // its own, or the next pass would find the views below the band inside the taller band.
    r.Report()->OnEndBand = [this, alive, before = r.Report()->OnEndBand](TRMBand* band) {
        if (before)
            before(band);
        if (alive.expired() || !band || band->Typ != btMasterData || !m_target)
            return;
        // Found again by name: the report may hold other views by now.
        for (auto it = m_designHeights.cbegin(); it != m_designHeights.cend(); ++it)
            RMForViewsNamed(*m_target, it.key(), [height = it.value()](TRMView& v) { v.Height = height; });
        m_designHeights.clear();
    };

    m_frames = r.ReportOptions.Has(rmgoGridLines);
    m_doubleFrame = r.ReportOptions.Has(rmgoDoubleFrame);
    // Titles and the data row break alike; a continued page starts with the fixed columns.
    TRMGridRow row;
    row.Heavy = m_doubleFrame;
    row.Width = [this](int c) { return Shown(c) ? m_grid->ColWidth(c) + 1 : 0; };
    int sum = 0;
    for (int c = 0; c < g.ColCount(); ++c) {
        if (Shown(c))
            row.Columns << c;
        if (c < r.GridFixedCols && Shown(c))
            row.Repeated << c;
        sum += row.Width(c);
    }
    RMGridContentWidth(r, control, sum);
    const int x0 = g.x() + r.OriginX;
    int y = g.y() + r.OriginY;
    for (int fixed = 0; fixed < g.FixedRows() && fixed < g.RowCount(); ++fixed) {
        row.Make = [this, fixed, y](int c, int x, TRMPage* on, bool first) { return TitleCell(fixed, c, x, y, on, first); };
        RMLayGridRow(r, r.Report()->Pages[0], x0, row);
        y += g.RowHeight(fixed) + 4;
    }
    // Every column has a data cell: a hidden one of no width.
    row.Columns.clear();
    for (int c = 0; c < g.ColCount(); ++c)
        row.Columns << c;
    row.Make = [this](int c, int x, TRMPage* on, bool first) { return DataCell(c, x, on, first); };
    RMLayGridRow(r, page ? page : r.Report()->Pages[0], x0, row);
}

void TRMFormPrintStringGrid::SetRowHeight(TRMView& view, int height)
{
    if (!m_designHeights.contains(view.Name))
        m_designHeights.insert(view.Name, view.Height);
    view.Height = height;
}

void TRMFormPrintStringGrid::FillCell(TRMView& view, int col, int row)
{
    SetRowHeight(view, m_grid->RowHeight(row));
    view.Memo = {CellText(*m_grid, col, row)};
}

void TRMFormPrintStringGrid::Fill()
{
    if (!m_grid || !m_target || m_row < 0 || m_row >= m_grid->RowCount())
        return;
    for (const auto& [name, col] : m_entries)
        RMForViewsNamed(*m_target, name, [this, col = col](TRMView& v) { FillCell(v, col, m_row); });
}

// --- the column grid ------------------------------------------------------------------------

bool TRMFormPrintADVStringGridPro::Shown(int col) const
{
    const auto* g = qobject_cast<const TAdvColumnGrid*>(Grid());
    return !g || g->Column(col).Visible;
}

QString TRMFormPrintADVStringGridPro::TitleClass(int col, int row) const
{
    const auto* g = qobject_cast<const TAdvColumnGrid*>(Grid());
    return g && g->CellType(col, row) == TAdvColumnGrid::ctXXX ? QStringLiteral("TRMDiagonalView") : QString();
}

void TRMFormPrintADVStringGridPro::FillCell(TRMView& view, int col, int row)
{
    const auto* g = qobject_cast<const TAdvColumnGrid*>(Grid());
    if (!g)
        return;
    const TGridColumnItem& c = g->Column(col);
    if (!c.Visible) {
        view.SetPropValue(QStringLiteral("width"), Variant::FromInt(0));
        view.Visible = false;
        return;
    }
    TRMFormPrintStringGrid::FillCell(view, col, row);
    auto* memo = dynamic_cast<TRMMemoView*>(&view);
    if (!memo)
        return;
    memo->SetLayout(1);
    memo->SetHAlign(c.Alignment);
    if (Report()->ReportOptions.Has(rmgoUseColor)) {
        memo->Font.Color = RMColorValue(g->FixedFontColor());
        const QColor own = g->CellColor(col, row);
        memo->FillColor = own.isValid() ? RMColorValue(own) : kNoColor;
    } else {
        memo->Font.Color = 0;
        memo->FillColor = RMColorValue(c.Color);
    }
}

} // namespace pq
