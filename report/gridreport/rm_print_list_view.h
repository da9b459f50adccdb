// TRMPrintListView: prints a list view (QTreeWidget shown as a flat list) as a grid: one
// title cell per column, and one data row per top-level item, fed by a user data set this
// printer owns (column 0 the item's caption, the others its sub-items). The printer lives
// until the grid report's next build (it is the report's data while it prepares).
#pragma once

#include "report/gridreport/rm_control_printers.h"

#include <QList>
#include <QPair>
#include <QPointer>
#include <QString>

#include <memory>

class QTreeWidget;

namespace pq {

class TRMReport;
class TRMUserDataset;

class TRMPrintListView : public TRMFormReportObject {
public:
    TRMPrintListView();
    ~TRMPrintListView() override;

    void GeneratePrintObject(TRMFormReport& report, TRMPage* page, QWidget* control, TRMView*& view) override;

private:
    TRMView* Cell(TRMPage* page, int x, int y, int width, bool title, bool first);
    void Fill();

    TRMFormReport* m_report = nullptr;
    QPointer<TRMReport> m_target;
    QPointer<QTreeWidget> m_list;
    std::unique_ptr<TRMUserDataset> m_data;
    QList<QPair<QString, int>> m_entries; // data view name, column
    int m_rowHeight = 0;
    bool m_frames = false;
    bool m_doubleFrame = false;
};

} // namespace pq
