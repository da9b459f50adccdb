#include "report/engine/rm_types.h"

#include <gtest/gtest.h>

using namespace pq;

TEST(BandTypes, DataBandOfEachType)
{
    struct Row { int type; int dataBand; };
    const Row rows[] = {
        {btReportTitle, btMasterData}, {btPageFooter, btMasterData},
        {btMasterFooter, btMasterData}, {btDetailHeader, -1}, {btDetailData, btDetailData},
        {btDetailFooter, btDetailData}, {btSubDetailHeader, -1},
        {btSubDetailFooter, btSubDetailData}, {btOverlay, -1}, {btColumnHeader, btMasterData},
        {btGroupFooter, btMasterData}, {btCrossHeader, -1}, {btCrossFooter, btCrossData},
        {btChild, -1}, {btNone, -1}, {23, -1}, {-1, -1},
    };
    for (const Row& r : rows)
        EXPECT_EQ(DataBandTypeFor(r.type), r.dataBand) << "band type " << r.type;
}

TEST(BandTypes, NamesCoverAllTypesOnly)
{
    EXPECT_EQ(BandTypeName(btMasterData), "btMasterData");
    EXPECT_EQ(BandTypeName(btNone), "btNone");
    EXPECT_TRUE(BandTypeName(kBandTypeCount).isEmpty());
    EXPECT_TRUE(BandTypeName(-1).isEmpty());
}
