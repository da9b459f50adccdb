// TRMFormPrintStringGrid: prints a string grid (TStringGrid). Its fixed rows become title
// cells; one data row of empty cells repeats per grid row, fed by a user data set this
// printer owns: each record fills the cells with the row's texts and gives the cells and
// the band the row's height. Wide grids continue on further design pages with the first
// GridFixedCols columns repeated. The printer lives until the grid report's next build (it
// is the report's data while it prepares).
#pragma once

#include "report/gridreport/rm_control_printers.h"

#include <QHash>
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

protected:
    // What a column grid does differently: which columns print titles and width, the class
    // of a title cell (empty: a memo view), and what a data cell shows for a grid cell.
    virtual bool Shown(int /*col*/) const { return true; }
    virtual QString TitleClass(int /*col*/, int /*row*/) const { return {}; }
    virtual void FillCell(TRMView& view, int col, int row);
    // A data band's or cell's height for the row being printed; the design's comes back
    // when the row has printed.
    void SetRowHeight(TRMView& view, int height);
    TStringGrid* Grid() const { return m_grid; }
    TRMFormReport* Report() const { return m_report; }

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
    QHash<QString, int> m_designHeights; // view name: its design height, while a row prints
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

// TRMFormPrintADVStringGridPro: a column grid (TAdvColumnGrid) printed as a string grid, with
// its hidden columns left out (their data cells kept at width 0), diagonal title cells, and
// the columns' alignment and colours.
class TRMFormPrintADVStringGridPro : public TRMFormPrintStringGrid {
protected:
    bool Shown(int col) const override;
    QString TitleClass(int col, int row) const override;
    void FillCell(TRMView& view, int col, int row) override;
};

} // namespace pq
