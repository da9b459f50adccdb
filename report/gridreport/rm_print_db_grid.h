// TRMFormPrintDBGrid: prints a standard data grid (TDBGrid) as the multi-title grid's printer
// prints its grid: one title cell per visible column, one data cell per visible column in the
// repeated data row bound to the grid's data source, an optional row-number column, frames
// all or nothing with a heavier outer frame on request, and wide grids continued on further
// design pages with the first GridFixedCols columns repeated.
#pragma once

#include "report/gridreport/rm_control_printers.h"

#include <QPointer>

namespace pq {

class TDBGrid;

class TRMFormPrintDBGrid : public TRMFormReportObject {
public:
    void GeneratePrintObject(TRMFormReport& report, TRMPage* page, QWidget* control, TRMView*& view) override;

private:
    TRMView* TitleCell(int column, int x, int y, TRMPage* page, bool first);
    TRMView* DataCell(int column, int x, TRMPage* page, bool first);
    TRMView* NumberCell(bool title, int x, int y, TRMPage* page);

    TRMFormReport* m_report = nullptr;
    QPointer<TDBGrid> m_grid;
    bool m_frames = false;
    bool m_doubleFrame = false;
    int m_rowHeight = 0;
    int m_titleHeight = 0;
    int m_numberWidth = 0;
};

} // namespace pq
