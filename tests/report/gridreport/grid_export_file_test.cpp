// The printed grid's data file for the export: its lines, and where and how it is written.
#include "report/gridreport/rm_grid_export_file.h"

#include "base/client_dataset.h"
#include "base/gbk_text.h"
#include "base/private_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pq {
namespace {

TEST(GridExportFile, CaptionsThenOneLinePerRecordEachFieldItsOwnTrimmedText)
{
    ClientDataSet data;
    data.CreateTextFields({{"code", 10}, {"name", 20}, {"unit", 10}});
    data.AppendRecord({" 01 ", "现金  ", "总部"});
    data.AppendRecord({"02", "", " 分公司"});
    const QStringList lines = RMGridExportLines({" 编码", "名称 ", "单位"}, {"code", "name", "unit"}, data);
    EXPECT_EQ(lines, (QStringList{"编码,名称,单位", " 01, 现金, 总部", " 02, , 分公司"}));
    EXPECT_EQ(data.RecNo(), 1) << "left on the last record";

    ClientDataSet empty;
    empty.CreateTextFields({{"code", 10}});
    EXPECT_EQ(RMGridExportLines({"编码"}, {"code"}, empty), QStringList{"编码"});
}

TEST(GridExportFile, WrittenIntoThePrivateFolderInGbkWithCrLf)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    qputenv("XDG_CACHE_HOME", home.path().toLocal8Bit());
    QString error;
    ASSERT_TRUE(RMWriteGridExportFile({"编码,名称", " 01, 现金"}, &error)) << error.toStdString();
    const QString name = RMGridExportFileName();
    EXPECT_TRUE(name.startsWith(home.path()));
    EXPECT_TRUE(name.endsWith("/~superfile.tmp"));
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), ToGbk("编码,名称\r\n 01, 现金\r\n"));
    const QFileInfo folder(QFileInfo(name).path());
    EXPECT_EQ(folder.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
                                         | QFile::WriteOther | QFile::ExeOther),
        QFile::Permissions()) << "no other user reaches the folder";

    // A link put in the folder's place is refused, never followed.
    QTemporaryDir other;
    const QString linked = home.path() + "/linked";
    ASSERT_TRUE(QDir().mkpath(linked));
    qputenv("XDG_CACHE_HOME", linked.toLocal8Bit());
    ASSERT_TRUE(QFile::link(other.path(), linked + "/Pagequill"));
    EXPECT_FALSE(RMWriteGridExportFile({"x"}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(other.path() + "/~superfile.tmp"));
    qunsetenv("XDG_CACHE_HOME");
}

} // namespace
} // namespace pq
