// The Office Open XML workbook filter (.xlsx), written through libxlsxwriter: the views of
// the prepared pages as cells (rm_sheet_layout.h decides where), texts as strings and
// numbers as numbers, merged cells where a view spans several columns or rows, frames as
// borders, fonts and alignment; one worksheet per page, or one for all pages.
#pragma once

#include "report/preview/export/rm_export_filter.h"
#include "report/preview/export/rm_sheet_layout.h"

#include <QDialog>

#include <vector>

class QRadioButton;

namespace pq {

class TRMXLSXExportFilter : public TRMExportFilter {
public:
    // One worksheet per page (the default), or every page on one below the other.
    bool OneSheetPerPage = true;

    static QString Description();

    // The options dialog (TRMXLSXExportForm).
    bool ShowOptions(QWidget* owner) override;
    bool BeginDoc(QString* error) override;
    void BeginPage(int index, const TRMEMFPage& page) override;
    void Data(TRMView& view) override;
    void EndPage(int index) override;
    bool EndDoc(QString* error) override;

    // What a view gives the sheet (nothing for lines, pictures, shapes and bands): its text
    // and look, at its place on the page.
    static std::optional<TRMSheetItem> Item(TRMView& view);

private:
    struct Sheet {
        QString Name;
        std::vector<TRMSheetItem> Items;
    };
    std::vector<Sheet> m_sheets;
    int m_pageTop = 0; // where the current page starts on the sheet
    int m_pageHeight = 0;
};

// The filter's options: one worksheet per page, or one worksheet for all pages.
class TRMXLSXExportForm : public QDialog {
    Q_OBJECT
public:
    explicit TRMXLSXExportForm(QWidget* parent = nullptr);

    QRadioButton* SheetPerPage() const { return m_perPage; }
    QRadioButton* OneSheet() const { return m_oneSheet; }

private:
    QRadioButton* m_perPage;
    QRadioButton* m_oneSheet;
};

} // namespace pq
