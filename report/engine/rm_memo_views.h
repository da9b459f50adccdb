// The memo view and its descendants: the calculated memo that totals a data band, the money
// view and the diagonal view. The memo layout and drawing (memo/) are part of the same
// library: a memo measures and draws itself through them.
#pragma once

#include "report/engine/rm_view.h"

namespace pq {

// ---- memo ----

struct TRMHighlight {
    std::uint16_t FontStyle = TRMFont::fsBold;
    std::uint32_t FontColor = 0;
    std::uint32_t FillColor = 0xFFFFFF;
};

class TRMMemoView;

// The memo's own fields, after those of every view.
struct TRMMemoFields {
    std::uint8_t DrawMode = 0; // 0 normal, 1 measuring, 2 printing only the lines that fit
    QString MasterMemoView;
    TRMMemoView* MasterMemo = nullptr;
    std::uint16_t FontScaleWidth = 0;
    qint64 MergePos = 0;
    int MergeTop = 0;
    TRMFont Font;
    QString LastValue;
    QString MergeText;
    bool Merged = false;
    bool PreWrapped = false;
    std::uint8_t ScaleFontType = ByWidth;
    bool WholeLines = false;
    int LineHeight = 0;
    bool Exporting = false;
    bool MergeEmpty = false;
    int Alignment = 0; // bits 0-1 horizontal, bits 3-4 layout
    TRMHighlight Highlight;
    QString HighlightCondition;
    int LineSpacing = 2;
    int CharSpacing = 0;
    std::uint8_t RotationType = rtNone;
};

class TRMMemoView : public TRMStretcheable, public TRMMemoFields {
public:
    TRMMemoView();

    // Horizontal alignment (0 left, 1 right, 2 centre, 3 distributed) and layout (0 top,
    // 1 centre, 2 bottom) packed in Alignment.
    int HAlign() const { return Alignment & 0x03; }
    void SetHAlign(int a) { Alignment = (Alignment & ~0x03) | (a & 0x03); }
    int Layout() const { return (Alignment >> 3) & 0x03; }
    void SetLayout(int l) { Alignment = (Alignment & ~0x18) | ((l & 0x03) << 3); }

    // Builds Memo1 from Memo: every bracket expanded (memo/rm_memo.h, RMExpandMemo).
    virtual void ExpandVariables();

    const TRMPropTable* PropTable() const override;

    bool HasInPlaceEditor() const override { return true; }
    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TRMMemoView>(); }
    QString ClassName() const override { return QStringLiteral("TRMMemoView"); }
    void Draw(QPainter* canvas) override;

    // Height queries over the wrapped, printed lines (memo/rm_memo.h).
    int CalcHeight() override;
    int MinHeight() override;
    int RemainHeight() override;
    int LostHeight() override;

protected:
    TRMFont* FontProp() override { return &Font; }
    void SaveExtraState(TSavedState& s) override { s.FontScaleWidth = FontScaleWidth; }
    void ScaleExtraState() override;
    void RestoreExtraState(const TSavedState& s) override
    {
        FontScaleWidth = static_cast<std::uint16_t>(s.FontScaleWidth);
    }
};

struct TRMCalcMemoFields {
    QString DataBand;
    std::uint8_t ResetAfterPrint = 1;
    std::uint8_t CalcType = rmdcSum;
    QString Filter;
    bool CalcNoVisible = false;
    bool TotalCalc = false;
    QString IntalizeValue;
    QString AggregateValue;
    bool OutBigNum = false;
    double TotalValue = 0.0;
    int RowCount = 0;
    QList<double> StoredTotals;
};

class TRMCalcMemoView : public TRMMemoView, public TRMCalcMemoFields {
public:
    TRMCalcMemoView();

    void Reset() { TotalValue = 0.0; RowCount = 0; }

    const TRMPropTable* PropTable() const override;
    Variant DoMethod(const QString& name, const QList<Variant>& args) override;
    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TRMCalcMemoView>(); }
    QString ClassName() const override { return QStringLiteral("TRMCalcMemoView"); }
};

struct TRMMoneyFields {
    bool TitleMode = false;
    QString CurrencySymbol = QStringLiteral("￥");
    int Digits = 12;
    int Decimals = 2;
    int LineWidth = 1;
    std::uint32_t LineColor = 0xC0C0C0;
    std::uint32_t ThousandsLineColor = 0;
    std::uint32_t DecimalLineColor = 255;
    QStringList IntegerPlaceNames;
    QStringList DecimalPlaceNames;
};

class TRMMoneyView : public TRMMemoView, public TRMMoneyFields {
public:
    TRMMoneyView();

    const TRMPropTable* PropTable() const override;
    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TRMMoneyView>(); }
    QString ClassName() const override { return QStringLiteral("TRMMoneyView"); }
    // Background and frame, the ruled cells and the amount (or the place names in title
    // mode), one character per cell.
    void Draw(QPainter* canvas) override;
};

struct TRMDiagonalFields {
    int DiagonalLineWidth = 1;
    std::uint32_t DiagonalLineColor = 0;
};

class TRMDiagonalView : public TRMMemoView, public TRMDiagonalFields {
public:
    TRMDiagonalView();

    const TRMPropTable* PropTable() const override;
    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TRMDiagonalView>(); }
    QString ClassName() const override { return QStringLiteral("TRMDiagonalView"); }
    // A header cell crossed by one or two lines, with up to four corner texts: the text
    // cut at ";" gives top left, top right, bottom right and bottom left.
    void Draw(QPainter* canvas) override;
};

} // namespace pq
