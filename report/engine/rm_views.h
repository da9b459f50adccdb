// The view classes of a report page: memo and its descendants (calculated memo, money,
// diagonal), line, rich text, band view, sub-report, picture, shape, check box, region
// and the dialog-page controls.
#pragma once

#include "report/engine/rm_view.h"

#include <QImage>

namespace pq {

// ---- memo ----

struct TRMHighlight {
    std::uint16_t FontStyle = TRMFont::fsBold;
    std::uint32_t FontColor = 0;
    std::uint32_t FillColor = 0xFFFFFF;
};

class TRMMemoView : public TRMStretcheable {
public:
    TRMMemoView();

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

    // Horizontal alignment (0 left, 1 right, 2 centre, 3 distributed) and layout (0 top,
    // 1 centre, 2 bottom) packed in Alignment.
    int HAlign() const { return Alignment & 0x03; }
    void SetHAlign(int a) { Alignment = (Alignment & ~0x03) | (a & 0x03); }
    int Layout() const { return (Alignment >> 3) & 0x03; }
    void SetLayout(int l) { Alignment = (Alignment & ~0x18) | ((l & 0x03) << 3); }

    // Builds Memo1 from Memo. Bracket expansion belongs to the expression code, which
    // installs itself through SetExpander; without it the text is copied unchanged.
    virtual void ExpandVariables();
    using TExpander = std::function<QStringList(TRMMemoView&, const QStringList&)>;
    static void SetExpander(TExpander expander);

    // Layout, drawing and the height queries belong to the memo library, which installs
    // itself here; without it the simple versions of this class answer.
    class TDriver {
    public:
        virtual ~TDriver() = default;
        virtual void Draw(TRMMemoView& memo, QPainter* canvas) = 0;
        virtual int CalcHeight(TRMMemoView& memo) = 0;
        virtual int MinHeight(TRMMemoView& memo) = 0;
        virtual int RemainHeight(TRMMemoView& memo) = 0;
        virtual int LostHeight(TRMMemoView& memo) = 0;
    };
    // Not owned; nullptr removes it.
    static void SetDriver(TDriver* driver);
    static TDriver* Driver();

    void SetPropValue(const QString& name, const Variant& value) override;
    Variant GetPropValue(const QString& name) override;
    void RegisterProperties() override;

    bool HasInPlaceEditor() const override { return true; }
    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TRMMemoView>(); }
    QString ClassName() const override { return QStringLiteral("TRMMemoView"); }
    void Draw(QPainter* canvas) override;

    // Height queries over the printed lines: each line is the font's line height plus
    // LineSpacing, with the gaps and frame around them.
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
    int OneLineHeight() const;
};

class TRMCalcMemoView : public TRMMemoView {
public:
    TRMCalcMemoView();

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

    void Reset() { TotalValue = 0.0; RowCount = 0; }

    void SetPropValue(const QString& name, const Variant& value) override;
    Variant GetPropValue(const QString& name) override;
    Variant DoMethod(const QString& name, const QList<Variant>& args) override;
    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TRMCalcMemoView>(); }
    QString ClassName() const override { return QStringLiteral("TRMCalcMemoView"); }
};

class TRMMoneyView : public TRMMemoView {
public:
    TRMMoneyView();

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

    void SetPropValue(const QString& name, const Variant& value) override;
    Variant GetPropValue(const QString& name) override;
    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TRMMoneyView>(); }
    QString ClassName() const override { return QStringLiteral("TRMMoneyView"); }
};

class TRMDiagonalView : public TRMMemoView {
public:
    TRMDiagonalView();

    int DiagonalLineWidth = 1;
    std::uint32_t DiagonalLineColor = 0;

    void SetPropValue(const QString& name, const Variant& value) override;
    Variant GetPropValue(const QString& name) override;
    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TRMDiagonalView>(); }
    QString ClassName() const override { return QStringLiteral("TRMDiagonalView"); }
};

// ---- line and rich text ----

class TRMLineView : public TRMStretcheable {
public:
    TRMLineView();

    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TRMLineView>(); }
    QString ClassName() const override { return QStringLiteral("TRMLineView"); }
    void Draw(QPainter* canvas) override;
    // A line is as tall as it was designed: it has no content to follow.
    int CalcHeight() override { return Height; }
    int MinHeight() override { return 0; }
    int RemainHeight() override { return 0; }
    int LostHeight() override { return 0; }
};

// Rich text keeps its RTF in Memo; layout and drawing belong to the rich-text unit, which
// registers it as an add-in.
class TRMRichView : public TRMStretcheable {
public:
    TRMRichView();

    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TRMRichView>(); }
    QString ClassName() const override { return QStringLiteral("TRMRichView"); }
    QString GetDescription() const override { return QStringLiteral("[Rich]"); }
    void Draw(QPainter* canvas) override;
    int CalcHeight() override { return Height; }
    int MinHeight() override { return 0; }
    int RemainHeight() override { return 0; }
    int LostHeight() override { return 0; }
};

