// TRMView, the base of everything placed on a page: bounds, frame, fill, flags, texts and
// scripts, the band alignment rules and the scaled geometry of one drawing.
#pragma once

#include "report/engine/rm_object.h"
#include "report/engine/rm_types.h"

#include <QByteArray>
#include <QRect>
#include <QRegion>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class QPainter;

namespace pq {

class TRMCanvas;
class TRMBand;
class TRMDataset;
class TRMMemoView;
class TRMPage;

// One side of a view's frame; streamed as ten bytes: Visible, Style, Color, Width.
struct TRMFrameLine {
    bool Visible = false;
    std::uint8_t Style = psSolid; // pen style, + kFrameDoubleBit for a double line
    std::uint32_t Color = 0;
    float Width = 1.0f;           // pixels

    static constexpr int kStreamSize = 10;
    // Little-endian: byte Visible (0/1), byte Style, 32-bit Color, 32-bit float Width.
    QByteArray ToBytes() const;
    // Reads ten bytes; false (and the record unchanged) when fewer are given.
    bool FromBytes(const QByteArray& bytes);
    bool IsDouble() const;

    bool operator==(const TRMFrameLine&) const = default;
};

// The display format word a new view takes: number kind, two decimals, the locale's
// decimal separator.
int RMDefaultFormat();

// The design and state fields of every view, in declaration order; defaults are those of
// construction. A plain struct, so that a snapshot copies them by assignment: a field added
// here is copied without further code. Run-time links (the band and page a view belongs to,
// the canvas and the geometry saved by BeginDraw) are members of TRMView, outside.
struct TRMViewFields {
    std::uint8_t HasValue = 0;
    QString BaseName = QStringLiteral("View");
    QRect DrawRect;
    TRMDataset* DataSet = nullptr;
    QString DataFieldName;
    std::uint8_t PreparedMode = 0;
    QString Name;
    std::uint8_t Typ = gtMemo;
    std::uint8_t ObjectVersion = 10;
    std::uint8_t MemoVersion = 12;
    int ID = 0;
    bool Selected = true;
    double ScaleX = 1.0, ScaleY = 1.0;
    int OffsX = 0, OffsY = 0;
    bool IsPrinting = false;
    int Left = 0, Top = 0, Width = 0, Height = 0;
    std::uint16_t Flags = 0;
    int ExtFlags = 0;
    TRMFrameLine LeftFrame, TopFrame, RightFrame, BottomFrame;
    std::uint16_t LineKind = 0;
    int Gapx = 2, Gapy = 2;
    std::uint32_t FillColor = kNoColor;
    std::uint8_t BandAlign = baNone;
    int Format = RMDefaultFormat();
    QString FormatStr;
    bool Visible = true;  // streamed as a 16-bit boolean (-1 / 0)
    std::uint16_t Restrictions = 0;
    QString Tag;
    QStringList Memo;
    QStringList OnBeforePrint, OnAfterPrint;
    QStringList Memo1;
};

class TRMView : public TRMObject, public TRMViewFields {
public:
    TRMView();
    ~TRMView() override;

    // The geometry BeginDraw changes and EndDraw restores.
    struct TSavedState {
        int Left = 0, Top = 0, Width = 0, Height = 0;
        int Gapx = 0, Gapy = 0;
        std::array<float, 4> FrameWidths{}; // left, top, right, bottom
        int FontScaleWidth = 0;
        bool Saved = false;
    };

    // Run-time links; a snapshot leaves them alone.
    TRMBand* ParentBand = nullptr;
    TRMPage* ParentPage = nullptr;
    TSavedState SavedState;
    QPainter* Canvas = nullptr;

    // Flag helpers.
    bool HasFlag(int bit) const { return (Flags & bit) != 0; }
    void SetFlag(int bit, bool on);
    bool HasExtFlag(int bit) const { return (ExtFlags & bit) != 0; }
    void SetExtFlag(int bit, bool on);
    bool Stretched() const { return HasFlag(flStretched); }
    void SetStretched(bool on) { SetFlag(flStretched, on); }

    // The four sides in FrameTyp order of the loops below: left, top, right, bottom.
    std::array<TRMFrameLine*, 4> Frames() { return {&LeftFrame, &TopFrame, &RightFrame, &BottomFrame}; }
    // "FrameTyp": 1 right, 2 bottom, 4 left, 8 top.
    int FrameTyp() const;
    void SetFrameTyp(int typ);

    // Scriptable access: the properties are the rows of PropTable (rm_view.cpp); the
    // methods "HIDE" and "SHOW".
    Variant DoMethod(const QString& name, const QList<Variant>& args) override;
    const TRMPropTable* PropTable() const override;

