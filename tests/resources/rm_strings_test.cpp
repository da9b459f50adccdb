#include "resources/rm_locale.h"
#include "resources/rm_strings.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace pq;

namespace {

// Restores the process-wide locale's callback whatever a test does.
class LocaleTest : public ::testing::Test {
protected:
    void TearDown() override { RMLocale().SetOnLoadStr(nullptr); }
};

} // namespace

TEST(StringTable, CitedNumbersCarryTheirTexts)
{
    struct Row { int id; const char* text; };
    const Row rows[] = {
        {45011, "预览工具栏"}, {46870, "打印机分辨率"}, {47007, "默认打印机"},
        {47008, "Letter, 8 1/2 x 11\""}, {47016, "A4 210 x 297 mm"}, {47074, "自定义"},
        {47077, "标题"}, {47082, "主项数据"}, {47098, "子栏"}, {47099, "无"},
        {47170, "否;是"}, {47176, "yyyy'年'mm'月'dd'日'"}, {47184, "h:nn"},
        {47200, "计算时发生错误"}, {47201, "报表:"}, {47202, "对象:"}, {47206, "错误"},
        {47337, "134"}, {47444, "宋体"}, {47445, "9"}, {47482, "自定义大小"},
        {47494, "窄行连续纸"}, {47495, "虚拟打印机"}, {47499, "不是Pagequill报表文件！"},
        {47501, "不是Pagequill报表文件!"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(BuiltinString(r.id), QString::fromUtf8(r.text)) << r.id;
}

TEST(StringTable, RangesAreComplete)
{
    struct Range { int first; int last; };
    const Range ranges[] = {
        {res::kPaperNamesFirst, res::kPaperNamesLast}, {res::kBandNamesFirst, res::kBandNamesLast},
        {47169, 47172}, {47174, 47184}, {47199, 47211}, {47490, 47495},
    };
    for (const Range& r : ranges)
        for (int id = r.first; id <= r.last; ++id)
            EXPECT_FALSE(BuiltinString(id).isEmpty()) << id;
}

TEST(StringTable, HostOnlyTextsAreEmptyButPresent)
{
    for (int id : {47223, 47224, 47225, 47226, 47227, 47228, 47600}) {
        EXPECT_TRUE(HasBuiltinString(id)) << id;
        EXPECT_TRUE(BuiltinString(id).isEmpty()) << id;
    }
    EXPECT_FALSE(HasBuiltinString(12345));
    EXPECT_TRUE(BuiltinString(12345).isEmpty());
}

TEST_F(LocaleTest, HostCallbackComesFirstThenTheTable)
{
    RMLocale().SetOnLoadStr([](int id, QString& text) {
        if (id != 47223)
            return false;
        text = QStringLiteral("[Rich]");
        return true;
    });
    EXPECT_EQ(RMLoadStr(47223), "[Rich]");
    EXPECT_EQ(RMLoadStr(47206), QString::fromUtf8("错误"));
}

TEST_F(LocaleTest, ThrowingCallbackFallsBackToTheTable)
{
    RMLocale().SetOnLoadStr([](int, QString&) -> bool { throw std::runtime_error("host"); });
    EXPECT_EQ(RMLoadStr(47337), "134");
}

TEST_F(LocaleTest, IntegerStrings)
{
    EXPECT_EQ(RMLocale().LoadInt(res::kDefaultCharset, 1), 134);
    EXPECT_EQ(RMLocale().LoadInt(47206, 7), 7); // not a number
    RMLocale().SetOnLoadStr([](int id, QString& text) {
        text = QStringLiteral(" 10 ");
        return id == res::kDialogFontSize;
    });
    EXPECT_EQ(RMLocale().LoadInt(res::kDialogFontSize, 9), 10);
}
