#include "report/gridreport/rm_print_list_view.h"

#include "report/engine/rm_dataset.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"
#include "report/gridreport/rm_grid_cells.h"
#include "report/gridreport/rm_grid_report.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QTreeWidget>

namespace pq {

TRMPrintListView::TRMPrintListView()
{
    AutoFree = false;
}

TRMPrintListView::~TRMPrintListView()
{
    if (m_target && m_target->Dataset == m_data.get())
        m_target->Dataset = nullptr;
}

TRMView* TRMPrintListView::Cell(TRMPage* page, int x, int y, int width, bool title, bool first)
{
    TRMFormReport& r = *m_report;
    auto* memo = static_cast<TRMMemoView*>(r.Report()->CreateObject(page, gtMemo));
    memo->SetBounds(x, y, width, m_rowHeight);
    memo->SetFlag(flMemoWordwrap, true);
    memo->SetLayout(1);
    RMFontFromGrid(memo->Font, m_list->font(), m_list->palette().color(QPalette::Text), false);
    if (r.GridFontOptions().UseCustomFontSize)
        RMFontFromGrid(memo->Font, r.GridFontOptions().Font, Qt::black, true);
    RMSetFrameLines(*memo, m_frames);
    if (m_doubleFrame && first)
        RMHeavySide(*memo, TRMSide::Left);
    if (title) {
        if (m_doubleFrame)
            RMHeavySide(*memo, TRMSide::Top);
        r.HeaderObjects << memo;
        return memo;
    }
    memo->SetStretched(r.ReportOptions.Has(rmgoStretch));
    r.MasterObjects << memo;
    if (m_doubleFrame)
        RMGridBottomLine(r, page, *memo);
    return memo;
}

void TRMPrintListView::GeneratePrintObject(TRMFormReport& r, TRMPage* page, QWidget* control, TRMView*& view)
{
    view = nullptr;
    auto* list = qobject_cast<QTreeWidget*>(control);
    if (!list || !RMStartGridPrint(r, list))
        return;
    m_report = &r;
    m_list = list;
    m_target = r.Report();

    if (!m_data)
        m_data = std::make_unique<TRMUserDataset>();
    m_entries.clear();
    r.UseGridDataSet = false;
    TRMUserDataset* data = m_data.get();
    m_data->OnCheckEOF = [this, data](bool& eof) { eof = !m_list || data->RecNo >= m_list->topLevelItemCount(); };
    m_data->OnFirst = [this] { Fill(); };
    m_data->OnNext = [this] { Fill(); };
    m_data->OnPrior = [this] { Fill(); };
    r.Report()->Dataset = m_data.get();

    const int rh = QFontMetrics(list->font()).height();
    m_rowHeight = rh + 4;
    m_frames = r.ReportOptions.Has(rmgoGridLines);
    m_doubleFrame = r.ReportOptions.Has(rmgoDoubleFrame);
    const bool numbers = r.ReportOptions.Has(rmgoGridNumber);
    const int numberWidth = RMGridNumberWidth(r, list->font());
    const int columns = list->columnCount();
    int sum = numbers ? numberWidth : 0;
    for (int c = 0; c < columns; ++c)
        sum += list->columnWidth(c) + 1;
    RMGridContentWidth(r, control, sum);
    const QTreeWidgetItem* header = list->headerItem();

    // Titles, then the data row, with the same breaks; continued pages repeat columns 1 to
    // GridFixedCols (column 0, the captions, is not among them).
    TRMGridRow row;
    row.Heavy = m_doubleFrame;
    row.StartsPage = !numbers;
    row.Width = [list](int c) { return list->columnWidth(c) + 1; };
    for (int c = 0; c < columns; ++c)
        row.Columns << c;
    for (int f = 1; f <= r.GridFixedCols && f < columns; ++f)
        row.Repeated << f;
    for (const bool title : {true, false}) {
        const int y = title ? list->y() + r.OriginY : 0;
        int x = list->x() + r.OriginX;
        if (numbers) {
            auto* number = static_cast<TRMMemoView*>(Cell(r.Report()->Pages[0], x, y, numberWidth, title, true));
            number->Memo = {title ? r.GridNumOptions().Text : QStringLiteral("[Line#]")};
            number->SetHAlign(2);
            x += numberWidth;
        }
        row.Make = [&, title, y](int c, int cx, TRMPage* on, bool first) {
            auto* memo = static_cast<TRMMemoView*>(Cell(on, cx, y, row.Width(c), title, first));
            const Qt::Alignment a = Qt::Alignment(header->textAlignment(c));
            memo->SetHAlign(a & Qt::AlignRight ? 1 : (a & Qt::AlignHCenter ? 2 : 0));
            if (title) {
                memo->Memo = {header->text(c)};
            } else {
                m_entries.append({memo->Name, c});
                if (r.OnAfterCreateGridObjectEvent)
                    r.OnAfterCreateGridObjectEvent(m_list, QString::number(c), memo);
            }
            return memo;
        };
        RMLayGridRow(r, title ? r.Report()->Pages[0] : page, x, row);
    }
}

void TRMPrintListView::Fill()
{
    if (!m_list || !m_target || !m_data)
        return;
    const QTreeWidgetItem* item = m_list->topLevelItem(m_data->RecNo);
    for (const auto& [name, col] : m_entries)
        RMForViewsNamed(*m_target, name, [item, col = col](TRMView& v) { v.Memo = {item ? item->text(col) : QString()}; });
}

} // namespace pq
