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
        // The grid's bottom edge, below the last row (it opens the column-footer band).
        auto* line = static_cast<TRMMemoView*>(r.Report()->CreateObject(page, gtMemo));
        line->SetFrameTyp(frTop);
        line->TopFrame.Width = 2.0f;
        line->Gapx = 0;
        line->Gapy = 0;
        line->SetBounds(memo->Left, r.GridTop + r.GridHeight, memo->Width, 2);
        line->SetStretched(r.ReportOptions.Has(rmgoStretch));
        r.ColumnFooterObjects << line;
    }
    return memo;
}

void TRMFormPrintStringGrid::GeneratePrintObject(TRMFormReport& r, TRMPage* page, QWidget* control, TRMView*& view)
{
    view = nullptr;
    auto* grid = qobject_cast<TStringGrid*>(control);
    if (!grid || r.GridPrinted)
        return;
    m_report = &r;
    m_grid = grid;
    m_target = r.Report();
    const TStringGrid& g = *grid;
    r.GridPrinted = true;
    r.GridTop = r.OriginY + g.y();
    r.GridHeight = g.height();

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
    r.Report()->OnBeginBand = [this, alive](TRMBand* band) {
        if (alive.expired() || !band || band->Typ != btMasterData || !band->View || !m_grid)
            return;
        if (m_row >= 0 && m_row < m_grid->RowCount())
            band->View->Height = m_grid->RowHeight(m_row);
    };

    m_frames = r.ReportOptions.Has(rmgoGridLines);
    m_doubleFrame = r.ReportOptions.Has(rmgoDoubleFrame);
    int sum = 0;
    for (int c = 0; c < g.ColCount(); ++c)
        if (Shown(c))
            sum += g.ColWidth(c) + 1;
    RMGridContentWidth(r, control, sum);
    const int x0 = g.x() + r.OriginX;
    TRMPage* first = r.Report()->Pages[0];

    // Title rows.
    int x = x0;
    int y = g.y() + r.OriginY;
    for (int row = 0; row < g.FixedRows() && row < g.RowCount(); ++row) {
        x = x0;
        int pageIndex = 0;
        TRMPage* on = first;
        int count = 0;
        bool firstOnPage = true;
        TRMView* last = nullptr;
        for (int c = 0; c < g.ColCount(); ++c) {
            if (!Shown(c))
                continue;
            if (RMGridBreaks(r, x, g.ColWidth(c), count)) {
                if (m_doubleFrame && last)
                    RMHeavySide(*last, TRMSide::Right);
                r.ContentWidths[pageIndex] = QString::number(x);
                ++pageIndex;
                if (r.Report()->Pages.Count() <= pageIndex)
                    RMAddGridPage(r);
                on = r.Report()->Pages[pageIndex];
                x = x0;
                count = 0;
                firstOnPage = true;
                for (int f = 0; f < r.GridFixedCols && f < g.ColCount(); ++f) {
                    if (!Shown(f))
                        continue;
                    last = TitleCell(row, f, x, y, on, firstOnPage);
                    firstOnPage = false;
                    x += g.ColWidth(f) + 1;
                    ++count;
                }
            }
            last = TitleCell(row, c, x, y, on, firstOnPage);
            firstOnPage = false;
            x += g.ColWidth(c) + 1;
            ++count;
        }
        if (m_doubleFrame && last)
            RMHeavySide(*last, TRMSide::Right);
        y += g.RowHeight(row) + 4;
    }
    if (r.Report()->Pages.Count() > 1)
        r.ContentWidths.last() = QString::number(x);

    // The data row.
    x = x0;
    int pageIndex = 0;
    TRMPage* on = page ? page : first;
    int count = 0;
    bool firstOnPage = true;
    TRMView* last = nullptr;
    for (int c = 0; c < g.ColCount(); ++c) {
        // A hidden column keeps a data cell of no width, so its entry stays in the row.
        const int width = Shown(c) ? g.ColWidth(c) + 1 : 0;
        if (width > 0 && RMGridBreaks(r, x, g.ColWidth(c), count)) {
            if (m_doubleFrame && last)
                RMHeavySide(*last, TRMSide::Right);
            r.ContentWidths[pageIndex] = QString::number(x);
            ++pageIndex;
            if (r.Report()->Pages.Count() <= pageIndex)
                RMAddGridPage(r);
            on = r.Report()->Pages[pageIndex];
            x = x0;
            count = 0;
            firstOnPage = true;
            for (int f = 0; f < r.GridFixedCols && f < g.ColCount(); ++f) {
                if (!Shown(f))
                    continue;
                last = DataCell(f, x, on, firstOnPage);
                firstOnPage = false;
                x += g.ColWidth(f) + 1;
                ++count;
            }
        }
        TRMView* cell = DataCell(c, x, on, firstOnPage && width > 0);
        if (width == 0)
            continue;
        last = cell;
        firstOnPage = false;
        x += width;
        ++count;
    }
    if (m_doubleFrame && last)
        RMHeavySide(*last, TRMSide::Right);
    if (r.Report()->Pages.Count() > 1)
        r.ContentWidths.last() = QString::number(x);
}

void TRMFormPrintStringGrid::FillCell(TRMView& view, int col, int row)
{
    view.Height = m_grid->RowHeight(row);
    view.Memo = {CellText(*m_grid, col, row)};
}

void TRMFormPrintStringGrid::Fill()
{
    if (!m_grid || !m_target || m_row < 0 || m_row >= m_grid->RowCount())
        return;
    for (const auto& [name, col] : m_entries) {
        for (int p = 0; p < m_target->Pages.Count(); ++p) {
            for (const auto& o : m_target->Pages[p]->Objects) {
                if (o->Name.compare(name, Qt::CaseInsensitive) == 0)
                    FillCell(*o, col, m_row);
            }
        }
    }
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
