// Enumerations and codes of the report object model shared by every engine module:
// object type codes written into streams, band types, band alignment and flag bits.
#pragma once

#include <QString>

#include <cstdint>

namespace pq::rm {

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

// Programmatic name of a band type ("btMasterData"); empty outside 0..22.
QString BandTypeName(int bandType);

// The data band a band of the given type takes its data set from: master data for 0-6 and
// 14-17, detail data for 8-9, sub-detail data for 11-12, cross data for 19-20; -1 means the
// report's own data set.
int DataBandTypeFor(int bandType);

} // namespace pq::rm
