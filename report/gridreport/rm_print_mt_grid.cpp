#include "report/gridreport/rm_print_mt_grid.h"

#include "base/client_dataset.h"
#include "base/data_source.h"
#include "base/scope_guard.h"
#include "report/engine/rm_band.h"
#include "report/engine/rm_dataset.h"
#include "report/engine/rm_engine_state.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_other_views.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"
#include "report/gridreport/rm_grid_cells.h"
#include "report/gridreport/rm_grid_export_file.h"
#include "report/gridreport/rm_grid_placement.h"
#include "report/gridreport/rm_grid_report.h"
#include "widgets/db_grid_mt.h"

#include <stdexcept>

namespace pq {

namespace {

TRMMemoView* NewMemo(TRMFormReport& r, TRMPage* page, int type = gtMemo)
{
    return static_cast<TRMMemoView*>(r.Report()->CreateObject(page, type));
}

} // namespace

bool TRMPrintMTGrid::Breaks(int x, int width, int count) const
{
    return RMGridBreaks(*m_report, x, width, count);
}

TRMPage* TRMPrintMTGrid::AddPage()
{
    return RMAddGridPage(*m_report);
}

void TRMPrintMTGrid::GeneratePrintObject(TRMFormReport& report, TRMPage* page, QWidget* control, TRMView*& view)
{
    view = nullptr;
    m_report = &report;
    m_grid = qobject_cast<TDBGridMT*>(control);
    if (!m_grid || !m_grid->DataSource() || !m_grid->DataSource()->DataSet())
        return;
    TDBGridMT& g = *m_grid;

    if (report.ReportOptions.Has(rmgoSelectedRecordsOnly) && g.SelectedRows().Count() >= 1) {
        AutoFree = false;
        TDBGridMT* grid = m_grid;
        RMPrintSelectedRecordsOnly(report, grid, [grid] { return grid->CurrentRowSelected(); });
    }

    m_page = report.Report()->Pages[0];
    report.GridPrinted = true;
    report.GridTop = report.OriginY + g.y();
    report.GridHeight = g.height();
    report.ReportDataSet()->DataSource = g.DataSource();

    m_doubleFrame = report.ReportOptions.Has(rmgoDoubleFrame) && g.FooterRowCount() == 0;
    m_frames = report.ReportOptions.Has(rmgoGridLines) && (g.Options() & dgColLines);
    m_rowHeight = g.DefaultRowHeight() + 4;
    if (report.MasterDataBandOptions().Height > 0)
        m_rowHeight = report.MasterDataBandOptions().Height;

    int sum = 0;
    for (int i = 0; i < g.ColumnCount(); ++i)
        if (g.Column(i).Visible)
            sum += g.Column(i).Width + 1;
    RMGridContentWidth(report, control, sum);
    m_x0 = g.x() + report.OriginX;

    if (g.Options() & dgTitles) {
        if (g.UseMultiTitle())
            MultiTitles();
        else
            SimpleTitles();
    }
    DataCells(page);
    if (g.FooterRowCount() > 0)
        FooterRows(page);
    WriteExportFile();
}

// --- simple titles -------------------------------------------------------------------------------

void TRMPrintMTGrid::TitleCell(const TColumnMT& c, int& x, int y0, int height, bool& first)
{
    TRMFormReport& r = *m_report;
    TRMMemoView* memo = NewMemo(r, m_page);
    RMSetFrameLines(*memo, m_frames);
    memo->SetFlag(flMemoWordwrap, true);
    memo->LineSpacing = 0;
    memo->RotationType = c.Title.Orientation == tohVertical ? rt90 : rtNone;
    memo->SetLayout(1);
    memo->SetHAlign(c.Title.Alignment);
    memo->SetBounds(x, y0, c.Width + 1, height);
    memo->Memo = {c.Title.Caption};
    RMFontFromGrid(memo->Font, c.Title.Font, c.Title.FontColor, r.ReportOptions.Has(rmgoUseColor));
    r.HeaderObjects << memo;
    x += memo->Width;
    memo->Visible = !r.PageHeaderOnly1;
    if (m_doubleFrame) {
        if (first)
            RMHeavySide(*memo, TRMSide::Left);
        RMHeavySide(*memo, TRMSide::Top);
    }
    first = false;
    m_lastTitle = memo;
}

void TRMPrintMTGrid::SimpleTitles()
{
    TDBGridMT& g = *m_grid;
    TRMFormReport& r = *m_report;
    const int y0 = g.y() + r.OriginY;
    const int height = g.TitleRowHeight() + 4;
    int x = m_x0, count = 0;
    bool first = true;
    for (int i = 0; i < g.ColumnCount(); ++i) {
        const TColumnMT& c = g.Column(i);
        if (!c.Visible)
            continue;
        if (Breaks(x, c.Width, count)) {
            count = 0;
            first = true;
            if (m_doubleFrame && m_lastTitle)
                RMHeavySide(*m_lastTitle, TRMSide::Right);
            r.ContentWidths[r.Report()->Pages.Count() - 1] = QString::number(x);
            m_page = AddPage();
            x = m_x0;
            for (int k = 0; k < r.GridFixedCols && k < g.ColumnCount(); ++k)
                if (g.Column(k).Visible)
                    TitleCell(g.Column(k), x, y0, height, first);
        }
        TitleCell(c, x, y0, height, first);
        ++count;
    }
    if (m_doubleFrame && m_lastTitle)
        RMHeavySide(*m_lastTitle, TRMSide::Right);
    if (r.Report()->Pages.Count() > 1)
        r.ContentWidths.last() = QString::number(x);
}

// --- multi-level titles --------------------------------------------------------------------------

void TRMPrintMTGrid::MultiTitles()
{
    TDBGridMT& g = *m_grid;
    const std::unique_ptr<THeadTree> tree = g.TitleTree();
    m_walk = TreeWalk();
    m_walk.Root = tree->Root();
    m_walk.X = m_x0;
    m_walk.Top = m_walk.Y = g.y() + m_report->OriginY;
    m_walk.LeftClip = m_x0;
    Walk(tree->Root(), 0);
    if (m_doubleFrame && m_lastTitle)
        RMHeavySide(*m_lastTitle, TRMSide::Right);
    if (m_report->Report()->Pages.Count() > 1)
        m_report->ContentWidths.last() = QString::number(m_walk.X);
}

void TRMPrintMTGrid::Walk(const THeadTreeNode* node, int limit)
{
    TreeWalk& w = m_walk;
    const THeadTreeNode* p = node->Child;
    int handled = 0;
    while (p) {
        if (p->Child) {
            w.Y += p->Height;
            ++w.Level;
            w.Starts.push_back(w.X);
            Walk(p, limit);
            --w.Level;
        }
        ++handled;
        if (p->Width > 0)
            PlaceNode(p);
        if (p->Next == node->Child) {
            w.Y -= node->Height;
            w.X -= node->Width + 1;
            break;
        }
        if (limit > 0 && handled >= limit)
            break;
        p = p->Next;
    }
    if (!w.Starts.isEmpty() && node != w.Root)
        w.Starts.pop_back();
}

void TRMPrintMTGrid::PlaceNode(const THeadTreeNode* p)
{
    TreeWalk& w = m_walk;
    TRMFormReport& r = *m_report;
    if (!w.InFixedPart && Breaks(w.X, p->Width, w.Count)) {
        w.Count = 0;
        w.RightClip = w.X;
        if (m_doubleFrame && m_lastTitle)
            RMHeavySide(*m_lastTitle, TRMSide::Right);
        if (w.LastNode && w.LastNode->Host == p->Host)
            ReEmitParents();
        w.RightClip = 9999999;
        r.ContentWidths[r.Report()->Pages.Count() - 1] = QString::number(w.X);
        m_page = AddPage();
        w.X = m_x0;
        w.LeftClip = m_x0;
        for (int& s : w.Starts)
            s = m_x0;
        w.First = true;
        if (r.GridFixedCols > 0) {
            // The fixed columns' part of the tree again, at the left of the new page; the
            // open levels of the walk in progress are kept aside meanwhile.
            const int y = w.Y, level = w.Level;
            const QList<int> starts = w.Starts;
            w.Y = w.Top;
            w.Level = 0;
            w.Starts.clear();
            w.InFixedPart = true;
            Walk(w.Root, r.GridFixedCols);
            w.InFixedPart = false;
            w.Starts = starts;
            w.Y = y;
            w.Level = level;
            w.LeftClip = w.X;
        }
    }
    NodeCell(p);
    ++w.Count;
}

void TRMPrintMTGrid::NodeCell(const THeadTreeNode* p)
{
    TreeWalk& w = m_walk;
    TRMFormReport& r = *m_report;
    TRMMemoView* memo = NewMemo(r, m_page);
    RMSetFrameLines(*memo, m_frames);
    memo->SetFlag(flMemoWordwrap, true);
    memo->LineSpacing = 0;
    memo->SetLayout(1);
    const TColumnTitleMT* title = p->Column ? &p->Column->Title : nullptr;
    memo->RotationType = title && title->Orientation == tohVertical ? rt90 : rtNone;
    memo->SetHAlign(title ? title->Alignment : taCenter);
    memo->Memo = {p->Text};
    RMFontFromGrid(memo->Font, title ? title->Font : m_grid->TitleFont(),
        title ? title->FontColor : m_grid->TitleFontColor(), r.ReportOptions.Has(rmgoUseColor));
    if (w.X < w.LeftClip)
        memo->SetBounds(w.LeftClip, w.Y, p->Width + w.X - w.LeftClip + 1, p->Height);
    else if (w.X + p->Width + 1 > w.RightClip)
        memo->SetBounds(w.X, w.Y, w.RightClip - w.X, p->Height);
    else
        memo->SetBounds(w.X, w.Y, p->Width + 1, p->Height);
    r.HeaderObjects << memo;
    if (m_doubleFrame) {
        if (w.Level == 0)
            RMHeavySide(*memo, TRMSide::Top);
        if (w.First)
            w.PageLeft = w.X;
        if (w.First || w.PageLeft >= w.X)
            RMHeavySide(*memo, TRMSide::Left);
    }
    w.First = false;
    w.LastNode = p;
    w.LastStart = w.X;
    w.X += p->Width + 1;
    m_lastTitle = memo;
}

void TRMPrintMTGrid::ReEmitParents()
{
    TreeWalk& w = m_walk;
    const int y = w.Y, level = w.Level;
    qsizetype top = w.Starts.size() - 1;
    const int lastStart = w.LastStart;
    for (const THeadTreeNode* parent = w.LastNode->Host; parent && parent != w.Root; parent = parent->Host) {
        --w.Level;
        w.Y -= parent->Height;
        w.X = top >= 0 ? w.Starts.at(top--) : lastStart;
        if (parent->Width > 0)
            NodeCell(parent);
        if (m_doubleFrame && m_lastTitle)
            RMHeavySide(*m_lastTitle, TRMSide::Right);
    }
    w.Y = y;
    w.Level = level;
}

// --- data cells ----------------------------------------------------------------------------------

void TRMPrintMTGrid::DataCell(int column, int& x, bool& first)
{
    TRMFormReport& r = *m_report;
    TDBGridMT& g = *m_grid;
    const TColumnMT& c = g.Column(column);
    ClientDataSet* ds = g.DataSource()->DataSet();
    TRMView* cell = nullptr;
    if (c.Checkboxes) {
        auto* box = static_cast<TRMCheckBoxView*>(r.Report()->CreateObject(m_page, gtAddIn, QStringLiteral("TRMCheckBoxView")));
        box->CheckStyle = TRMCheckBoxView::csCheck;
        cell = box;
    } else {
        const int field = ds->FieldIndex(c.FieldName);
        if (c.FieldName.isEmpty() || field < 0)
            throw DataSetError(QStringLiteral("Field '%1' not found").arg(c.FieldName).toStdString());
        TRMMemoView* memo = NewMemo(r, m_page);
        memo->SetFlag(flMemoWordwrap, r.ReportOptions.Has(rmgoWordWrap));
        memo->SetLayout(1);
        const bool keepColor = r.ReportOptions.Has(rmgoUseColor);
        RMFontFromGrid(memo->Font, c.Font, c.FontColor, keepColor);
        if (r.GridFontOptions().UseCustomFontSize)
            RMFontFromGrid(memo->Font, r.GridFontOptions().Font, Qt::black, true);
        memo->SetHAlign(c.Alignment);
        RMFormatFromField(*memo, ds->Field(field));
        cell = memo;
    }
    cell->SetBounds(x, 0, c.Width + 1, m_rowHeight);
    RMSetFrameLines(*cell, m_frames);
    if (!c.FieldName.isEmpty())
        cell->Memo = {RMFieldExpression(r, ds, c.FieldName)};
    cell->SetStretched(false);
    r.MasterObjects << cell;
    x += c.Width + 1;
    if (r.OnAfterCreateGridObjectEvent)
        r.OnAfterCreateGridObjectEvent(m_grid, c.FieldName, cell);
    if (m_doubleFrame) {
        if (first)
            RMHeavySide(*cell, TRMSide::Left);
        RMGridBottomLine(r, m_page, *cell);
    }
    first = false;
    if (r.ShowMasterData) {
        cell->Visible = false;
        cell->SetBounds(cell->Left, cell->Top, cell->Width, 0);
    }
    m_lastData = cell;
}

void TRMPrintMTGrid::DataCells(TRMPage* firstPage)
{
    TRMFormReport& r = *m_report;
    TDBGridMT& g = *m_grid;
    m_page = firstPage;
    m_lastData = nullptr;
    int x = m_x0, count = 0, j = 0;
    bool first = true;
    for (int i = 0; i < g.ColumnCount(); ++i) {
        if (!g.Column(i).Visible)
            continue;
        if (Breaks(x, g.Column(i).Width, count)) {
            count = 0;
            first = true;
            if (m_doubleFrame && m_lastData)
                RMHeavySide(*m_lastData, TRMSide::Right);
            r.ContentWidths[j] = QString::number(x);
            ++j;
            if (r.Report()->Pages.Count() <= j)
                AddPage();
            m_page = r.Report()->Pages[j];
            x = m_x0;
            for (int k = 0; k < r.GridFixedCols && k < g.ColumnCount(); ++k)
                if (g.Column(k).Visible)
                    DataCell(k, x, first);
        }
        DataCell(i, x, first);
        ++count;
    }
    if (m_doubleFrame && m_lastData)
        RMHeavySide(*m_lastData, TRMSide::Right);
    if (r.Report()->Pages.Count() > 1)
        r.ContentWidths[j] = QString::number(x);
}

// --- footer rows ---------------------------------------------------------------------------------

void TRMPrintMTGrid::FooterCell(int row, int column, int& x, int y)
{
    TRMFormReport& r = *m_report;
    TDBGridMT& g = *m_grid;
    TColumnMT& c = g.Column(column);
    ClientDataSet* ds = g.DataSource()->DataSet();
    TColumnFooterMT* footer = c.FooterOfRow(row);
    TRMMemoView* memo = nullptr;
    if (footer && footer->ValueType == fvtSum) {
        auto* calc = static_cast<TRMCalcMemoView*>(NewMemo(r, m_page, gtCalcMemo));
        calc->ResetAfterPrint = 1;
        calc->CalcType = rmdcSum;
        if (footer->FieldName.isEmpty())
            footer->FieldName = c.FieldName;
        if (!footer->FieldName.isEmpty()) {
            calc->Memo = {RMFieldExpression(r, ds, footer->FieldName)};
            if (const int f = ds->FieldIndex(footer->FieldName); f >= 0)
                RMFormatFromField(*calc, ds->Field(f));
        }
        memo = calc;
    } else if (footer && footer->ValueType == fvtCount) {
        auto* calc = static_cast<TRMCalcMemoView*>(NewMemo(r, m_page, gtCalcMemo));
        calc->ResetAfterPrint = 1;
        calc->CalcType = rmdcCount;
        memo = calc;
    } else {
        memo = NewMemo(r, m_page);
        if (footer)
            memo->Memo = {footer->Value};
    }
    memo->SetBounds(x, y, c.Width + 1, m_rowHeight);
    memo->SetLayout(1);
    const bool keepColor = r.ReportOptions.Has(rmgoUseColor);
    if (footer) {
        RMFontFromGrid(memo->Font, footer->Font, footer->FontColor, keepColor);
        memo->SetHAlign(footer->Alignment);
    } else {
        RMFontFromGrid(memo->Font, c.Font, c.FontColor, keepColor);
        memo->SetHAlign(c.Alignment);
    }
    RMSetFrameLines(*memo, m_frames);
    r.SummaryObjects << memo;
    x += c.Width + 1;
}

void TRMPrintMTGrid::FooterRows(TRMPage* firstPage)
{
    TRMFormReport& r = *m_report;
    TDBGridMT& g = *m_grid;
    int y = 0;
    for (int row = 0; row < g.FooterRowCount(); ++row) {
        m_page = firstPage;
        int count = 0, j = 0, x = m_x0;
        for (int i = 0; i < g.ColumnCount(); ++i) {
            if (!g.Column(i).Visible)
                continue;
            if (Breaks(x, g.Column(i).Width, count)) {
                count = 0;
                j = std::min(j + 1, r.Report()->Pages.Count() - 1);
                m_page = r.Report()->Pages[j];
                x = m_x0;
                for (int k = 0; k < r.GridFixedCols && k < g.ColumnCount(); ++k)
                    if (g.Column(k).Visible)
                        FooterCell(row, k, x, y);
            }
            FooterCell(row, i, x, y);
            ++count;
        }
        y += g.DefaultRowHeight() + 4;
    }
}

// --- the data file for the export ----------------------------------------------------------------

void TRMPrintMTGrid::WriteExportFile()
{
    TDBGridMT& g = *m_grid;
    ClientDataSet* ds = g.DataSource()->DataSet();
    ds->DisableControls();
    const ScopeExit enable([ds] { ds->EnableControls(); });
    QStringList captions, fields;
    for (int i = 0; i < g.ColumnCount(); ++i)
        if (g.Column(i).Visible) {
            captions << g.Column(i).Title.Caption;
            fields << g.Column(i).FieldName;
        }
    const QStringList lines = RMGridExportLines(captions, fields, *ds);
    QString error;
    if (!RMWriteGridExportFile(lines, &error))
        throw std::runtime_error(QStringLiteral("Cannot create file \"%1\". %2")
                .arg(RMGridExportFileName(), error).toStdString());
}

} // namespace pq
