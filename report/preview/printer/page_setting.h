// The page settings of one report, handed between the report, the page-setup dialog and the
// grid report's page-change handler.
#pragma once

#include <QString>

namespace pq {

class TRMPageSetting {
public:
    QString Title() const { return m_title; }
    void SetTitle(const QString& value) { m_title = value; }
    int PaperSize() const { return m_paperSize; }
    void SetPaperSize(int value) { m_paperSize = value; }
    // Sheet size in 0.1 mm, as oriented.
    int PaperWidth() const { return m_paperWidth; }
    void SetPaperWidth(int value) { m_paperWidth = value; }
    int PaperHeight() const { return m_paperHeight; }
    void SetPaperHeight(int value) { m_paperHeight = value; }
    // 0 portrait, 1 landscape; a change swaps width and height.
    int Orientation() const { return m_orientation; }
    void SetOrientation(int value);
    int Bin() const { return m_bin; }
    void SetBin(int value) { m_bin = value; }
    bool taoda() const { return m_taoda; }
    void Settaoda(bool value) { m_taoda = value; }
    // Margins and the column gap in millimetres; negative values are ignored.
    double MarginLeft() const { return m_marginLeft; }
    void SetMarginLeft(double value);
    double MarginTop() const { return m_marginTop; }
    void SetMarginTop(double value);
    double MarginRight() const { return m_marginRight; }
    void SetMarginRight(double value);
    double MarginBottom() const { return m_marginBottom; }
    void SetMarginBottom(double value);
    bool PrintToPrevPage() const { return m_printToPrevPage; }
    void SetPrintToPrevPage(bool value) { m_printToPrevPage = value; }
    bool UnlimitedHeight() const { return m_unlimitedHeight; }
    void SetUnlimitedHeight(bool value) { m_unlimitedHeight = value; }
    bool DoublePass() const { return m_doublePass; }
    void SetDoublePass(bool value) { m_doublePass = value; }
    // Only values > 0 are taken.
    int Columns() const { return m_columns; }
    void SetColumns(int value);
    double ColumnGap() const { return m_columnGap; }
    void SetColumnGap(double value);
    QString PrinterName() const { return m_printerName; }
    void SetPrinterName(const QString& value) { m_printerName = value; }
    bool PrintBackColor() const { return m_printBackColor; }
    void SetPrintBackColor(bool value) { m_printBackColor = value; }

private:
    QString m_title;
    int m_paperSize = 9;
    int m_paperWidth = 2100;
    int m_paperHeight = 2970;
    int m_orientation = 0;
    int m_bin = 65535;
    bool m_taoda = false;
    double m_marginLeft = 0;
    double m_marginTop = 0;
    double m_marginRight = 0;
    double m_marginBottom = 0;
    bool m_printToPrevPage = false;
    bool m_unlimitedHeight = false;
    bool m_doublePass = false;
    int m_columns = 1;
    double m_columnGap = 0;
    QString m_printerName;
    bool m_printBackColor = true;
};

} // namespace pq
