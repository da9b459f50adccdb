#include "base/message_box.h"
#include "plugin/server_errors.h"

#include <QWidget>

#include <gtest/gtest.h>

using namespace pq;

TEST(ShowServerError, ComposesTheMessageFromTheErrorArray)
{
    struct Case {
        const char* name;
        Variant data;
        QString prefix;
        QString expect;
    };
    const Case cases[] = {
        {"two strings", Variant::FromStrings({"a", "b"}), "", "a\r\nb"},
        {"with prefix", Variant::FromStrings({"a"}), "头", "头\r\na"},
        {"bounds from 1", Variant::FromStrings({"x", "y", "z"}, 1), "", "x\r\ny\r\nz"},
        {"empty array", Variant::FromArray({}, 0), "", ""},
        {"no array", Variant("plain text"), "", "未知错误！"},
        {"no array, prefix", Variant::FromInt(5), "前", "前\r\n未知错误！"},
        {"element without text", Variant::FromArray({Variant("ok"), Variant::Null()}), "", "ok\r\n未知错误！"},
        {"numbers convert", Variant::FromArray({Variant::FromInt(42)}), "", "42"},
    };
    for (const Case& c : cases) {
        MessageBoxRecorder rec;
        QWidget owner;
        QString text = "stale";
        ShowServerError(&owner, c.data, c.prefix, text);
        EXPECT_EQ(text, c.expect) << c.name;
        ASSERT_EQ(rec.shown.size(), 1) << c.name; // an empty message is still shown
        EXPECT_EQ(rec.shown[0].text, c.expect) << c.name;
        EXPECT_EQ(rec.shown[0].caption, "错误");
        EXPECT_EQ(rec.shown[0].icon, MsgIcon::Error);
        EXPECT_EQ(rec.shown[0].buttons, MsgOk);
        EXPECT_EQ(rec.shown[0].owner, &owner);
    }
}

TEST(ShowServerError, WithoutAnOwnerOnlyComposes)
{
    MessageBoxRecorder rec;
    EXPECT_EQ(ShowServerError(nullptr, Variant::FromStrings({"a", "b"})), "a\r\nb");
    EXPECT_TRUE(rec.shown.isEmpty());
}

TEST(ZeroPadNumber, FillsToTheWidthButNeverBeyondTwenty)
{
    struct Case { int width; long long value; QString expect; };
    const Case cases[] = {
        {3, 10, "010"},
        {2, 123, "123"},
        {25, 7, QString(19, '0') + "7"},
        {0, 5, "5"},
        {3, 9, "009"},
        {20, 1, QString(19, '0') + "1"},
        {21, 123, QString(17, '0') + "123"},
        {-4, 8, "8"},
        {4, 0, "0000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ZeroPadNumber(c.width, c.value), c.expect) << c.width << "/" << c.value;
}
