#include "report/engine/prepare/rm_snapshot.h"

#include "report/engine/files/rm_stream.h"
#include "report/engine/files/rm_view_stream.h"
#include "report/engine/rm_page.h"
#include "report/engine/rm_report.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/expr/variables.h"
#include "report/engine/rm_band_views.h"
#include "report/engine/rm_other_views.h"

#include <typeinfo>
#include <unordered_map>

namespace pq {

namespace {

void CopyBase(const TRMView& f, TRMView& t)
{
    t.HasValue = f.HasValue;
    t.BaseName = f.BaseName;
    t.DrawRect = f.DrawRect;
    t.DataSet = f.DataSet;
    t.DataFieldName = f.DataFieldName;
    t.PreparedMode = f.PreparedMode;
    t.Name = f.Name;
    t.Typ = f.Typ;
    t.ObjectVersion = f.ObjectVersion;
    t.MemoVersion = f.MemoVersion;
    t.ID = f.ID;
    t.Selected = f.Selected;
    t.ScaleX = f.ScaleX;
    t.ScaleY = f.ScaleY;
    t.OffsX = f.OffsX;
    t.OffsY = f.OffsY;
    t.IsPrinting = f.IsPrinting;
    t.Left = f.Left;
    t.Top = f.Top;
    t.Width = f.Width;
    t.Height = f.Height;
    t.Flags = f.Flags;
    t.ExtFlags = f.ExtFlags;
    t.LeftFrame = f.LeftFrame;
    t.TopFrame = f.TopFrame;
    t.RightFrame = f.RightFrame;
    t.BottomFrame = f.BottomFrame;
    t.LineKind = f.LineKind;
    t.Gapx = f.Gapx;
    t.Gapy = f.Gapy;
    t.FillColor = f.FillColor;
    t.BandAlign = f.BandAlign;
    t.Format = f.Format;
    t.FormatStr = f.FormatStr;
    t.Visible = f.Visible;
    t.Restrictions = f.Restrictions;
    t.Tag = f.Tag;
    t.Memo = f.Memo;
    t.OnBeforePrint = f.OnBeforePrint;
    t.OnAfterPrint = f.OnAfterPrint;
    t.Memo1 = f.Memo1;
}

void CopyMemo(const TRMMemoView& f, TRMMemoView& t)
{
    t.DrawMode = f.DrawMode;
    t.MasterMemoView = f.MasterMemoView;
    t.MasterMemo = f.MasterMemo;
    t.FontScaleWidth = f.FontScaleWidth;
    t.MergePos = f.MergePos;
    t.MergeTop = f.MergeTop;
    t.Font = f.Font;
    t.LastValue = f.LastValue;
    t.MergeText = f.MergeText;
    t.Merged = f.Merged;
    t.PreWrapped = f.PreWrapped;
    t.ScaleFontType = f.ScaleFontType;
    t.WholeLines = f.WholeLines;
    t.LineHeight = f.LineHeight;
    t.Exporting = f.Exporting;
    t.MergeEmpty = f.MergeEmpty;
    t.Alignment = f.Alignment;
    t.Highlight = f.Highlight;
    t.HighlightCondition = f.HighlightCondition;
    t.LineSpacing = f.LineSpacing;
    t.CharSpacing = f.CharSpacing;
    t.RotationType = f.RotationType;
}

// The file record carries what a view class this code does not know keeps.
void CopyThroughRecord(const TRMView& from, TRMView& to)
{
    TRMWriter w;
    RMSaveView(w, const_cast<TRMView&>(from));
    TRMReader r(w.Data);
    RMLoadView(r, to, TRMStreamVersion{});
}

} // namespace

void RMCopyView(const TRMView& from, TRMView& to)
{
    if (&from == &to)
        return;
    const std::type_info& type = typeid(from);
    if (type != typeid(to))
        return;
    CopyBase(from, to);
    if (type == typeid(TRMMemoView)) {
        CopyMemo(static_cast<const TRMMemoView&>(from), static_cast<TRMMemoView&>(to));
    } else if (type == typeid(TRMCalcMemoView)) {
        const auto& f = static_cast<const TRMCalcMemoView&>(from);
        auto& t = static_cast<TRMCalcMemoView&>(to);
        CopyMemo(f, t);
        t.DataBand = f.DataBand;
        t.ResetAfterPrint = f.ResetAfterPrint;
        t.CalcType = f.CalcType;
        t.Filter = f.Filter;
        t.CalcNoVisible = f.CalcNoVisible;
        t.TotalCalc = f.TotalCalc;
        t.IntalizeValue = f.IntalizeValue;
        t.AggregateValue = f.AggregateValue;
        t.OutBigNum = f.OutBigNum;
        t.TotalValue = f.TotalValue;
        t.RowCount = f.RowCount;
        t.StoredTotals = f.StoredTotals;
    } else if (type == typeid(TRMMoneyView)) {
        const auto& f = static_cast<const TRMMoneyView&>(from);
        auto& t = static_cast<TRMMoneyView&>(to);
        CopyMemo(f, t);
        t.TitleMode = f.TitleMode;
        t.CurrencySymbol = f.CurrencySymbol;
        t.Digits = f.Digits;
        t.Decimals = f.Decimals;
        t.LineWidth = f.LineWidth;
        t.LineColor = f.LineColor;
        t.ThousandsLineColor = f.ThousandsLineColor;
        t.DecimalLineColor = f.DecimalLineColor;
        t.IntegerPlaceNames = f.IntegerPlaceNames;
        t.DecimalPlaceNames = f.DecimalPlaceNames;
    } else if (type == typeid(TRMDiagonalView)) {
        const auto& f = static_cast<const TRMDiagonalView&>(from);
        auto& t = static_cast<TRMDiagonalView&>(to);
        CopyMemo(f, t);
        t.DiagonalLineWidth = f.DiagonalLineWidth;
        t.DiagonalLineColor = f.DiagonalLineColor;
    } else if (type == typeid(TRMBandView)) {
        const auto& f = static_cast<const TRMBandView&>(from);
        auto& t = static_cast<TRMBandView&>(to);
        t.Columns = f.Columns;
        t.ChildBand = f.ChildBand;
        t.Master = f.Master;
        t.ColumnWidth = f.ColumnWidth;
        t.ColumnGap = f.ColumnGap;
        t.NewColumnAfter = f.NewColumnAfter;
        t.LinesPerPage = f.LinesPerPage;
        t.RangeBegin = f.RangeBegin;
        t.RangeEnd = f.RangeEnd;
        t.RangeEndCount = f.RangeEndCount;
    } else if (type == typeid(TRMSubReportView)) {
        static_cast<TRMSubReportView&>(to).SubPage = static_cast<const TRMSubReportView&>(from).SubPage;
    } else if (type == typeid(TRMPictureView)) {
        const auto& f = static_cast<const TRMPictureView&>(from);
        auto& t = static_cast<TRMPictureView&>(to);
        t.Picture = f.Picture;
        t.BlobType = f.BlobType;
        t.DataField = f.DataField;
    } else if (type == typeid(TRMShapeView)) {
        const auto& f = static_cast<const TRMShapeView&>(from);
        auto& t = static_cast<TRMShapeView&>(to);
        t.Shape = f.Shape;
        t.PenMode = f.PenMode;
    } else if (type == typeid(TRMCheckBoxView)) {
        const auto& f = static_cast<const TRMCheckBoxView&>(from);
        auto& t = static_cast<TRMCheckBoxView&>(to);
        t.CheckStyle = f.CheckStyle;
        t.CheckColor = f.CheckColor;
    } else if (type == typeid(TRMLineView) || type == typeid(TRMRichView) || type == typeid(TRMRegionView)) {
        // Nothing beyond the common fields.
    } else {
        CopyThroughRecord(from, to);
        CopyBase(from, to);
    }
}

void RMCopyPageFields(const TRMPage& f, TRMPage& t)
{
    t.Type = f.Type;
    t.PageSize = f.PageSize;
    t.PrnWidth = f.PrnWidth;
    t.PrnHeight = f.PrnHeight;
    t.Orientation = f.Orientation;
    t.PageBin = f.PageBin;
    t.LeftMargin = f.LeftMargin;
    t.TopMargin = f.TopMargin;
    t.RightMargin = f.RightMargin;
    t.BottomMargin = f.BottomMargin;
    t.PrintToPrevPage = f.PrintToPrevPage;
    t.Columns = f.Columns;
    t.ColumnGap = f.ColumnGap;
    t.ColumnWidth = f.ColumnWidth;
    t.AutoHCenter = f.AutoHCenter;
    t.Visible = f.Visible;
    t.ShowBackPicture = f.ShowBackPicture;
    t.BackPicture = f.BackPicture;
    t.BackGroundLeft = f.BackGroundLeft;
    t.BackGroundTop = f.BackGroundTop;
    t.BackGroundWidth = f.BackGroundWidth;
    t.BackGroundHeight = f.BackGroundHeight;
    t.Script = f.Script;
    t.Caption = f.Caption;
    t.Color = f.Color;
    t.Left = f.Left;
    t.Top = f.Top;
    t.Width = f.Width;
    t.Height = f.Height;
    t.BorderStyle = f.BorderStyle;
    t.Position = f.Position;
    t.OnActivate = f.OnActivate;
    t.PrinterInfo = f.PrinterInfo;
}

struct TRMReportSnapshot::PageCopy {
    TRMPage* page = nullptr;
    std::unique_ptr<TRMPage> fields;
    std::vector<std::pair<TRMView*, std::unique_ptr<TRMView>>> views;
};

TRMReportSnapshot::TRMReportSnapshot(TRMReport& report)
    : m_report(report)
{
    for (int i = 0; i < report.Pages.Count(); ++i) {
        TRMPage* page = report.Pages[i];
        auto copy = std::make_unique<PageCopy>();
        copy->page = page;
        copy->fields = std::make_unique<TRMPage>(9, 2100, 2970, poPortrait, -1);
        RMCopyPageFields(*page, *copy->fields);
        for (auto& v : page->Objects) {
            std::unique_ptr<TRMView> clone = v->Create();
            RMCopyView(*v, *clone);
            copy->views.emplace_back(v.get(), std::move(clone));
        }
        m_pages.push_back(std::move(copy));
    }
}

TRMReportSnapshot::~TRMReportSnapshot() = default;

void TRMReportSnapshot::Restore()
{
    for (auto& copy : m_pages) {
        TRMPage* page = copy->page;
        if (m_report.Pages.IndexOf(page) < 0)
            continue;
        RMCopyPageFields(*copy->fields, *page);
        for (auto& [view, clone] : copy->views)
            if (page->IndexOf(view) >= 0)
                RMCopyView(*clone, *view);
        // The design order comes back; views created while preparing do not belong to it.
        std::unordered_map<TRMView*, std::unique_ptr<TRMView>> owned;
        for (auto& v : page->Objects)
            owned.emplace(v.get(), std::move(v));
        page->Objects.clear();
        for (auto& entry : copy->views) {
            auto it = owned.find(entry.first);
            if (it != owned.end())
                page->Objects.push_back(std::move(it->second));
        }
    }
}

} // namespace pq
