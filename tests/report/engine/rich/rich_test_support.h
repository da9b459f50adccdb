// Helpers of the rich-text tests: a document described run by run, so tests compare
// characters and formats at once, and the fixtures folder.
#pragma once

#include <QFile>
#include <QString>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include <cctype>
#include <ostream>
#include <string>
#include <vector>

namespace pq::test {

struct TextRun {
    QString text;
    QString family;
    double points = 0;
    bool bold = false, italic = false, underline = false;
    QString colour; // "#rrggbb", empty when none is set
    bool operator==(const TextRun&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const TextRun& r)
{
    return os << '"' << r.text.toStdString() << "\" " << r.family.toStdString() << ' ' << r.points
              << (r.bold ? " bold" : "") << (r.italic ? " italic" : "") << (r.underline ? " underline" : "")
              << ' ' << r.colour.toStdString();
}

struct Paragraph {
    Qt::Alignment align = Qt::AlignLeft;
    std::vector<TextRun> runs;
};

inline TextRun RunOf(const QTextFragment& f)
{
    const QTextCharFormat c = f.charFormat();
    TextRun r;
    r.text = f.text();
    const QStringList families = c.fontFamilies().toStringList();
    r.family = families.isEmpty() ? QString() : families.first();
    r.points = c.fontPointSize();
    r.bold = c.fontWeight() >= QFont::DemiBold;
    r.italic = c.fontItalic();
    r.underline = c.fontUnderline();
    if (c.hasProperty(QTextFormat::ForegroundBrush))
        r.colour = c.foreground().color().name();
    return r;
}

// Paragraphs with their runs; runs of one format that the document keeps apart are joined.
inline std::vector<Paragraph> Describe(const QTextDocument& doc)
{
    std::vector<Paragraph> out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        Paragraph p;
        p.align = b.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            TextRun r = RunOf(it.fragment());
            if (!p.runs.empty()) {
                TextRun& last = p.runs.back();
                TextRun a = last, c = r;
                a.text.clear();
                c.text.clear();
                if (a == c) {
                    last.text += r.text;
                    continue;
                }
            }
            p.runs.push_back(r);
        }
        out.push_back(p);
    }
    return out;
}

// A case's name as GoogleTest wants it: letters and digits, the rest "_".
template <typename Info>
std::string CaseName(const Info& info)
{
    std::string n;
    for (const char* c = info.param.name; *c; ++c)
        n += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return n;
}

inline QByteArray Fixture(const char* name)
{
    QFile f(QStringLiteral(PQ_RICH_TEST_DATA "/") + QLatin1String(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The raw text with paragraphs as "|" and line breaks as "/".
inline QString Shown(const QTextDocument& doc)
{
    QString s = doc.toRawText();
    s.replace(QChar::ParagraphSeparator, QLatin1Char('|'));
    s.replace(QChar::LineSeparator, QLatin1Char('/'));
    return s;
}

} // namespace pq::test
