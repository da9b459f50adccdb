// pq-render --xlsx, read back by a real spreadsheet program: LibreOffice Calc, headless,
// turns every worksheet into a CSV file, and each shows the texts of its page in the rows and
// columns the page's views stand in (rows by their distinct top edges, columns by their
// distinct left edges), numbers as numbers and codes such as "001" as texts.
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/rm_report.h"
#include "report/engine/rm_view.h"
#include "report/preview/export/rm_sheet_layout.h"
#include "report/preview/export/rm_xlsx_filter.h"
#include "report/tools/csv_grid_report.h"
#include "tests/report/tools/tool_engine_test.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <optional>
#include <set>

namespace pq {
namespace {

struct CsvCell {
    QString text;
    bool quoted = false;
};
using CsvRows = std::vector<std::vector<CsvCell>>;

// CSV as LibreOffice writes it: "," between fields, text cells in double quotes (a quote
// inside doubled), line breaks inside quotes kept.
CsvRows ParseCsv(const QString& text)
{
    CsvRows rows(1);
    CsvCell cell;
    bool inQuotes = false;
    bool any = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (inQuotes) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                cell.text += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                inQuotes = false;
            } else {
                cell.text += c;
            }
        } else if (c == QLatin1Char('"')) {
            inQuotes = true;
            cell.quoted = true;
        } else if (c == QLatin1Char(',')) {
            rows.back().push_back(cell);
            cell = {};
        } else if (c == QLatin1Char('\n')) {
            rows.back().push_back(cell);
            cell = {};
            rows.emplace_back();
        } else if (c != QLatin1Char('\r')) {
            cell.text += c;
        }
        any = true;
    }
    if (any && (!cell.text.isEmpty() || cell.quoted))
        rows.back().push_back(cell);
    while (!rows.empty() && rows.back().empty())
        rows.pop_back();
    return rows;
}

// What the preview shows of a page: the texts the views hold, at the row of their top edge
// and the column of their left edge among every view the workbook takes.
std::map<std::pair<int, int>, QString> PageCells(TRMEMFPages& pages, int page, int yOffset,
    std::vector<TRMSheetItem>& all)
{
    pages.ExportPage(page, [&](TRMView& v) {
        if (std::optional<TRMSheetItem> item = TRMXLSXExportFilter::Item(v)) {
            item->Bounds.translate(0, yOffset);
            all.push_back(*item);
        }
    });
    std::set<int> tops, lefts;
    for (const TRMSheetItem& it : all) {
        tops.insert(it.Bounds.top());
        lefts.insert(it.Bounds.left());
    }
    std::map<std::pair<int, int>, QString> cells;
    for (const TRMSheetItem& it : all) {
        if (!it.Text || it.Text->isEmpty())
            continue;
        const int row = static_cast<int>(std::distance(tops.begin(), tops.find(it.Bounds.top())));
        const int col = static_cast<int>(std::distance(lefts.begin(), lefts.find(it.Bounds.left())));
        cells.emplace(std::make_pair(row, col), *it.Text); // the first text at a corner shows
    }
    return cells;
}

