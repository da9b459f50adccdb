#include "base/client_dataset.h"
#include "plugin/app_server.h"
#include "tests/support/recording_app_server.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <array>

using namespace pq;

namespace {
// Counts its own destruction so reference counting can be checked.
class CountedServer : public AppServerBase {
public:
    explicit CountedServer(bool* destroyed) : m_destroyed(destroyed) {}
    ~CountedServer() override { *m_destroyed = true; }

protected:
    bool DoQueryData(const QString&, Variant& data) override { data = Variant::FromStrings({"q"}); return false; }
    bool DoExecuteSql(Variant& s) override { return s.toText() == "ok"; }
    bool DoGetServerDateTime(Variant& v) override { v = Variant("20261209223344"); return true; }

private:
    bool* m_destroyed;
};
} // namespace

TEST(AppServer, DispatchesByIdAndWritesBackByReferenceArguments)
{
    bool destroyed = false;
    AppServerRef server(new CountedServer(&destroyed));

    std::array<Variant, 2> q{Variant("select 1"), Variant()};
    EXPECT_FALSE(server->Invoke(kDispQueryData, q));
    EXPECT_EQ(q[1].at(0).toText(), "q");

    std::array<Variant, 1> e{Variant("ok")};
    EXPECT_TRUE(server->Invoke(kDispExecuteSql, e));

    Variant date, time;
    EXPECT_TRUE(GetServerDate(server.get(), date));
    EXPECT_TRUE(GetServerTime(server.get(), time));
    EXPECT_EQ(date.toText().left(8), "20261209");
    EXPECT_EQ(time.toText().mid(8, 6), "223344");

    std::array<Variant, 1> one{Variant("x")};
    EXPECT_THROW(server->Invoke(12345, one), DispatchError);
    EXPECT_THROW(server->Invoke(kDispQueryData, one), DispatchError); // wrong arity
    std::array<Variant, 2> notText{Variant::FromInt(1), Variant()};
    EXPECT_THROW(server->Invoke(kDispQueryData, notText), DispatchError);
}

TEST(AppServer, ReferencesKeepTheServerAliveUntilTheLastIsReleased)
{
    bool destroyed = false;
    auto* raw = new CountedServer(&destroyed);
    {
        AppServerRef a(raw);
        EXPECT_EQ(raw->RefCount(), 1);
        AppServerRef b = a;
        EXPECT_EQ(raw->RefCount(), 2);
        a.reset();
        EXPECT_FALSE(destroyed);
        AppServerRef c = std::move(b);
        EXPECT_EQ(raw->RefCount(), 1);
    }
    EXPECT_TRUE(destroyed);
}

TEST(AppServer, NoServerAnswersFalseWithAnErrorArray)
{
    Variant data;
    EXPECT_FALSE(QueryData(nullptr, "select 1", data));
    EXPECT_TRUE(data.isArray());
}

TEST(SqliteServer, ReturnsPacketsErrorsAndClockText)
{
    test::RecordingAppServer* raw = new test::RecordingAppServer(true);
    AppServerRef server(raw);

    Variant data;
    ASSERT_TRUE(QueryData(server.get(),
        "Select f_Zffsbm,f_Zffsmc,f_zdfkhsdwh,f_hsdwmc from tbZffs left join tbhsdwda on f_zdfkhsdwh=f_hsdwh", data));
    ClientDataSet ds;
    ds.LoadPacket(data);
    EXPECT_GE(ds.RecordCount(), 5);
    ds.First();
    EXPECT_EQ(ds.Text("F_ZFFSBM"), "01");
    EXPECT_EQ(ds.Text(1), "现金");
    EXPECT_EQ(ds.Text("f_hsdwmc"), "集团总部");
    // A payment type whose unit has no row reads an empty unit name (NULL from the join).
    bool sawNull = false;
    for (ds.First(); !ds.Eof(); ds.Next())
        sawNull |= ds.Value("f_hsdwmc").isNull() && ds.Text("f_hsdwmc").isEmpty();
    EXPECT_TRUE(sawNull);

    Variant bad;
    EXPECT_FALSE(QueryData(server.get(), "select x from nowhere", bad));
    ASSERT_TRUE(bad.isArray());
    EXPECT_TRUE(bad.at(bad.lowBound()).toText().contains("nowhere")) << bad.at(0).toText().toStdString();

    Variant stmt("Insert Into tbZffs(f_Zffsbm,f_Zffsmc,f_zdfkhsdwh) Values('01','dup','')");
    EXPECT_FALSE(ExecuteSql(server.get(), stmt));
    ASSERT_TRUE(stmt.isArray());
    EXPECT_TRUE(stmt.at(0).toText().contains("UNIQUE", Qt::CaseInsensitive));

    Variant date, time;
    ASSERT_TRUE(GetServerDate(server.get(), date));
    ASSERT_TRUE(GetServerTime(server.get(), time));
    const QString d = date.toText();
    const QString t = time.toText();
    ASSERT_EQ(d.size(), 14);
    const QDateTime now = QDateTime::currentDateTime();
    EXPECT_TRUE(QDate::fromString(d.left(8), "yyyyMMdd").isValid());
    EXPECT_LE(qAbs(QDate::fromString(d.left(8), "yyyyMMdd").daysTo(now.date())), 1);
    EXPECT_TRUE(QTime::fromString(t.mid(8, 6), "hhmmss").isValid()) << t.toStdString();
}
