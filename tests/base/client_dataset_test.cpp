#include "base/client_dataset.h"

#include <gtest/gtest.h>

#include <memory>

using namespace pq;

namespace {
Variant Packet()
{
    auto p = std::make_shared<ResultPacket>();
    p->fields = {{"f_Zffsbm", Variant::Type::String, 4}, {"f_Zffsmc", Variant::Type::String, 150},
        {"F_HSDWMC", Variant::Type::String, 60}};
    p->rows = {{Variant("01  "), Variant("现金"), Variant::Null()},
        {Variant("02"), Variant("O'Neil 的卡"), Variant("总部")}};
    return Variant::FromPacket(p);
}
} // namespace

TEST(ClientDataSet, ReadsAPacketByNameAnyCaseAndByPosition)
{
    ClientDataSet ds;
    ds.LoadPacket(Packet());
    ASSERT_TRUE(ds.Active());
    EXPECT_FALSE(ds.IsEmpty());
    EXPECT_EQ(ds.RecordCount(), 2);

    ds.First();
    EXPECT_EQ(ds.Text("F_ZFFSBM"), "01  "); // trailing blanks kept
    EXPECT_EQ(ds.Text("f_hsdwmc"), "");     // NULL reads as empty text
    EXPECT_TRUE(ds.Value("f_hsdwmc").isNull());
    EXPECT_EQ(ds.Text(1), "现金");
    ds.Next();
    EXPECT_FALSE(ds.Eof());
    EXPECT_EQ(ds.Text("f_zffsmc"), "O'Neil 的卡");
    ds.Next();
    EXPECT_TRUE(ds.Eof());
    EXPECT_THROW(ds.Text(0), DataSetError);

    ds.First();
    EXPECT_THROW(ds.Text("nope"), DataSetError);
    EXPECT_THROW(ds.Text(7), DataSetError);
    ds.Close();
    EXPECT_FALSE(ds.Active());
    EXPECT_TRUE(ds.Eof());
}

TEST(ClientDataSet, RefusesDataThatIsNoPacket)
{
    ClientDataSet ds;
    EXPECT_THROW(ds.LoadPacket(Variant::FromStrings({"server down"})), DataSetError);
    EXPECT_FALSE(ds.Active());
}

TEST(ClientDataSet, AppendCutsTextToTheFieldsGbkSize)
{
    ClientDataSet ds;
    ds.CreateTextFields({{"code", 4}, {"name", 5}});
    EXPECT_TRUE(ds.IsEmpty());
    ds.AppendRecord({"123456", "中文字"});
    ds.AppendRecord({"9"});
    EXPECT_EQ(ds.RecordCount(), 2);
    ds.First();
    EXPECT_EQ(ds.Text("code"), "1234");
    EXPECT_EQ(ds.Text("name"), "中文"); // 5 bytes: the third character does not fit whole
    ds.Next();
    EXPECT_EQ(ds.Text("name"), "");
    EXPECT_THROW(ds.AppendRecord({"a", "b", "c"}), DataSetError);
    ds.EmptyDataSet();
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_EQ(ds.FieldCount(), 2);
}

TEST(ClientDataSet, FieldNamesAreLookedUpInTheFieldsOfTheCurrentPacket)
{
    auto first = std::make_shared<ResultPacket>();
    first->fields = {{"f_Zffsbm", Variant::Type::String, 4}, {"F_ZFFSMC", Variant::Type::String, 150},
        {"Äbc名", Variant::Type::String, 10}, {"f_zffsbm", Variant::Type::String, 4}};
    first->rows = {{Variant("01"), Variant("现金"), Variant("ä"), Variant("dup")}};
    auto second = std::make_shared<ResultPacket>();
    second->fields = {{"f_hsdwmc", Variant::Type::String, 60}, {"f_zffsbm", Variant::Type::String, 4}};
    second->rows = {{Variant("总部"), Variant("02")}};

    struct Lookup {
        const char* name;
        int first;  // index in the first packet
        int second; // in the second
    };
    const Lookup lookups[] = {
        {"f_zffsbm", 0, 1}, // the first of two equal names
        {"F_ZFFSBM", 0, 1},
        {"f_zffsmc", 1, -1},
        {"äBC名", 2, -1},
        {"f_hsdwmc", -1, 0},
        {"f_hsdwm", -1, -1},
        {"", -1, -1},
    };
    ClientDataSet ds;
    ds.LoadPacket(Variant::FromPacket(first));
    for (const Lookup& l : lookups)
        EXPECT_EQ(ds.FieldIndex(QString::fromUtf8(l.name)), l.first) << l.name;
    const ClientDataSet copy(ds);
    ClientDataSet assigned;
    assigned = ds;
    ds.LoadPacket(Variant::FromPacket(second));
    for (const Lookup& l : lookups) {
        EXPECT_EQ(ds.FieldIndex(QString::fromUtf8(l.name)), l.second) << l.name;
        EXPECT_EQ(copy.FieldIndex(QString::fromUtf8(l.name)), l.first) << "a copy keeps its own fields: " << l.name;
        EXPECT_EQ(assigned.FieldIndex(QString::fromUtf8(l.name)), l.first) << l.name;
    }
    EXPECT_EQ(ds.Text("F_ZFFSBM"), "02");
    EXPECT_EQ(copy.Text("F_ZFFSBM"), "01");

    ds.CreateTextFields({{"code", 4}, {"Name", 40}});
    EXPECT_EQ(ds.FieldIndex("NAME"), 1);
    EXPECT_EQ(ds.FieldIndex("f_zffsbm"), -1);
}