class XlsxReadBack : public test::ToolEngineTest {
protected:
    void SetUp() override
    {
        test::ToolEngineTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(dir.isValid());
        csv = "编码,名称,金额|收入,金额|支出\n";
        for (int i = 1; i <= 120; ++i)
            csv += QStringLiteral("%1,支付方式%2号,%3.25,%4\n")
                       .arg(i, 3, 10, QLatin1Char('0'))
                       .arg(QStringLiteral("甲乙丙丁戊己庚辛壬癸").mid(i % 10, 1) + QString::number(i))
                       .arg(i * 3)
                       .arg(i * 7)
                       .toUtf8();
        QFile f(dir.filePath("list.csv"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(csv);
    }

    int Render(const QStringList& args)
    {
        QProcess p;
        p.setProgram(QStringLiteral(PQ_RENDER_PATH));
        p.setArguments(args);
        p.start();
        p.waitForFinished(120000);
        err = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    // LibreOffice's CSV of every sheet, by sheet name; empty when it is not installed.
    std::optional<std::map<QString, CsvRows>> ReadBack(const QString& book)
    {
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice.isEmpty())
            return std::nullopt;
        const QString out = dir.filePath("csv-" + QFileInfo(book).completeBaseName());
        QDir().mkpath(out);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", dir.filePath("home")); // a profile of its own, nothing of the user's
        p.setProcessEnvironment(env);
        p.setProgram(soffice);
        p.setArguments({"--headless", "--norestore",
            "-env:UserInstallation=" + QUrl::fromLocalFile(dir.filePath("lo-profile")).toString(),
            // UTF-8, text cells quoted, numbers as numbers, values not as shown, every sheet to
            // a file of its own
            "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,true,true,false,false,false,-1",
            "--outdir", out, book});
        QElapsedTimer clock;
        clock.start();
        p.start();
        EXPECT_TRUE(p.waitForFinished(300000)) << "soffice did not finish";
        std::cout << "[ soffice  ] " << QFileInfo(book).fileName().toStdString() << " converted in "
                  << clock.elapsed() << " ms" << std::endl;
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        std::map<QString, CsvRows> sheets;
        const QString prefix = QFileInfo(book).completeBaseName() + "-";
        for (const QFileInfo& f : QDir(out).entryInfoList({"*.csv"}, QDir::Files)) {
            QFile file(f.filePath());
            EXPECT_TRUE(file.open(QIODevice::ReadOnly));
            QString name = f.completeBaseName();
            if (name.startsWith(prefix))
                name = name.mid(prefix.size());
            sheets[name] = ParseCsv(QString::fromUtf8(file.readAll()));
        }
        return sheets;
    }

    void ExpectSheet(const CsvRows& rows, const std::map<std::pair<int, int>, QString>& cells, const QString& sheet)
    {
        int numbers = 0;
        for (const auto& [at, text] : cells) {
            const auto [row, col] = at;
            ASSERT_LT(static_cast<size_t>(row), rows.size()) << sheet.toStdString() << ": " << text.toStdString();
            ASSERT_LT(static_cast<size_t>(col), rows[row].size()) << sheet.toStdString() << ": " << text.toStdString();
            const CsvCell& cell = rows[row][col];
            const std::optional<TRMSheetNumber> number = RMSheetNumber(text);
            if (number) {
                ++numbers;
                EXPECT_FALSE(cell.quoted) << "a number stays a number: " << text.toStdString();
                EXPECT_DOUBLE_EQ(cell.text.toDouble(), number->Value) << text.toStdString();
            } else {
                EXPECT_TRUE(cell.quoted) << "a text stays a text: " << text.toStdString();
                EXPECT_EQ(cell.text, text) << sheet.toStdString() << " row " << row << " column " << col;
            }
        }
        EXPECT_GT(numbers, 20) << sheet.toStdString();
    }

    QTemporaryDir dir;
    QByteArray csv;
    QString err;
};

TEST_F(XlsxReadBack, EveryPageIsASheetWithTheTextsWhereThePreviewShowsThem)
{
    const QString book = dir.filePath("list.xlsx");
    ASSERT_EQ(Render({"--grid", dir.filePath("list.csv"), "--title", "支付方式档案", "--xlsx", book}), 0)
        << err.toStdString();
    const std::optional<std::map<QString, CsvRows>> sheets = ReadBack(book);
    if (!sheets) {
        if (qEnvironmentVariable("CI") == "true")
            FAIL() << "soffice is missing (libreoffice-calc-nogui, in the setup script)";
        GTEST_SKIP() << "soffice is not installed (libreoffice-calc-nogui, in the setup script)";
    }
    TRMCsvGridReport table;
    QStringList warnings;
    TRMCsvGridOptions options;
    options.Title = "支付方式档案";
    TRMEMFPages& pages = RMPreparedPages(table.Prepare(csv, "list.csv", options, warnings));
    ASSERT_GE(pages.Count(), 3) << "a list of several pages";
    ASSERT_EQ(sheets->size(), static_cast<size_t>(pages.Count()));
    bool sawName = false, sawCode = false;
    for (int p = 0; p < pages.Count(); ++p) {
        const QString name = QStringLiteral("第%1页").arg(p + 1);
        ASSERT_TRUE(sheets->count(name)) << name.toStdString();
        std::vector<TRMSheetItem> items;
        const auto cells = PageCells(pages, p, 0, items);
        ExpectSheet(sheets->at(name), cells, name);
        for (const auto& [at, text] : cells) {
            sawName = sawName || text == "支付方式丙12号";
            sawCode = sawCode || text == "012";
        }
    }
    EXPECT_TRUE(sawName && sawCode) << "the Chinese names and the codes are there";
}

TEST_F(XlsxReadBack, OneSheetForAllPagesPutsThePagesOneBelowTheOther)
{
    const QString book = dir.filePath("all.xlsx");
    ASSERT_EQ(Render({"--grid", dir.filePath("list.csv"), "--xlsx", book, "--xlsx-one-sheet"}), 0) << err.toStdString();
    const std::optional<std::map<QString, CsvRows>> sheets = ReadBack(book);
    if (!sheets) {
        if (qEnvironmentVariable("CI") == "true")
            FAIL() << "soffice is missing (libreoffice-calc-nogui, in the setup script)";
        GTEST_SKIP() << "soffice is not installed";
    }
    ASSERT_EQ(sheets->size(), 1u);
    TRMCsvGridReport table;
    QStringList warnings;
    TRMEMFPages& pages = RMPreparedPages(table.Prepare(csv, "list.csv", TRMCsvGridOptions{}, warnings));
    std::vector<TRMSheetItem> items;
    std::map<std::pair<int, int>, QString> cells;
    int top = 0;
    for (int p = 0; p < pages.Count(); ++p) {
        cells = PageCells(pages, p, top, items);
        top += pages.Page(p)->PageInfo.PageHeight;
    }
    ExpectSheet(sheets->begin()->second, cells, "one sheet");
    std::set<QString> texts;
    for (const auto& [at, text] : cells)
        texts.insert(text);
    for (int i = 1; i <= 120; ++i)
        EXPECT_TRUE(texts.count(QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0')))) << "record " << i;
}

TEST(RenderXlsx, UsageAndAFileThatCannotBeWritten)
{
    QTemporaryDir dir;
    QProcess p;
    p.setProgram(QStringLiteral(PQ_RENDER_PATH));
    p.setArguments({"--write-sample", dir.filePath("s.rmp")});
    p.start();
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0);
    struct Case {
        QStringList args;
        int code;
        const char* says;
    } cases[] = {
        {{dir.filePath("s.rmp"), "--xlsx-one-sheet", "--pdf", dir.filePath("s.pdf")}, 1, "goes with --xlsx"},
        {{dir.filePath("s.rmp"), "--xlsx"}, 1, "needs a value"},
        {{dir.filePath("s.rmp"), "--xlsx", dir.filePath("s.rmp") + "/x.xlsx"}, 3, "x.xlsx"},
        {{dir.filePath("s.rmp"), "--xlsx", dir.filePath("s.xlsx")}, 0, ""},
    };
    for (const Case& c : cases) {
        p.setArguments(c.args);
        p.start();
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), c.code) << c.args.join(' ').toStdString();
        EXPECT_TRUE(QString::fromLocal8Bit(p.readAllStandardError()).contains(c.says)) << c.says;
    }
    QFile book(dir.filePath("s.xlsx"));
    ASSERT_TRUE(book.open(QIODevice::ReadOnly));
    EXPECT_TRUE(book.read(2) == "PK");
}

} // namespace
} // namespace pq
