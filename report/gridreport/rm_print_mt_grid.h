// The printer of the data-aware multi-title grid (TDBGridMT): its titles (one cell per column,
// or the title tree's spanning cells), one data cell per column in the repeated data row,
// its footer rows, frames all or nothing with a heavier outer frame on request, and the
// continuation of a grid wider than the page onto further design pages. It binds the grid
// report's data set to the grid's data source and writes the grid's data file for the
// preview's data export.
#pragma once

#include "report/gridreport/rm_control_printers.h"

#include <QPointer>
#include <QStack>

namespace pq {

class TDBGridMT;
struct THeadTreeNode;
struct TColumnMT;

class TRMPrintMTGrid : public TRMFormReportObject {
public:
    void GeneratePrintObject(TRMFormReport& report, TRMPage* page, QWidget* control, TRMView*& view) override;

private:
    // Whether a column (or title node) of that width starts the next design page at x.
    bool Breaks(int x, int width, int count) const;
    TRMPage* AddPage();

    void SimpleTitles();
    void TitleCell(const TColumnMT& c, int& x, int y0, int height, bool& first);
    void MultiTitles();
    void Walk(const THeadTreeNode* node, int limit);
    void PlaceNode(const THeadTreeNode* p);
    void NodeCell(const THeadTreeNode* p);
    void ReEmitParents();
    void DataCells(TRMPage* firstPage);
    void DataCell(int column, int& x, bool& first);
    void FooterRows(TRMPage* firstPage);
    void FooterCell(int row, int column, int& x, int y);
    void WriteExportFile();

    TRMFormReport* m_report = nullptr;
    QPointer<TDBGridMT> m_grid;
    TRMPage* m_page = nullptr; // the current design page
    bool m_doubleFrame = false;
    bool m_frames = false;
    int m_rowHeight = 0;
    int m_x0 = 0;
    TRMView* m_lastTitle = nullptr;
    TRMView* m_lastData = nullptr;

    // The title tree's walk.
    struct TreeWalk {
        const THeadTreeNode* Root = nullptr;
        int X = 0, Y = 0, Top = 0, Level = 0;
        QList<int> Starts; // x where each open level began
        int LeftClip = 0, RightClip = 9999999;
        int Count = 0;
        bool First = true;
        int PageLeft = 0;
        bool InFixedPart = false;
        const THeadTreeNode* LastNode = nullptr;
        int LastStart = 0;
    } m_walk;
};

} // namespace pq
