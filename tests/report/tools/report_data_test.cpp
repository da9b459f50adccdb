// The command-line renderer's data: CSV text split into rows, and data sets bound by name.
#include "report/tools/report_data.h"

#include "report/engine/rm_dataset.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace pq {
namespace {

struct CsvCase {
    const char* name;
    QString text;
    QList<QStringList> rows;
};

class Csv : public ::testing::TestWithParam<CsvCase> {};

TEST_P(Csv, Rows)
{
    EXPECT_EQ(RMParseCsv(GetParam().text), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(Texts, Csv,
    ::testing::Values(CsvCase{"plain", QStringLiteral("a,b\n1,2\n"), {{"a", "b"}, {"1", "2"}}},
        CsvCase{"no final line break", QStringLiteral("a,b\n1,2"), {{"a", "b"}, {"1", "2"}}},
        CsvCase{"crlf and blank lines", QStringLiteral("a,b\r\n\r\n1,2\r\n"), {{"a", "b"}, {"1", "2"}}},
        CsvCase{"quoted comma, quote and line break", QStringLiteral("a\n\"x, \"\"y\"\"\nz\"\n"),
            {{"a"}, {QStringLiteral("x, \"y\"\nz")}}},
        CsvCase{"empty fields", QStringLiteral("a,b,c\n,,\n"), {{"a", "b", "c"}, {"", "", ""}}},
        CsvCase{"byte order mark and Chinese", QStringLiteral("\uFEFF编码,名称\n0001,现金\n"),
            {{QStringLiteral("编码"), QStringLiteral("名称")}, {"0001", QStringLiteral("现金")}}},
        CsvCase{"nothing", QString(), {}}),
    [](const auto& info) {
        QString n = QString::fromLatin1(info.param.name);
        n.replace(QLatin1Char(' '), QLatin1Char('_')).remove(QLatin1Char(','));
        return n.toStdString();
    });

TEST(ReportData, CsvBindsADataSetByNameAndRefusesAnotherOfThatName)
{
    const QString file = QDir::temp().filePath(QStringLiteral("pq_report_data.csv"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("code,name\n0001,\xE7\x8E\xB0\xE9\x87\x91\n0002,too many,fields\n");
    f.close();
    TRMReportData data;
    EXPECT_THROW(data.AddCsv(QStringLiteral("cdsbad"), file), std::runtime_error);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("code,name\n0001,\xE7\x8E\xB0\xE9\x87\x91\n0002,\n");
    f.close();
    data.AddCsv(QStringLiteral("cdscsv"), file);
    auto* set = qobject_cast<TRMDBDataSet*>(RMFindDataset(nullptr, QStringLiteral("cdscsv")));
    ASSERT_NE(set, nullptr);
    ASSERT_NE(set->DataSet, nullptr);
    EXPECT_EQ(set->DataSet->RecordCount(), 2);
    EXPECT_EQ(set->DataSet->Text(QStringLiteral("name")), QStringLiteral("现金"));
    EXPECT_THROW(data.AddCsv(QStringLiteral("cdscsv"), file), std::runtime_error);
    EXPECT_THROW(data.AddCsv(QStringLiteral("other"), QStringLiteral("/nonexistent/x.csv")), std::runtime_error);
}

} // namespace
} // namespace pq
