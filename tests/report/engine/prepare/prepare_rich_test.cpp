// Rich-text views in preparation: brackets expand inside the formatted text (a value keeps
// its bracket's format), TextOnly keeps them, and a caption taller than the page splits into
// parts that each print once.
#include "tests/report/engine/prepare/prepare_test_support.h"

#include "report/engine/files/rm_view_stream.h"
#include "report/engine/rich/rtf_reader.h"
#include "report/engine/rm_rich_view.h"

#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

namespace pq::test {
namespace {

TRMRichView* Rich(ReportFixture& r, int top, int height, const QByteArray& rtf, int width = 400)
{
    RMRegisterStandardAddIns();
    auto* v = static_cast<TRMRichView*>(r.report.CreateObject(r.page, gtAddIn, QStringLiteral("TRMRichView")));
    v->SetBounds(0, top, width, height);
    v->SetRtf(rtf);
    return v;
}

struct Part {
    QString text;
    bool bold;
};

// The runs of every printed copy of the view, page by page.
std::vector<std::vector<Part>> PrintedParts(ReportFixture& r, const QString& name)
{
    std::vector<std::vector<Part>> out;
    for (int p = 0; p < r.PageCount(); ++p) {
        RMPreparedPages(r.report).ExportPage(p, [&](TRMView& v) {
            if (v.Name != name)
                return;
            QTextDocument doc;
            EXPECT_TRUE(RMReadRtf(TRMRichView::JoinRtf(v.Memo), doc).Ok);
            std::vector<Part> parts;
            for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
                if (b != doc.begin())
                    parts.push_back({QStringLiteral("|"), false});
                for (auto it = b.begin(); !it.atEnd(); ++it)
                    parts.push_back({it.fragment().text(), it.fragment().charFormat().fontWeight() >= QFont::DemiBold});
            }
            out.push_back(parts);
        });
    }
    return out;
}

QString Text(const std::vector<Part>& parts)
{
    QString s;
    for (const Part& p : parts)
        s += p.text;
    return s;
}

TEST(PrepareRich, APageNumberBetweenTwoWordsPrintsInItsBracketsBold)
{
    ReportFixture r;
    r.Band(btPageHeader, 0, 40);
    TRMRichView* caption = Rich(r, 0, 40, "{\\rtf1{\\fonttbl{\\f0\\fcharset134 SimSun;}}\\f0\\fs20 Page \\b [Page#]\\b0  of [TotalPages#]\\par}");
    r.report.DoublePass = true;
    r.Band(btMasterData, 50, 300, QStringLiteral("5"));
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    ASSERT_GE(r.PageCount(), 2);
    const auto printed = PrintedParts(r, caption->Name);
    ASSERT_EQ(printed.size(), static_cast<size_t>(r.PageCount()));
    for (size_t p = 0; p < printed.size(); ++p) {
        const auto& parts = printed[p];
        ASSERT_EQ(parts.size(), 3u) << p;
        EXPECT_EQ(parts[0].text, "Page ");
        EXPECT_FALSE(parts[0].bold);
        EXPECT_EQ(parts[1].text, QString::number(p + 1));
        EXPECT_TRUE(parts[1].bold);
        EXPECT_EQ(parts[2].text, QStringLiteral(" of %1").arg(r.PageCount()));
        EXPECT_FALSE(parts[2].bold);
    }
}

struct ExpandCase {
    const char* name;
    QByteArray rtf;
    bool textOnly;
    QString printed;
};

class PrepareRichExpand : public ::testing::TestWithParam<ExpandCase> {};

TEST_P(PrepareRichExpand, PrintsTheTextMeant)
{
    ReportFixture r;
    r.report.Dictionary().Variables().SetVariable(QStringLiteral("Oper"), Variant::FromString(QStringLiteral("张晓明")));
    r.Band(btReportTitle, 0, 40);
    TRMRichView* v = Rich(r, 0, 40, GetParam().rtf);
    v->SetFlag(flTextOnly, GetParam().textOnly);
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    const auto printed = PrintedParts(r, v->Name);
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(Text(printed[0]), GetParam().printed);
}

INSTANTIATE_TEST_SUITE_P(Cases, PrepareRichExpand, ::testing::Values(
    ExpandCase{"a variable", "{\\rtf1 by [Oper].}", false, QStringLiteral("by 张晓明.")},
    ExpandCase{"a name that resolves to nothing disappears", "{\\rtf1 [Condi]x\\par [Oper]}", false, QStringLiteral("x|张晓明")},
    ExpandCase{"TextOnly prints brackets literally", "{\\rtf1 [Oper] [Page#]}", true, QStringLiteral("[Oper] [Page#]")},
    ExpandCase{"an expression with a format", "{\\rtf1 [1+2] [Page#]}", false, QStringLiteral("3 1")}),
    [](const ::testing::TestParamInfo<ExpandCase>& info) {
        std::string n;
        for (const char* c = info.param.name; *c; ++c)
            n += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return n;
    });

TEST(PrepareRich, ACaptionTallerThanThePageSplitsAndEachPartPrintsOnce)
{
    ReportFixture r;
    TRMBandView* band = r.Band(btReportTitle, 0, 40);
    band->SetBandFlag(flBandStretched, true);
    band->SetBandFlag(flBandBreaked, true);
    QByteArray rtf = "{\\rtf1{\\fonttbl{\\f0\\fcharset0 DejaVu Sans;}}\\f0\\fs24 ";
    QStringList lines;
    for (int i = 1; i <= 70; ++i) {
        lines << QStringLiteral("line %1 [Page#]").arg(i);
        rtf += (i % 2 ? "\\b " : "\\b0 ") + lines.last().toLatin1() + "\\par ";
    }
    rtf += "}";
    TRMRichView* v = Rich(r, 0, 40, rtf);
    v->SetStretched(true);
    ASSERT_TRUE(r.Prepare()) << r.error.toStdString();
    ASSERT_GE(r.PageCount(), 2);
    const auto printed = PrintedParts(r, v->Name);
    ASSERT_EQ(printed.size(), static_cast<size_t>(r.PageCount())) << "one part a page";
    QStringList seen;
    for (size_t p = 0; p < printed.size(); ++p) {
        const QStringList part = Text(printed[p]).split(QLatin1Char('|'), Qt::SkipEmptyParts);
        ASSERT_FALSE(part.isEmpty()) << p;
        for (const QString& l : part) {
            // Each line carries the number of the page it printed on, in its own format.
            EXPECT_TRUE(l.endsWith(QStringLiteral(" %1").arg(p + 1))) << l.toStdString();
            seen << l.section(QLatin1Char(' '), 0, 1);
        }
        // Bold alternates line by line, as written.
        for (const Part& run : printed[p]) {
            if (run.text.startsWith(QLatin1String("line "))) {
                EXPECT_EQ(run.bold, run.text.section(QLatin1Char(' '), 1, 1).toInt() % 2 == 1) << run.text.toStdString();
            }
        }
    }
    QStringList expected;
    for (int i = 1; i <= 70; ++i)
        expected << QStringLiteral("line %1").arg(i);
    EXPECT_EQ(seen, expected) << "every line once, in order";
    // Each part fits the page it is on.
    for (int p = 0; p < r.PageCount(); ++p)
        for (const Printed& copy : r.Views(p, v->Name))
            EXPECT_LE(copy.top + copy.height, 960) << p;
    r.DrawPages(QStringLiteral("rich-split"));
}

} // namespace
} // namespace pq::test
