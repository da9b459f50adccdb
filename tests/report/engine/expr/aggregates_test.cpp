#include "report/engine/expr/aggregates.h"
#include "report/engine/expr/variant_ops.h"

#include <gtest/gtest.h>

namespace pq {
namespace {

TEST(AggregateSplitterTest, FindsCallsInBracketsArgumentsAndVariables)
{
    TAggregateFunctionsSplitter splitter([](const QString& name, QString& text) {
        if (name != QLatin1String("Net"))
            return false;
        text = QStringLiteral("SUM(Price - Discount, MasterData1)");
        return true;
    });
    const QStringList found = splitter.Split(QStringLiteral(
        "[Sum([Qty], MasterData1)] / IF(count(MasterData1) > 0, MAX(Qty), 0) + [Net] + 'SUM(not, a, call)' + Sum([Qty], MasterData1)"));
    EXPECT_EQ(found, (QStringList{"Sum([Qty], MasterData1)", "count(MasterData1)", "MAX(Qty)",
                         "SUM(Price - Discount, MasterData1)"}));
    EXPECT_TRUE(splitter.Split(QStringLiteral("Summary(1) + MAXNUM(1, 2)")).isEmpty());
}

TEST(AggregateKeyTest, KeyLayoutAndDefaultBands)
{
    AggregateCall sum = MakeAggregateCall(agSum, {QStringLiteral("Price"), QString(), QStringLiteral("1")});
    const QChar s(1);
    EXPECT_EQ(AggregateKey(QStringLiteral("MasterData1"), sum),
        QStringLiteral("MasterData1") + s + QChar(11) + s + QStringLiteral("Price") + s + QStringLiteral("1"));
    EXPECT_TRUE(AggregateKey(QStringLiteral("D"), sum, true).startsWith(QStringLiteral("0") + s));
    EXPECT_TRUE(AggregateKey(QStringLiteral("D"), sum, false, 3).endsWith(s + QStringLiteral("3")));
    const AggregateCall count = MakeAggregateCall(agCount, {QStringLiteral("MasterData1")});
    EXPECT_EQ(count.band, QStringLiteral("MasterData1"));
    EXPECT_TRUE(count.expression.isEmpty());

    const struct { int band, data; } rows[] = {{1, 5}, {3, 5}, {6, 5}, {17, 5}, {9, 8}, {12, 11}, {20, 19}, {5, -1}, {0, -1}};
    for (const auto& r : rows)
        EXPECT_EQ(DefaultAggregateDataBandType(r.band), r.data) << r.band;
}

class AggregateListTest : public ::testing::Test {
protected:
    QString Add(AggregateCode code, const QString& expression, const QString& flag = QString())
    {
        const AggregateCall call = MakeAggregateCall(code, code == agCount ? QStringList{QStringLiteral("D")}
                                                                           : QStringList{expression, QStringLiteral("D"), flag});
        const QString key = AggregateKey(QStringLiteral("D"), call);
        list.Collect(key, call);
        return key;
    }
    // Feeds the rows; each row's value is what "X" evaluates to.
    void Feed(const QList<Variant>& rows, const QList<bool>& printed = {})
    {
        for (int i = 0; i < rows.size(); ++i) {
            const Variant row = rows[i];
            list.Update([&](const QString&) {
                ++evaluations;
                return row;
            }, printed.isEmpty() || printed[i]);
        }
    }

    TRMAggregateList list;
    int evaluations = 0;
};

TEST_F(AggregateListTest, MaxAndMinStartFromTheFirstValue)
{
    const QString max = Add(agMax, QStringLiteral("X"));
    const QString min = Add(agMin, QStringLiteral("Y"));
    Feed({Variant::FromInt(-5), Variant::FromInt(-2), Variant::FromInt(-9)});
    EXPECT_EQ(list.Value(max), Variant::FromInt(-2));
    EXPECT_EQ(list.Value(min), Variant::FromInt(-9));
    list.Reset();
    Feed({Variant::FromInt(4), Variant::FromInt(7)});
    EXPECT_EQ(list.Value(max), Variant::FromInt(7));
    EXPECT_EQ(list.Value(min), Variant::FromInt(4));
}

TEST_F(AggregateListTest, SumAvgCountAndNulls)
{
    const QString sum = Add(agSum, QStringLiteral("X"));
    const QString avg = Add(agAvg, QStringLiteral("X"));
    const QString count = Add(agCount, QString());
    EXPECT_EQ(list.Value(avg), Variant::FromInt(0)); // no rows yet
    Feed({Variant::FromInt(2), Variant::Null(), Variant::FromCurrency(1.5)});
    EXPECT_EQ(VarToText(list.Value(sum)), QStringLiteral("3.5"));
    EXPECT_EQ(VarToText(list.Value(avg)), QStringLiteral("1.16666666666667"));
    EXPECT_EQ(list.Value(count), Variant::FromInt(3));
    // SUM and AVG share one evaluation per row; COUNT evaluates nothing.
    EXPECT_EQ(evaluations, 3);
    list.Reset();
    EXPECT_EQ(list.Value(sum), Variant::FromInt(0));
    EXPECT_EQ(list.Value(count), Variant::FromInt(0));
    EXPECT_TRUE(list.Value(QStringLiteral("no such key")).isEmpty());
}

TEST_F(AggregateListTest, RowsNotPrintedCountOnlyWithFlagOne)
{
    const QString printedOnly = Add(agSum, QStringLiteral("X"));
    const QString all = Add(agSum, QStringLiteral("X"), QStringLiteral("1"));
    Feed({Variant::FromInt(1), Variant::FromInt(10), Variant::FromInt(100)}, {true, false, true});
    EXPECT_EQ(list.Value(printedOnly), Variant::FromInt(101));
    EXPECT_EQ(list.Value(all), Variant::FromInt(111));
}

TEST_F(AggregateListTest, CollectingTheSameKeyTwiceKeepsOneEntry)
{
    Add(agSum, QStringLiteral("X"));
    Add(agSum, QStringLiteral("X"));
    EXPECT_EQ(list.Count(), 1);
}

} // namespace
} // namespace pq