    // Operations in the order of the engine's virtual table; designer-only ones are no-ops.
    virtual QString GetDescription() const { return {}; }
    virtual bool HasInPlaceEditor() const { return false; }
    // The fill of the view's rectangle in the geometry of the current BeginDraw (none in
    // the first pass of a double pass, nor on a printer unless the report prints
    // background colours), and its frame: sides, double lines and the diagonal lines of
    // LineKind (on pre-printed forms only with PrintFrame). Every view draws them here.
    virtual void ShowBackground(TRMCanvas& canvas);
    virtual void ShowFrame(TRMCanvas& canvas);
    // Gives the view the text or picture of a blob field.
    virtual void GetBlob(const QString& /*field*/) {}
    // False only for region views, which never join a band.
    virtual bool IsBandMember() const { return true; }
    // Virtual constructor: a fresh view of the same class.
    virtual std::unique_ptr<TRMView> Create() const = 0;
    virtual void BeginDraw();
    virtual void EndDraw();
    virtual void Draw(QPainter* canvas) = 0;
    // The view including half of each frame line; grown by 10 pixels on every side when
    // enlarged (the designer uses that for its hit area).
    virtual QRegion GetClipRgn(bool enlarged) const;
    virtual void SetBounds(int left, int top, int width, int height);
    virtual void ShowEditor() {}
    // A view with the hooked flag (0x8000) hears of every memo printed while a report is
    // prepared; the default does nothing.
    virtual void MemoPrinted(TRMMemoView& /*memo*/) {}

    // The class name streams carry for add-in views.
    virtual QString ClassName() const = 0;

    // Bounds as a rectangle.
    QRect Bounds() const { return QRect(Left, Top, Width, Height); }
    // Between BeginDraw and EndDraw: the right and bottom edge of the scaled view, from its
    // design geometry (so they do not drift by the rounding of Left and Width).
    int ScaledRight() const;
    int ScaledBottom() const;

protected:
    // Draws only the view's background and frame: what a view with no content of its own
    // shows (a region, a sub-report placeholder).
    void DrawBox(QPainter* painter);
    TRMFont* FontProp() override { return nullptr; }
    QStringList* StringListProp(const QString& upperName) override;
    // Scales extra per-class geometry inside BeginDraw and restores it in EndDraw.
    virtual void SaveExtraState(TSavedState&) {}
    virtual void ScaleExtraState() {}
    virtual void RestoreExtraState(const TSavedState&) {}
};

// A view whose height can follow its content.
class TRMStretcheable : public TRMView {
public:
    // Height the whole content needs.
    virtual int CalcHeight() = 0;
    // Height of one line.
    virtual int MinHeight() = 0;
    // Height left over by the current height after whole lines.
    virtual int RemainHeight() = 0;
    // Height of the content not yet printed.
    virtual int LostHeight() = 0;
};

// Rows of a view class's property table over one bit of Flags or of ExtFlags.
TRMPropRow RMFlagProp(const QString& name, int bit);
TRMPropRow RMExtFlagProp(const QString& name, int bit);

// Where the band alignment of views acts.
enum class TRMAlignPhase {
    Design,    // every alignment, against the band or the page
    StreamOut, // horizontal alignments, plus baBottom and the top alignment
    Draw,      // horizontal alignments only
};

// The area alignment works in: the printable limits of the page and, when a band is
// current, its vertical extent.
struct TRMAlignArea {
    int LeftLimit = 0;
    int RightLimit = 0;
    int TopLimit = 0;
    int BottomLimit = 0;
    bool HasBand = false;
    int BandLeft = 0, BandWidth = 0; // a cross band's horizontal extent
    bool CrossBand = false;
    int BandTop = 0, BandHeight = 0;
};

// Moves one view by its BandAlign relative to the views on its row (same Top); the row
// may include the view itself, which is skipped.
void RMAlignView(TRMView& view, const std::vector<TRMView*>& row, const TRMAlignArea& area,
    TRMAlignPhase phase);
// Aligns all views with BandAlign set: left-aligned ones from left to right, right-aligned
// ones from right to left, then the rest; each against the views of its own row.
void RMAlignViews(const std::vector<TRMView*>& views, const TRMAlignArea& area, TRMAlignPhase phase);
// Aligns one view against its band (while printing) or, outside bands, the current page
// that holds it; nothing for baNone.
void RMAlignForPrint(TRMView& view, TRMAlignPhase phase);

// What a visible frame side takes from a view's text area: half its width, and for a double
// line the second line with its gap.
int RMFrameAllowance(const TRMFrameLine& frame);

} // namespace pq
