#include "report/engine/rich/rtf_writer.h"

#include "report/engine/rich/rtf_charsets.h"
#include "report/engine/rich/rtf_reader.h"

#include <QColor>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include <cmath>
#include <vector>

namespace pq {

namespace {

struct FontKey {
    QString family;
    int charset = kRtfCharsetGbk;
    bool operator==(const FontKey&) const = default;
};

int PixelsToTwips(double px)
{
    if (!std::isfinite(px))
        return 0;
    return static_cast<int>(std::lround(std::clamp(px * 15.0, -1e6, 1e6)));
}

class Writer {
public:
    explicit Writer(const QTextDocument& doc) : m_doc(doc) {}
    QByteArray Run();

private:
    FontKey KeyOf(const QTextCharFormat& f) const;
    int FontIndex(const FontKey& key);
    int ColourIndex(const QColor& c);
    void Collect(const QTextCharFormat& f);
    QByteArray CharProps(const QTextCharFormat& f);
    QByteArray ParaProps(const QTextBlockFormat& f) const;
    QByteArray Text(const QString& text, int codePage) const;
    static QByteArray Hex(unsigned char b);

    const QTextDocument& m_doc;
    std::vector<FontKey> m_fonts;
    std::vector<QColor> m_colours;
};

FontKey Writer::KeyOf(const QTextCharFormat& f) const
{
    FontKey k;
    const QStringList families = f.fontFamilies().toStringList();
    k.family = families.isEmpty() ? m_doc.defaultFont().family() : families.first();
    if (f.hasProperty(kRtfCharsetProperty))
        k.charset = std::clamp(f.intProperty(kRtfCharsetProperty), 0, 255);
    return k;
}

int Writer::FontIndex(const FontKey& key)
{
    for (size_t i = 0; i < m_fonts.size(); ++i)
        if (m_fonts[i] == key)
            return static_cast<int>(i);
    m_fonts.push_back(key);
    return static_cast<int>(m_fonts.size()) - 1;
}

int Writer::ColourIndex(const QColor& c)
{
    const QColor rgb = c.toRgb();
    for (size_t i = 0; i < m_colours.size(); ++i)
        if (m_colours[i].rgb() == rgb.rgb())
            return static_cast<int>(i) + 1; // entry 0 is "auto"
    m_colours.push_back(rgb);
    return static_cast<int>(m_colours.size());
}

void Writer::Collect(const QTextCharFormat& f)
{
    FontIndex(KeyOf(f));
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
        ColourIndex(f.foreground().color());
    if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush)
        ColourIndex(f.background().color());
}

QByteArray Writer::CharProps(const QTextCharFormat& f)
{
    QByteArray out = "\\plain\\f" + QByteArray::number(FontIndex(KeyOf(f)));
    double points = f.fontPointSize();
    if (points <= 0)
        points = m_doc.defaultFont().pointSizeF();
    if (points <= 0)
        points = 12;
    out += "\\fs" + QByteArray::number(std::clamp(static_cast<int>(std::lround(points * 2)), 1, 3276));
    if (f.fontWeight() >= QFont::DemiBold)
        out += "\\b";
    if (f.fontItalic())
        out += "\\i";
    if (f.fontUnderline())
        out += "\\ul";
    if (f.fontStrikeOut())
        out += "\\strike";
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
        out += "\\cf" + QByteArray::number(ColourIndex(f.foreground().color()));
    if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush)
        out += "\\highlight" + QByteArray::number(ColourIndex(f.background().color()));
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        out += "\\super";
    else if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
        out += "\\sub";
    return out + ' ';
}

QByteArray Writer::ParaProps(const QTextBlockFormat& f) const
{
    QByteArray out = "\\pard";
    const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignHCenter)
        out += "\\qc";
    else if (a & Qt::AlignRight)
        out += "\\qr";
    else if (a & Qt::AlignJustify)
        out += "\\qj";
    auto twips = [&out](const char* word, double px) {
        const int t = PixelsToTwips(px);
        if (t != 0)
            out += QByteArray(word) + QByteArray::number(t);
    };
    twips("\\li", f.leftMargin());
    twips("\\ri", f.rightMargin());
    twips("\\fi", f.textIndent());
    twips("\\sb", f.topMargin());
    twips("\\sa", f.bottomMargin());
    switch (f.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        out += "\\sl" + QByteArray::number(std::lround(f.lineHeight() * 240.0 / 100.0)) + "\\slmult1";
        break;
    case QTextBlockFormat::MinimumHeight:
        twips("\\sl", f.lineHeight());
        break;
    case QTextBlockFormat::FixedHeight:
        twips("\\sl", -f.lineHeight());
        break;
    default:
        break;
    }
    return out + ' ';
}

