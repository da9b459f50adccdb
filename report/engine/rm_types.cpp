#include "report/engine/rm_types.h"

#include "resources/rm_locale.h"
#include "resources/rm_strings.h"

namespace pq {

QString BandTypeName(int bandType)
{
    static const char* const kNames[kBandTypeCount] = {
        "btReportTitle", "btReportSummary", "btPageHeader", "btPageFooter",
        "btMasterHeader", "btMasterData", "btMasterFooter", "btDetailHeader",
        "btDetailData", "btDetailFooter", "btSubDetailHeader", "btSubDetailData",
        "btSubDetailFooter", "btOverlay", "btColumnHeader", "btColumnFooter",
        "btGroupHeader", "btGroupFooter", "btCrossHeader", "btCrossData", "btCrossFooter",
        "btChild", "btNone",
    };
    if (bandType < 0 || bandType >= kBandTypeCount)
        return {};
    return QString::fromLatin1(kNames[bandType]);
}

QString BandTypeCaption(int bandType)
{
    if (bandType < 0 || bandType >= kBandTypeCount)
        return {};
    return RMLoadStr(res::kBandNamesFirst + bandType);
}

int DataBandTypeFor(int bandType)
{
    if ((bandType >= 0 && bandType <= 6) || (bandType >= 14 && bandType <= 17))
        return btMasterData;
    if (bandType == 8 || bandType == 9)
        return btDetailData;
    if (bandType == 11 || bandType == 12)
        return btSubDetailData;
    if (bandType == 19 || bandType == 20)
        return btCrossData;
    return -1;
}

} // namespace pq
