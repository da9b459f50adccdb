#include "report/engine/files/rm_view_stream.h"

#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_other_views.h"
#include "report/engine/rm_view_factory.h"

#include "base/gbk_text.h"
#include "base/rounding.h"
#include "base/units.h"
#include "resources/rm_locale.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

#include <cmath>
#include <string>

namespace pq {

namespace {

// Picture kinds in streams.
// 5 is this system's own, for SVG; a reader that does not know it skips it by its end.
enum : std::uint8_t { pkNone = 0, pkBitmap = 1, pkMetafile = 2, pkIcon = 3, pkJpeg = 4, pkSvg = 5 };

// Alignment bit that meant "vertical text" before memo version 10.
constexpr int kOldVerticalBit = 0x04;
// Diagonal bits of the frame set before view object version 10.
constexpr int kOldDiagonal1 = 0x20;
constexpr int kOldDiagonal2 = 0x40;

// Ranges a stored value must lie in. The engine adds and scales coordinates in int and
// lays out cells and lines in loops, so a value far outside what any page holds is damage,
// not data: it would overflow sums or run loops for hours.
constexpr std::int32_t kMaxCoordinate = 1 << 24;   // pixels, about 4 km at 96 dpi
constexpr std::int32_t kMaxLineWidth = 1000 * 1000; // thousandths of a pixel
constexpr std::int32_t kMaxFontSize = 1000;         // points, either sign
constexpr std::int32_t kMaxMoneyCells = 64;

std::int32_t Checked(std::int32_t v, std::int32_t low, std::int32_t high, const char* what)
{
    if (v < low || v > high)
        throw TRMStreamError(std::string(what) + " out of range");
    return v;
}

std::int32_t Coordinate(TRMReader& r, const char* what)
{
    return Checked(r.ReadInt(), -kMaxCoordinate, kMaxCoordinate, what);
}

std::int32_t FrameWidthOut(float width)
{
    const double v = static_cast<double>(width) * 1000.0;
    if (!std::isfinite(v) || v > 2e9 || v < -2e9)
        return 0;
    return static_cast<std::int32_t>(Round(v));
}

void WriteFrame(TRMWriter& w, const TRMFrameLine& f)
{
    w.WriteByte(f.Visible ? 1 : 0);
    w.WriteByte(f.Style);
    w.WriteUInt(f.Color);
    w.WriteInt(FrameWidthOut(f.Width));
}

void ReadFrame(TRMReader& r, TRMFrameLine& f)
{
    f.Visible = r.ReadByte() != 0;
    f.Style = r.ReadByte();
    f.Color = r.ReadUInt();
    f.Width = static_cast<float>(Checked(r.ReadInt(), 0, kMaxLineWidth, "frame width") / 1000.0);
}

// Before object version 10 the four sides shared one width, colour and style and a bit
// set said which were drawn: FrameTyp (16-bit), width (32-bit, thousandths of a pixel),
// colour (32-bit), style (16-bit).
// Returns the diagonal kinds the set carried.
int ReadOldFrame(TRMReader& r, TRMView& v)
{
    const int typ = r.ReadWord();
    const float width = static_cast<float>(Checked(r.ReadInt(), 0, kMaxLineWidth, "frame width") / 1000.0);
    const std::uint32_t color = r.ReadUInt();
    const int style = r.ReadWord();
    v.SetFrameTyp(typ & 0x0F);
    for (TRMFrameLine* f : v.Frames()) {
        f->Width = width;
        f->Color = color;
        f->Style = static_cast<std::uint8_t>(style);
    }
    int diagonal = 0;
    if (typ & kOldDiagonal1)
        diagonal |= 1;
    if (typ & kOldDiagonal2)
        diagonal |= 2;
    return diagonal;
}

void SaveMemo(TRMWriter& w, TRMMemoView& m)
{
    w.WriteString(m.Font.Name);
    w.WriteInt(m.Font.Size);
    w.WriteWord(static_cast<std::uint16_t>(m.Font.Style));
    w.WriteUInt(m.Font.Color);
    w.WriteInt(m.Alignment);
    w.WriteWord(static_cast<std::uint16_t>(m.Font.Charset));
    if (!m.PreparedMode) {
        w.WriteWord(m.Highlight.FontStyle);
        w.WriteUInt(m.Highlight.FontColor);
        w.WriteUInt(m.Highlight.FillColor);
        w.WriteString(m.HighlightCondition);
    }
    w.WriteInt(m.CharSpacing);
    w.WriteInt(m.LineSpacing);
    w.WriteByte(m.RotationType);
    w.WriteByte(m.ScaleFontType);
    w.WriteWord(m.FontScaleWidth);
    w.WriteString(m.MasterMemoView);
}

void LoadMemo(TRMReader& r, TRMMemoView& m, const TRMStreamVersion& v, int memoVersion)
{
    m.Font.Name = r.ReadString(v);
    m.Font.Size = Checked(r.ReadInt(), -kMaxFontSize, kMaxFontSize, "font size");
    m.Font.Style = r.ReadWord();
    m.Font.Color = r.ReadUInt();
    m.Alignment = r.ReadInt();
    m.Font.Charset = r.ReadWord();
    if (!m.PreparedMode) {
        m.Highlight.FontStyle = r.ReadWord();
        m.Highlight.FontColor = r.ReadUInt();
        m.Highlight.FillColor = r.ReadUInt();
        m.HighlightCondition = r.ReadString(v);
    }
    m.CharSpacing = Coordinate(r, "character spacing");
    m.LineSpacing = Coordinate(r, "line spacing");
    m.RotationType = r.ReadByte();
    m.ScaleFontType = r.ReadByte();
    m.FontScaleWidth = r.ReadWord();
    m.MasterMemoView = r.ReadString(v);
    if (memoVersion < 10 && (m.Alignment & kOldVerticalBit)) {
        m.Alignment &= ~kOldVerticalBit;
        m.RotationType = rt90;
    }
    if (!m.PreparedMode) {
        // The stored word is any 32 bits; the shift wraps as the 32-bit word it is.
        const std::uint32_t shift = v.Version < 32 ? 3u : v.Version == 32 ? 2u : 0u;
        m.Format = static_cast<std::int32_t>(static_cast<std::uint32_t>(m.Format) + shift);
    }
}

void SaveCalcMemo(TRMWriter& w, TRMCalcMemoView& c)
{
    w.WriteByte(1);
    w.WriteByte(c.ResetAfterPrint);
    w.WriteByte(c.CalcType);
    w.WriteString(c.DataBand);
    w.WriteString(c.Filter.trimmed());
    w.WriteString(c.IntalizeValue);
    w.WriteString(c.AggregateValue);
}

void LoadCalcMemo(TRMReader& r, TRMCalcMemoView& c, const TRMStreamVersion& v)
{
    r.ReadByte();
    c.ResetAfterPrint = r.ReadByte();
    c.CalcType = r.ReadByte();
    c.DataBand = r.ReadString(v);
    c.Filter = r.ReadString(v).trimmed();
    c.IntalizeValue = r.ReadString(v);
    c.AggregateValue = r.ReadString(v);
}

void SaveMoney(TRMWriter& w, TRMMoneyView& m)
{
    w.WriteUInt(m.DecimalLineColor);
    w.WriteUInt(m.ThousandsLineColor);
    w.WriteUInt(m.LineColor);
    w.WriteByte(m.TitleMode ? 1 : 0);
    w.WriteInt(m.LineWidth);
    w.WriteInt(m.Digits);
    w.WriteInt(m.Decimals);
    w.WriteString(m.CurrencySymbol);
}

void LoadMoney(TRMReader& r, TRMMoneyView& m, const TRMStreamVersion& v)
{
    m.DecimalLineColor = r.ReadUInt();
    m.ThousandsLineColor = r.ReadUInt();
    m.LineColor = r.ReadUInt();
    m.TitleMode = r.ReadByte() != 0;
    m.LineWidth = Checked(r.ReadInt(), 0, kMaxCoordinate, "money line width");
    m.Digits = Checked(r.ReadInt(), 0, kMaxMoneyCells, "money cells");
    m.Decimals = Checked(r.ReadInt(), 0, kMaxMoneyCells, "money decimals");
    m.CurrencySymbol = r.ReadString(v);
}

void SaveBand(TRMWriter& w, TRMBandView& b)
{
    w.WriteString(b.ChildBand);
    w.WriteInt(b.ColumnGap);
    w.WriteInt(b.Columns);
    w.WriteInt(b.ColumnWidth);
    w.WriteString(b.Master);
    w.WriteWord(b.LinesPerPage);
    w.WriteByte(b.RangeBegin);
    w.WriteByte(b.RangeEnd);
    w.WriteInt(b.RangeEndCount);
}

void LoadBand(TRMReader& r, TRMBandView& b, const TRMStreamVersion& v)
{
    b.ChildBand = r.ReadString(v);
    b.ColumnGap = Coordinate(r, "column gap");
    // Stored between 1 and 99 whatever the file says.
    b.SetColumns(r.ReadInt());
    b.ColumnWidth = Coordinate(r, "column width");
    b.Master = r.ReadString(v);
    b.LinesPerPage = r.ReadWord();
    b.RangeBegin = r.ReadByte();
    b.RangeEnd = r.ReadByte();
    b.RangeEndCount = r.ReadInt();
    if (v.Combined < 3700)
        b.SetFlag(flBandPrintColFirst, true);
}

// Rich text: a byte 1 when there is text, a 32-bit end position, the RTF.
void SaveRich(TRMWriter& w, TRMRichView& rich)
{
    const QStringList& lines = rich.PreparedMode && !rich.Memo1.isEmpty() ? rich.Memo1 : rich.Memo;
    w.WriteByte(lines.isEmpty() ? 0 : 1);
    const qint64 at = w.Placeholder();
    if (!lines.isEmpty())
        w.WriteBytes(ToGbk(lines.join(QStringLiteral("\r\n"))));
    w.PatchInt(at, static_cast<std::int32_t>(w.Position()));
}

void LoadRich(TRMReader& r, TRMRichView& rich)
{
    const bool hasText = r.ReadByte() != 0;
    const qint64 end = r.ReadInt();
    if (end != r.Position())
        r.CheckEndPosition(end);
    const QByteArray bytes = r.ReadBytes(end - r.Position());
    QStringList lines;
    if (hasText)
        lines = FromGbk(bytes).split(QStringLiteral("\r\n"));
    rich.Memo = lines;
    if (rich.PreparedMode)
        rich.Memo1 = lines;
}

} // namespace

// ---- pictures ----

void RMWritePicture(TRMWriter& w, const TRMGraphic& picture, bool withBlobType, std::uint8_t blobType)
{
    using F = TRMGraphic::TFormat;
    std::uint8_t kind = pkNone;
    QByteArray bytes;
    switch (picture.Format()) {
    case F::None: break;
    case F::Metafile: kind = pkMetafile; bytes = picture.Bytes(); break;
    case F::Svg: kind = pkSvg; bytes = picture.Bytes(); break;
    case F::Jpeg:
    case F::Icon:
        if (!picture.Bytes().isEmpty()) {
            kind = picture.Format() == F::Jpeg ? pkJpeg : pkIcon;
            bytes = picture.Bytes();
            break;
        }
        [[fallthrough]];
    default:
        kind = pkBitmap;
        if (picture.Format() == F::Bitmap && picture.Bytes().startsWith("BM")) {
            bytes = picture.Bytes();
        } else {
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            QImageWriter writer(&buffer, "BMP");
            if (!writer.write(picture.Image()))
                bytes.clear();
        }
        break;
    }
    if (bytes.isEmpty())
        kind = pkNone;
    w.WriteByte(kind);
    if (withBlobType)
        w.WriteByte(blobType);
    const qint64 at = w.Placeholder();
    w.WriteBytes(bytes);
    w.PatchInt(at, static_cast<std::int32_t>(w.Position()));
}

void RMWritePicture(TRMWriter& w, const QImage& picture, bool withBlobType, std::uint8_t blobType)
{
    RMWritePicture(w, TRMGraphic::FromImage(picture), withBlobType, blobType);
}

void RMReadPicture(TRMReader& r, TRMGraphic& picture, bool withBlobType, std::uint8_t* blobType)
{
    const std::uint8_t kind = r.ReadByte();
    if (withBlobType) {
        const std::uint8_t b = r.ReadByte();
        if (blobType)
            *blobType = b;
    }
    const qint64 end = r.ReadInt();
    if (end != r.Position())
        r.CheckEndPosition(end);
    const QByteArray bytes = r.ReadBytes(end - r.Position());
    using F = TRMGraphic::TFormat;
    F hint = F::None;
    switch (kind) {
    case pkBitmap: hint = F::Bitmap; break;
    case pkMetafile: hint = F::Metafile; break;
    case pkIcon: hint = F::Icon; break;
    case pkJpeg: hint = F::Jpeg; break;
    case pkSvg: hint = F::Svg; break;
    default: break; // none, or a kind this system does not know: skipped by its end
    }
    picture = hint == F::None ? TRMGraphic() : TRMGraphic::FromBytes(bytes, hint);
}

void RMReadPicture(TRMReader& r, QImage& picture, bool withBlobType, std::uint8_t* blobType)
{
    TRMGraphic graphic;
    RMReadPicture(r, graphic, withBlobType, blobType);
    picture = graphic.Image();
}

// ---- views ----

void RMSaveView(TRMWriter& w, TRMView& view)
{
    const bool prepared = view.PreparedMode != 0;
    w.WriteString(view.Name);
    w.WriteByte(kRMObjectVersion);
    w.WriteByte(view.MemoVersion);
    w.WriteInt(view.Left);
    w.WriteInt(view.Top);
    w.WriteInt(view.Width);
    w.WriteInt(view.Height);
    w.WriteWord(view.Flags);
    w.WriteInt(view.ExtFlags);
    for (TRMFrameLine* f : view.Frames())
        WriteFrame(w, *f);
    w.WriteWord(view.LineKind);
    w.WriteInt(view.Gapx);
    w.WriteInt(view.Gapy);
    w.WriteUInt(view.FillColor);
    w.WriteByte(view.BandAlign);
    if (!prepared) {
        w.WriteInt(view.Format);
        w.WriteString(view.FormatStr);
    }
    w.WriteStringList(prepared ? view.Memo1 : view.Memo);
    if (!prepared) {
        w.WriteStringList(view.OnBeforePrint);
        w.WriteStringList(view.OnAfterPrint);
        w.WriteBool16(view.Visible);
    }
    w.WriteWord(view.Restrictions);
    w.WriteString(view.Tag);

    if (auto* memo = dynamic_cast<TRMMemoView*>(&view)) {
        SaveMemo(w, *memo);
        if (auto* calc = dynamic_cast<TRMCalcMemoView*>(&view))
            SaveCalcMemo(w, *calc);
        else if (auto* money = dynamic_cast<TRMMoneyView*>(&view))
            SaveMoney(w, *money);
        else if (auto* diag = dynamic_cast<TRMDiagonalView*>(&view)) {
            w.WriteUInt(diag->DiagonalLineColor);
            w.WriteInt(diag->DiagonalLineWidth);
        }
    } else if (auto* band = dynamic_cast<TRMBandView*>(&view)) {
        SaveBand(w, *band);
    } else if (auto* pict = dynamic_cast<TRMPictureView*>(&view)) {
        RMWritePicture(w, pict->Picture, true, pict->BlobType);
    } else if (auto* sub = dynamic_cast<TRMSubReportView*>(&view)) {
        w.WriteInt(sub->SubPage);
    } else if (auto* rich = dynamic_cast<TRMRichView*>(&view)) {
        SaveRich(w, *rich);
    } else if (auto* shape = dynamic_cast<TRMShapeView*>(&view)) {
        w.WriteByte(shape->Shape);
        w.WriteByte(shape->PenMode);
    } else if (auto* check = dynamic_cast<TRMCheckBoxView*>(&view)) {
        w.WriteByte(check->CheckStyle);
        w.WriteUInt(check->CheckColor);
    }
}

void RMLoadView(TRMReader& r, TRMView& view, const TRMStreamVersion& v)
{
    const bool prepared = view.PreparedMode != 0;
    view.Name = r.ReadString(v);
    const int objectVersion = r.ReadByte();
    const int memoVersion = r.ReadByte();
    view.Left = Coordinate(r, "left");
    view.Top = Coordinate(r, "top");
    view.Width = Coordinate(r, "width");
    view.Height = Coordinate(r, "height");
    view.Flags = r.ReadWord();
    view.ExtFlags = r.ReadInt();
    int oldDiagonal = 0;
    if (objectVersion < 10) {
        // LineKind follows in the record and takes these kinds when it is empty.
        oldDiagonal = ReadOldFrame(r, view);
    } else {
        for (TRMFrameLine* f : view.Frames())
            ReadFrame(r, *f);
    }
    view.LineKind = r.ReadWord();
    if (oldDiagonal && view.LineKind == 0 && !dynamic_cast<TRMBandView*>(&view))
        view.LineKind = static_cast<std::uint16_t>(oldDiagonal);
    view.Gapx = Coordinate(r, "gap");
    view.Gapy = Coordinate(r, "gap");
    view.FillColor = r.ReadUInt();
    view.BandAlign = r.ReadByte();
    if (!prepared) {
        view.Format = r.ReadInt();
        view.FormatStr = r.ReadString(v);
    }
    // A printed copy's text is both what it shows and what it was built from: drawing
    // lays the text out from Memo into Memo1, and nothing is expanded again.
    view.Memo = r.ReadStringList(v);
    if (prepared)
        view.Memo1 = view.Memo;
    if (!prepared) {
        view.OnBeforePrint = r.ReadStringList(v);
        view.OnAfterPrint = r.ReadStringList(v);
        view.Visible = r.ReadBool16();
    }
    view.Restrictions = r.ReadWord();
    view.Tag = r.ReadString(v);

    if (auto* memo = dynamic_cast<TRMMemoView*>(&view)) {
        LoadMemo(r, *memo, v, memoVersion);
        if (auto* calc = dynamic_cast<TRMCalcMemoView*>(&view))
            LoadCalcMemo(r, *calc, v);
        else if (auto* money = dynamic_cast<TRMMoneyView*>(&view))
            LoadMoney(r, *money, v);
        else if (auto* diag = dynamic_cast<TRMDiagonalView*>(&view)) {
            diag->DiagonalLineColor = r.ReadUInt();
            diag->DiagonalLineWidth = Checked(r.ReadInt(), 0, kMaxCoordinate, "diagonal line width");
        }
    } else if (auto* band = dynamic_cast<TRMBandView*>(&view)) {
        LoadBand(r, *band, v);
    } else if (auto* pict = dynamic_cast<TRMPictureView*>(&view)) {
        RMReadPicture(r, pict->Picture, v.Version >= 29, &pict->BlobType);
    } else if (auto* sub = dynamic_cast<TRMSubReportView*>(&view)) {
        sub->SubPage = r.ReadInt();
    } else if (auto* rich = dynamic_cast<TRMRichView*>(&view)) {
        LoadRich(r, *rich);
    } else if (auto* shape = dynamic_cast<TRMShapeView*>(&view)) {
        shape->Shape = r.ReadByte();
        shape->PenMode = r.ReadByte();
    } else if (auto* check = dynamic_cast<TRMCheckBoxView*>(&view)) {
        if (v.Version > 23) {
            check->CheckStyle = r.ReadByte();
            check->CheckColor = r.ReadUInt();
            if (v.Version == 27 || v.Version == 28)
                r.Skip(1);
        }
    }
}

void RMWritePreparedView(TRMWriter& w, TRMView& view)
{
    w.WriteByte(view.Typ);
    if (view.Typ == gtAddIn)
        w.WriteString(view.ClassName());
    const std::uint8_t saved = view.PreparedMode;
    view.PreparedMode = 1;
    try {
        RMSaveView(w, view);
    } catch (...) {
        view.PreparedMode = saved;
        throw;
    }
    view.PreparedMode = saved;
}

std::unique_ptr<TRMView> RMReadPreparedView(TRMReader& r, const TRMStreamVersion& v)
{
    const int typ = r.ReadByte();
    QString className;
    if (typ == gtAddIn)
        className = r.ReadString(v);
    std::unique_ptr<TRMView> view = typ <= gtAddIn ? RMCreateObject(typ, className) : nullptr;
    if (!view)
        throw TRMStreamError("unknown object type code in a page stream");
    view->PreparedMode = 1;
    RMLoadView(r, *view, v);
    view->PreparedMode = 0;
    return view;
}

void RMConvertOldBounds(TRMView& view)
{
    auto px = [](std::int64_t tenths) {
        return static_cast<int>(Round(units::TenthsMmToPixels(static_cast<double>(tenths))));
    };
    const std::int64_t right = static_cast<std::int64_t>(view.Left) + view.Width;
    const std::int64_t bottom = static_cast<std::int64_t>(view.Top) + view.Height;
    const int l = px(view.Left), t = px(view.Top), r = px(right), b = px(bottom);
    view.Left = l;
    view.Top = t;
    view.Width = r - l;
    view.Height = b - t;
}

void RMRegisterStandardAddIns()
{
    // A second registration of a class is ignored, so this is cheap to repeat.
    {
        const TRMLocale& loc = RMLocale();
        RMRegisterObject({QStringLiteral("TRMShapeView"), [] { return std::make_unique<TRMShapeView>(); },
            {}, QStringLiteral("RM_ShapeObject"), loc.LoadStr(47226), 0});
        RMRegisterObject({QStringLiteral("TRMCheckBoxView"),
            [] { return std::make_unique<TRMCheckBoxView>(); }, {}, QStringLiteral("RM_CHBOXOBJECT"),
            loc.LoadStr(47224), 0});
        RMRegisterObject({QStringLiteral("TRMDiagonalView"),
            [] { return std::make_unique<TRMDiagonalView>(); }, {}, QStringLiteral("RM_DiagonalObject"),
            loc.LoadStr(47600), 0});
        RMRegisterObject({QStringLiteral("TRMRichView"), [] { return std::make_unique<TRMRichView>(); },
            {}, QStringLiteral("RM_RichObject"), loc.LoadStr(47223), 0});
    }
}

} // namespace pq