QByteArray Writer::Hex(unsigned char b)
{
    static const char digits[] = "0123456789abcdef";
    return QByteArray("\\'") + digits[b >> 4] + digits[b & 15];
}

QByteArray Writer::Text(const QString& text, int codePage) const
{
    QByteArray out;
    const QList<uint> points = text.toUcs4();
    for (uint cp : points) {
        const char32_t c = cp;
        switch (c) {
        case '\\': out += "\\\\"; continue;
        case '{': out += "\\{"; continue;
        case '}': out += "\\}"; continue;
        case '\t': out += "\\tab "; continue;
        case 0x2028: out += "\\line "; continue;
        case 0x00A0: out += "\\~"; continue;
        case 0x00AD: out += "\\-"; continue;
        case 0x2011: out += "\\_"; continue;
        case 0x2014: out += "\\emdash "; continue;
        case 0x2013: out += "\\endash "; continue;
        case 0x2022: out += "\\bullet "; continue;
        case 0x2018: out += "\\lquote "; continue;
        case 0x2019: out += "\\rquote "; continue;
        case 0x201C: out += "\\ldblquote "; continue;
        case 0x201D: out += "\\rdblquote "; continue;
        default: break;
        }
        if (c >= 0x20 && c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        if (c < 0x20)
            continue; // no control characters in RTF text
        const QByteArray bytes = RMRtfEncodeChar(c, codePage);
        if (!bytes.isEmpty()) {
            for (char b : bytes)
                out += Hex(static_cast<unsigned char>(b));
            continue;
        }
        // "\u" takes a signed 16-bit value; characters beyond the first plane go as their
        // two surrogates.
        char16_t units[2];
        const int n = QChar::requiresSurrogates(c) ? 2 : 1;
        if (n == 2) {
            units[0] = QChar::highSurrogate(c);
            units[1] = QChar::lowSurrogate(c);
        } else {
            units[0] = static_cast<char16_t>(c);
        }
        for (int k = 0; k < n; ++k)
            out += "\\u" + QByteArray::number(static_cast<std::int16_t>(units[k])) + '?';
    }
    return out;
}

QByteArray Writer::Run()
{
    // Fonts and colours first: the tables precede the text.
    for (QTextBlock b = m_doc.begin(); b.isValid(); b = b.next()) {
        bool any = false;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            if (it.fragment().isValid()) {
                Collect(it.fragment().charFormat());
                any = true;
            }
        }
        if (!any)
            Collect(b.charFormat());
    }
    if (m_fonts.empty())
        FontIndex(KeyOf(QTextCharFormat()));

    QByteArray body;
    for (QTextBlock b = m_doc.begin(); b.isValid(); b = b.next()) {
        body += ParaProps(b.blockFormat());
        bool any = false;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.isValid())
                continue;
            // Each run in a group of its own: its formatting ends with it, which every
            // reader understands (a word processor misreads "\super" ended by "\plain").
            const QTextCharFormat f = frag.charFormat();
            body += '{' + CharProps(f);
            body += Text(frag.text(), RMRtfCodePageOfCharset(KeyOf(f).charset, kRtfCodePageGbk)) + '}';
            any = true;
        }
        // The paragraph mark takes the font in force: an empty paragraph's decides its
        // height.
        if (!any)
            body += CharProps(b.charFormat());
        body += "\\par\r\n";
    }

    QByteArray out = "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl";
    for (size_t i = 0; i < m_fonts.size(); ++i) {
        const FontKey& k = m_fonts[i];
        out += "{\\f" + QByteArray::number(static_cast<int>(i)) + "\\fnil\\fcharset"
            + QByteArray::number(k.charset) + ' '
            + Text(k.family, RMRtfCodePageOfCharset(k.charset, kRtfCodePageGbk)) + ";}";
    }
    out += "}\r\n{\\colortbl ;";
    for (const QColor& c : m_colours)
        out += "\\red" + QByteArray::number(c.red()) + "\\green" + QByteArray::number(c.green())
            + "\\blue" + QByteArray::number(c.blue()) + ';';
    out += "}\r\n\\viewkind4\\uc1";
    out += body;
    out += "}\r\n";
    return out;
}

} // namespace

QByteArray RMWriteRtf(const QTextDocument& document)
{
    return Writer(document).Run();
}

} // namespace pq
