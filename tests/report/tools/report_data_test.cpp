// The command-line renderer's data: CSV text split into rows, and data sets bound by name.
#include "report/tools/report_data.h"

#include "report/engine/rm_dataset.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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

// A file of the given bytes in its own folder.
class ReportData : public ::testing::Test {
protected:
    QString Write(const QByteArray& bytes)
    {
        const QString file = dir.filePath(QStringLiteral("data%1.csv").arg(++count));
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return file;
    }

    QTemporaryDir dir;
    int count = 0;
};

TEST_F(ReportData, CsvBindsADataSetByNameAndRefusesAnotherOfThatName)
{
    TRMReportData data;
    EXPECT_THROW(data.AddCsv(QStringLiteral("cdsbad"), Write("code,name\n0001,\xE7\x8E\xB0\xE9\x87\x91\n0002,too many,fields\n")),
        std::runtime_error);
    const QString file = Write("code,name\n0001,\xE7\x8E\xB0\xE9\x87\x91\n0002,\n");
    data.AddCsv(QStringLiteral("cdscsv"), file);
    auto* set = qobject_cast<TRMDBDataSet*>(RMFindDataset(nullptr, QStringLiteral("cdscsv")));
    ASSERT_NE(set, nullptr);
    ASSERT_NE(set->DataSet, nullptr);
    EXPECT_EQ(set->DataSet->RecordCount(), 2);
    EXPECT_EQ(set->DataSet->Text(QStringLiteral("name")), QStringLiteral("现金"));
    EXPECT_TRUE(data.Warnings().isEmpty()) << data.Warnings().join(QLatin1Char('\n')).toStdString();
    EXPECT_THROW(data.AddCsv(QStringLiteral("cdscsv"), file), std::runtime_error);
    EXPECT_THROW(data.AddCsv(QStringLiteral("other"), dir.filePath(QStringLiteral("missing.csv"))), std::runtime_error);
}

// A quote that never closes would swallow every record after it: an error naming the line
// the quote opens on.
TEST_F(ReportData, AQuoteThatNeverClosesIsAnErrorNamingItsLine)
{
    const struct { QByteArray bytes; const char* says; } cases[] = {
        {"code,name\n0001,\"cash\n0002,card\n0003,cheque\n", "line 2:"},
        {"code,name\n0001,\"two\nlines\"\n\n0002,\"x\"\"\n", "line 5:"},
        {"\"code", "line 1:"},
    };
    for (const auto& c : cases) {
        TRMReportData data;
        try {
            data.AddCsv(QStringLiteral("cdsq"), Write(c.bytes));
            ADD_FAILURE() << c.bytes.constData();
        } catch (const std::runtime_error& e) {
            const QString text = QString::fromStdString(e.what());
            EXPECT_TRUE(text.contains(QLatin1String(c.says)) && text.contains(QLatin1String("closing quote")))
                << text.toStdString();
        }
    }
}

// Rows the reader takes but a user should hear of, each named by row and line.
TEST_F(ReportData, ShortRowsAndBadUtf8AreReadAndNamed)
{
    TRMReportData data;
    data.AddCsv(QStringLiteral("cdsw"),
        Write("code,name,note\n0001,cash,x\n0002\n\"00\n03\",ca\xFFrd,y\n0004,ok,z\n0005,\xC3\n"));
    const QStringList expected = {
        QStringLiteral("row 3 (line 3): 1 fields, the header has 3; the missing ones are empty"),
        QStringLiteral("row 4 (line 4): not valid UTF-8"),
        QStringLiteral("row 6 (line 7): not valid UTF-8"),
        QStringLiteral("row 6 (line 7): 2 fields, the header has 3"),
    };
    ASSERT_EQ(data.Warnings().size(), expected.size()) << data.Warnings().join(QLatin1Char('\n')).toStdString();
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(data.Warnings()[i].contains(expected[i])) << data.Warnings()[i].toStdString();
    auto* set = qobject_cast<TRMDBDataSet*>(RMFindDataset(nullptr, QStringLiteral("cdsw")));
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->DataSet->RecordCount(), 5);
}

} // namespace
} // namespace pq
