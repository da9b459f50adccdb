// Enumerations and codes of the report object model shared by every engine module:
// object type codes written into streams, band types, band alignment and flag bits.
#pragma once

#include "report/engine/canvas/rm_colors.h"

#include <QString>

#include <cstdint>

namespace pq {

// Object type code written before each view in a stream; selects the class when reading.
enum TRMObjectType : int {
    gtMemo = 0,
    gtPicture = 1,
    gtBand = 2,
    gtSubReport = 3,
    gtLine = 4,
    gtCalcMemo = 5,
    gtMoney = 7,
    gtRegion = 8,
    gtAddIn = 10,
};

// The 23 band types, kept in a band view's LineKind.
enum TRMBandType : int {
    btReportTitle = 0,
    btReportSummary,
    btPageHeader,
    btPageFooter,
    btMasterHeader,
    btMasterData,
    btMasterFooter,
    btDetailHeader,
    btDetailData,
    btDetailFooter,
    btSubDetailHeader,
    btSubDetailData,
    btSubDetailFooter,
    btOverlay,
    btColumnHeader,
    btColumnFooter,
    btGroupHeader,
    btGroupFooter,
    btCrossHeader,
    btCrossData,
    btCrossFooter,
    btChild,
    btNone,
};
inline constexpr int kBandTypeCount = 23;

// BandAlign of a view. Value 6 has no name: it keeps the view at the band's top.
enum TRMBandAlign : int {
    baNone = 0,
    baLeft = 1,
    baRight = 2,
    baCenter = 3,
    baWidth = 4,
    baBottom = 5,
    baTop = 6,
    baClient = 7,
    baHeight = 8,
    baRest = 9,
};

// Flags bits shared by every view.
inline constexpr int flStretched = 0x0001;
inline constexpr int flTextOnly = 0x0010;
inline constexpr int flPrintFrame = 0x0400;
inline constexpr int flPrintVisible = 0x0800;
// A view that wants to hear about every printed memo.
inline constexpr int flHooked = 0x8000;
// Memo bits.
inline constexpr int flMemoWordwrap = 0x0002;
inline constexpr int flMemoWordBreak = 0x0004;
inline constexpr int flMemoAutoWidth = 0x0008;
inline constexpr int flMemoSuppress = 0x0020;
inline constexpr int flMemoHideZeros = 0x0040;
inline constexpr int flMemoUnderlines = 0x0080;
inline constexpr int flMemoRTLReading = 0x0200;
inline constexpr int flMemoMergeRepeated = 0x1000;
// ExtFlags bits of a memo.
inline constexpr int flMemoMangeTag = 0x0001;
inline constexpr int flMemoScaleFontSize = 0x0004;
inline constexpr int flMemoPrintAtAppendBlank = 0x0010;
inline constexpr int flMemoDataFieldOnly = 0x0020;
// Band bits.
inline constexpr int flBandStretched = 0x0001;
inline constexpr int flBandFormNewPage = 0x0002;
inline constexpr int flBandPrintIfSubsetEmpty = 0x0004;
inline constexpr int flBandBreaked = 0x0008;
inline constexpr int flBandOnFirstPage = 0x0010;
inline constexpr int flBandOnLastPage = 0x0020;
inline constexpr int flBandRepeatHeader = 0x0040;
inline constexpr int flBandPrintChildIfInvisible = 0x0080;
inline constexpr int flBandAutoAppendBlank = 0x0100;
inline constexpr int flBandAdjustColumns = 0x0200;
inline constexpr int flBandPrintColFirst = 0x0400;
inline constexpr int flBandRepeatHeader1 = 0x0800;
inline constexpr int flBandPrintIfEmpty = 0x1000;
inline constexpr int flBandPrintAtDesignPos = 0x2000;

// Frame line pen styles; 0x10 added to any of them draws a double line.
enum TRMFrameStyle : int {
    psSolid = 0,
    psDash = 1,
    psDot = 2,
    psDashDot = 3,
    psDashDotDot = 4,
    psClear = 5,
    psInsideFrame = 6,
    psDouble = 7,
};
inline constexpr int kFrameDoubleBit = 0x10;

// "FrameTyp" bits.
inline constexpr int frRight = 1;
inline constexpr int frBottom = 2;
inline constexpr int frLeft = 4;
inline constexpr int frTop = 8;


// Band data ranges.
enum TRMRangeBegin : int { rbFirst = 0, rbCurrent = 1, rbDefault = 2 };
enum TRMRangeEnd : int { reLast = 0, reCurrent = 1, reCount = 2, reDefault = 3 };

// Calculated memo aggregate kinds.
enum TRMDBCalcType : int { rmdcSum = 0, rmdcCount, rmdcAvg, rmdcMax, rmdcMin, rmdcUser };

enum TRMPageType : int { ptReport = 0, ptDialog = 1 };
enum TRMOrientation : int { poPortrait = 0, poLandscape = 1 };
enum TRMBorderStyle : int { bsNone = 0, bsSingle = 1, bsSizeable = 2, bsDialog = 3 };
enum TRMFormPosition : int { poDesigned = 0, poDefault = 1, poDefaultPosOnly = 2,
    poDefaultSizeOnly = 3, poScreenCenter = 4 };

enum TRMPreviewZoom : int { pzDefault = 0, pzPageWidth, pzOnePage, pzTwoPages };
enum TRMPreviewButton : int {
    pbZoom = 0x001, pbLoad = 0x002, pbSave = 0x004, pbPrint = 0x008, pbFind = 0x010,
    pbPageSetup = 0x020, pbExit = 0x040, pbDesign = 0x080, pbSaveToXLS = 0x100,
    pbSuperExp = 0x200,
};
inline constexpr int kAllPreviewButtons = 0x3FF;
enum TRMReportType : int { rtSimple = 0, rtMultiple = 1 };
enum TRMCompositeMode : int { rmReportPerReport = 0, rmPagePerPage = 1 };
enum TRMBlobType : int { btBMP = 0, btJPG, btICO, btWMF, btGIF };
enum TRMRotationType : int { rtNone = 0, rt90, rt180, rt270, rt360 };
enum TRMScaleFontType : int { ByWidth = 0, ByHeight = 1 };

// Programmatic name of a band type ("btMasterData"); empty outside 0..22.
QString BandTypeName(int bandType);

// The data band a band of the given type takes its data set from: master data for 0-6 and
// 14-17, detail data for 8-9, sub-detail data for 11-12, cross data for 19-20; -1 means the
// report's own data set.
int DataBandTypeFor(int bandType);

// The designer's name of a band type from the string table ("主项数据"); empty outside 0..22.
QString BandTypeCaption(int bandType);

} // namespace pq
