// TRMFormPrintStringGrid: prints a string grid (TStringGrid). Its fixed rows become title
// cells; one data row of empty cells repeats per grid row, fed by a user data set this
// printer owns: each record fills the cells with the row's texts and gives the cells and
// the band the row's height. Wide grids continue on further design pages with the first
// GridFixedCols columns repeated. The printer lives until the grid report's next build (it
// is the report's data while it prepares).
#pragma once

#include "report/gridreport/rm_control_printers.h"

#include <QList>
#include <QPair>
#include <QPointer>
#include <QString>

#include <memory>

namespace pq {

class TRMReport;
class TRMUserDataset;
class TStringGrid;

class TRMFormPrintStringGrid : public TRMFormReportObject {
public:
    TRMFormPrintStringGrid();
    ~TRMFormPrintStringGrid() override;

    void GeneratePrintObject(TRMFormReport& report, TRMPage* page, QWidget* control, TRMView*& view) override;

private:
    TRMView* TitleCell(int row, int col, int x, int y, TRMPage* page, bool first);
    TRMView* DataCell(int col, int x, TRMPage* page, bool first);
    void Fill();

    TRMFormReport* m_report = nullptr;
    QPointer<TRMReport> m_target;
    QPointer<TStringGrid> m_grid;
    int m_row = 0;
    std::unique_ptr<TRMUserDataset> m_data;
    QList<QPair<QString, int>> m_entries; // data view name, grid column
    bool m_frames = false;
    bool m_doubleFrame = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace pq
