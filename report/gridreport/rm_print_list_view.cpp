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
    if (m_doubleFrame) {
        auto* line = static_cast<TRMMemoView*>(r.Report()->CreateObject(page, gtMemo));
        line->SetFrameTyp(frTop);
        line->TopFrame.Width = 2.0f;
        line->Gapx = 0;
        line->Gapy = 0;
        line->SetBounds(x, r.GridTop + r.GridHeight, width, 2);
        line->SetStretched(r.ReportOptions.Has(rmgoStretch));
        r.ColumnFooterObjects << line;
    }
    return memo;
}

void TRMPrintListView::GeneratePrintObject(TRMFormReport& r, TRMPage* page, QWidget* control, TRMView*& view)
{
    view = nullptr;
    auto* list = qobject_cast<QTreeWidget*>(control);
    if (!list || r.GridPrinted)
        return;
    m_report = &r;
    m_list = list;
    m_target = r.Report();
    r.GridPrinted = true;
    r.GridTop = r.OriginY + list->y();
    r.GridHeight = list->height();

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
    const int numberWidth = rh * r.GridNumOptions().Number();
    const int columns = list->columnCount();
    int sum = numbers ? numberWidth : 0;
    for (int c = 0; c < columns; ++c)
        sum += list->columnWidth(c) + 1;
    RMGridContentWidth(r, control, sum);
    const QTreeWidgetItem* header = list->headerItem();

    // Titles, then the data row, with the same breaks; continued pages repeat columns 1 to
    // GridFixedCols (column 0, the captions, is not among them).
    for (const bool title : {true, false}) {
        const int y = title ? list->y() + r.OriginY : 0;
        int x = list->x() + r.OriginX;
        TRMPage* on = title ? r.Report()->Pages[0] : page;
        int pageIndex = 0;
        bool first = true;
        TRMView* last = nullptr;
        if (numbers) {
            auto* number = static_cast<TRMMemoView*>(Cell(r.Report()->Pages[0], x, y, numberWidth, title, true));
            number->Memo = {title ? r.GridNumOptions().Text : QStringLiteral("[Line#]")};
            number->SetHAlign(2);
            first = false;
            x += numberWidth;
        }
        const int x1 = x;
        int count = 0;
        auto make = [&](int c) {
            TRMView* cell = Cell(on, x, y, list->columnWidth(c) + 1, title, first);
            auto* memo = static_cast<TRMMemoView*>(cell);
            const Qt::Alignment a = Qt::Alignment(header->textAlignment(c));
            memo->SetHAlign(a & Qt::AlignRight ? 1 : (a & Qt::AlignHCenter ? 2 : 0));
            if (title) {
                memo->Memo = {header->text(c)};
            } else {
                m_entries.append({memo->Name, c});
                if (r.OnAfterCreateGridObjectEvent)
                    r.OnAfterCreateGridObjectEvent(m_list, QString::number(c), memo);
            }
            first = false;
            last = cell;
            x += list->columnWidth(c) + 1;
            ++count;
        };
        for (int c = 0; c < columns; ++c) {
            if (RMGridBreaks(r, x, list->columnWidth(c), count)) {
                if (m_doubleFrame && last)
                    RMHeavySide(*last, TRMSide::Right);
                r.ContentWidths[pageIndex] = QString::number(x);
                ++pageIndex;
                if (r.Report()->Pages.Count() <= pageIndex)
                    RMAddGridPage(r);
                on = r.Report()->Pages[pageIndex];
                x = x1;
                count = 0;
                first = true;
                for (int f = 1; f <= r.GridFixedCols && f < columns; ++f)
                    make(f);
            }
            make(c);
        }
        if (m_doubleFrame && last)
            RMHeavySide(*last, TRMSide::Right);
        if (r.Report()->Pages.Count() > 1)
            r.ContentWidths.last() = QString::number(x);
    }
}

void TRMPrintListView::Fill()
{
    if (!m_list || !m_target || !m_data)
        return;
    const QTreeWidgetItem* item = m_list->topLevelItem(m_data->RecNo);
    for (const auto& [name, col] : m_entries)
        for (int p = 0; p < m_target->Pages.Count(); ++p)
            for (const auto& o : m_target->Pages[p]->Objects)
                if (o->Name.compare(name, Qt::CaseInsensitive) == 0)
                    o->Memo = {item ? item->text(col) : QString()};
}

} // namespace pq