// ---- band view ----

class TRMBandView : public TRMView {
public:
    TRMBandView();

    int Columns = 1;
    QString ChildBand;
    QString Master;
    int ColumnWidth = 200;
    int ColumnGap = 20;
    int NewColumnAfter = 1;
    std::uint16_t LinesPerPage = 0; // also "GroupsPerPage"; 0 = unlimited
    std::uint8_t RangeBegin = rbDefault;
    std::uint8_t RangeEnd = reDefault;
    int RangeEndCount = 0;
    // The run-time record while its page is prepared; not owned.
    TRMBand* RunBand = nullptr;

    static constexpr int kMaxColumns = 99;

    int BandType() const { return LineKind; }
    void SetBandType(int type) { LineKind = static_cast<std::uint16_t>(type); }
    // Stored between 1 and 99.
    void SetColumns(int columns);
    // The data source (or a group header's condition) lives in FormatStr.
    QString DataSource() const { return FormatStr; }
    void SetDataSource(const QString& s) { FormatStr = s; }
    // The new-page condition lives in Tag.
    QString NewPageCondition() const { return Tag; }
    // Setting RepeatHeader1 on a page or column header also sets RepeatHeader.
    void SetBandFlag(int bit, bool on);

    void SetPropValue(const QString& name, const Variant& value) override;
    Variant GetPropValue(const QString& name) override;
    Variant DoMethod(const QString& name, const QList<Variant>& args) override;
    void RegisterProperties() override;

    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TRMBandView>(); }
    QString ClassName() const override { return QStringLiteral("TRMBandView"); }
    void Draw(QPainter* canvas) override;
};

// ---- other views ----

class TRMSubReportView : public TRMView {
public:
    TRMSubReportView();

    int SubPage = 0; // index of the page it prints

    void SetPropValue(const QString& name, const Variant& value) override;
    Variant GetPropValue(const QString& name) override;
    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TRMSubReportView>(); }
    QString ClassName() const override { return QStringLiteral("TRMSubReportView"); }
    void Draw(QPainter* canvas) override;
};

class TRMPictureView : public TRMView {
public:
    // Flags bits of a picture.
    static constexpr int flPictStretched = 0x0001;
    static constexpr int flPictCenter = 0x0002;
    static constexpr int flPictKeepAspect = 0x0004;
    static constexpr int flPictTransparent = 0x0008;

    TRMPictureView();

    QImage Picture;
    std::uint8_t BlobType = btBMP;
    QString DataField;

    void SetPropValue(const QString& name, const Variant& value) override;
    Variant GetPropValue(const QString& name) override;
    Variant DoMethod(const QString& name, const QList<Variant>& args) override;
    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TRMPictureView>(); }
    QString ClassName() const override { return QStringLiteral("TRMPictureView"); }
    void Draw(QPainter* canvas) override;
};

class TRMShapeView : public TRMView {
public:
    enum TRMShapeKind : int {
        skRectangle = 0, skRoundRectangle = 1, skEllipse = 2, skTriangle = 3,
        skDiagonal1 = 4, skDiagonal2 = 5, skSquare = 100, skRoundSquare = 101, skCircle = 102,
    };
    TRMShapeView();

    std::uint8_t Shape = skRectangle;
    std::uint8_t PenMode = 4; // pmCopy

    void SetPropValue(const QString& name, const Variant& value) override;
    Variant GetPropValue(const QString& name) override;
    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TRMShapeView>(); }
    QString ClassName() const override { return QStringLiteral("TRMShapeView"); }
    QString GetDescription() const override { return QStringLiteral("[Shape]"); }
    void Draw(QPainter* canvas) override;
};

class TRMCheckBoxView : public TRMView {
public:
    enum TRMCheckStyle : int { csCross = 0, csCheck = 1 };
    TRMCheckBoxView();

    std::uint8_t CheckStyle = csCross;
    std::uint32_t CheckColor = 0;

    void SetPropValue(const QString& name, const Variant& value) override;
    Variant GetPropValue(const QString& name) override;
    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TRMCheckBoxView>(); }
    QString ClassName() const override { return QStringLiteral("TRMCheckBoxView"); }
    QString GetDescription() const override { return QStringLiteral("[CheckBox]"); }
    void Draw(QPainter* canvas) override;
};

class TRMRegionView : public TRMView {
public:
    TRMRegionView();

    bool IsBandMember() const override { return false; }
    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TRMRegionView>(); }
    QString ClassName() const override { return QStringLiteral("TRMRegionView"); }
    void Draw(QPainter* canvas) override;
};

// Controls of a dialog page; outside the print path. A concrete control places itself on
// the dialog form it is given.
class TRMControl : public TRMView {
public:
    virtual void PlaceControl(QWidget* form) = 0;
    void Draw(QPainter*) override {}
};

class TRMNonVisualControl : public TRMControl {
public:
    void PlaceControl(QWidget*) override {}
};

} // namespace pq
