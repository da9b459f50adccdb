#include "report/engine/rich/rtf_reader.h"

#include "report/engine/rich/rtf_charsets.h"

#include <QColor>
#include <QHash>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

namespace pq {

namespace {

// Limits: far beyond any caption, small enough that no input can make the reader slow or
// large. Word processors nest a few groups and keep numbers within 32 bits.
constexpr int kMaxDepth = 200;
constexpr qsizetype kMaxInput = 64 * 1024 * 1024;
constexpr int kMaxWordLength = 32;
constexpr int kMaxDigits = 10;
constexpr int kMaxFonts = 4096;
constexpr int kMaxColours = 4096;
constexpr int kMaxSkip = 16;           // fallback characters after "\u"
constexpr int kMaxHalfPoints = 3276;   // 1638 points, the largest size rich-edit allows
constexpr int kMinHalfPoints = 4;      // 2 points: Qt draws super- and subscript at 2/3 in whole points
constexpr int kMaxTwips = 31680;       // 22 inches of indent or spacing

constexpr int kDefaultHalfPoints = 24; // RTF's size when none is given: 12 points

enum class Dest { Text, Skip, FontTable, ColourTable };

struct CharState {
    int font = -1;
    int halfPoints = kDefaultHalfPoints;
    bool bold = false, italic = false, underline = false, strike = false;
    int fg = 0; // colour-table index; 0 is "auto"
    int bg = 0;
    int vertical = 0; // 1 superscript, 2 subscript
    // Word processors give double-byte text fonts of its own: after "\dbch" the associated
    // properties ("\af", "\afs", "\ab", "\ai") apply where they were given.
    bool dbch = false;
    int af = -1, afs = 0, ab = -1, ai = -1;
    bool operator==(const CharState&) const = default;

    // The properties text is shown with, associated ones resolved.
    CharState Effective() const
    {
        CharState e = *this;
        if (dbch) {
            if (af >= 0)
                e.font = af;
            if (afs > 0)
                e.halfPoints = afs;
            if (ab >= 0)
                e.bold = ab != 0;
            if (ai >= 0)
                e.italic = ai != 0;
        }
        e.dbch = false;
        e.af = -1;
        e.afs = 0;
        e.ab = e.ai = -1;
        return e;
    }
};

struct ParaState {
    Qt::Alignment align = Qt::AlignLeft;
    int li = 0, ri = 0, fi = 0, sb = 0, sa = 0, sl = 0;
    bool slMult = false;
};

struct Group {
    CharState ch;
    ParaState para;
    Dest dest = Dest::Text;
    int uc = 1;
};

struct FontEntry {
    QString name;
    int charset = -1;
    int codePage = 0; // "\cpg", 0 when not given
};

struct Colour {
    int r = 0, g = 0, b = 0;
    bool set = false;
};

bool IsLetter(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

double TwipsToPixels(int twips)
{
    return twips / 15.0; // 1440 twips per inch at 96 pixels per inch
}

class Reader {
public:
    Reader(const QByteArray& in, QTextDocument& doc) : m_in(in), m_doc(doc), m_cursor(&doc) {}

    TRMRtfReadResult Run();

private:
    // ---- input ----
    bool AtEnd() const { return m_pos >= m_in.size(); }
    unsigned char Peek() const { return static_cast<unsigned char>(m_in[m_pos]); }

    void ControlWord();
    void ControlSymbol(unsigned char c);
    void HexByte();
    void TextByte(unsigned char c);
    void OpenGroup();
    bool CloseGroup();

    // ---- destinations ----
    void Word(std::string_view word, bool hasParam, int param);
    bool TextWord(std::string_view word, bool hasParam, int param);
    void FontTableWord(std::string_view word, int param);
    void ColourTableWord(std::string_view word, int param);
    void FinishFont();

    // ---- text ----
    int CurrentCodePage() const;
    void FlushBytes();
    void AddText(const QString& text);
    void Append(const QString& text);
    // The paragraph being read when the text ends takes the formatting then in force.
    void FinishLastBlock(const ParaState& para);
    void AddChar(char16_t c) { AddText(QString(QChar(c))); }
    void FlushText();
    void EnsureBlock();
    void EndParagraph();
    QTextCharFormat CharFormat(const CharState& s) const;
    QTextBlockFormat BlockFormat(const ParaState& p) const;
    // A fallback character of "\u" is eaten instead of read.
    bool EatFallback();

    Group& Cur() { return m_stack.back(); }

    const QByteArray& m_in;
    qsizetype m_pos = 0;
    QTextDocument& m_doc;
    QTextCursor m_cursor;
    std::vector<Group> m_stack;
    bool m_ignorable = false; // "\*" seen: an unknown destination word that follows is skipped
    int m_skip = 0;           // fallback characters still to eat
    int m_codePage = kRtfCodePageAnsi;
    int m_defaultFont = -1;
    QHash<int, FontEntry> m_fonts;
    int m_fontEntry = -1;
    QByteArray m_fontName;
    std::vector<Colour> m_colours;
    Colour m_colour;
    bool m_colourTableSeen = false;

    // Bytes waiting to be decoded as one run, so a double-byte character split over two
    // "\'hh" (or a lead byte and a plain trail byte) decodes whole.
    QByteArray m_bytes;
    int m_bytesCodePage = kRtfCodePageAnsi;
    // Text waiting to be inserted in one format.
    QString m_text;
    CharState m_textState;
    bool m_blockPending = false; // a "\par" ended the last block; the next content opens one
    bool m_done = false;
    QString m_error;
};

// ---- running ----

TRMRtfReadResult Reader::Run()
{
    m_doc.clear();
    m_cursor = QTextCursor(&m_doc);
    if (m_in.size() > kMaxInput)
        return {false, QStringLiteral("the rich text is larger than %1 bytes").arg(kMaxInput)};
    if (!RMLooksLikeRtf(m_in))
        return {false, QStringLiteral("the text is not RTF: it does not start with \"{\\rtf\"")};
    while (m_pos < m_in.size() && m_in[m_pos] != '{')
        ++m_pos;
    while (!AtEnd() && !m_done && m_error.isEmpty()) {
        const unsigned char c = Peek();
        ++m_pos;
        switch (c) {
        case '{':
            OpenGroup();
            break;
        case '}':
            if (!CloseGroup())
                m_done = true;
            break;
        case '\\':
            if (AtEnd()) {
                m_error = QStringLiteral("the rich text ends inside a control word");
                break;
            }
            if (IsLetter(Peek()))
                ControlWord();
            else {
                const unsigned char s = Peek();
                ++m_pos;
                ControlSymbol(s);
            }
            break;
        case '\r':
        case '\n':
            break;
        default:
            TextByte(c);
            break;
        }
    }
    if (m_done && m_error.isEmpty()) {
        for (qsizetype i = m_pos; i < m_in.size(); ++i) {
            const char c = m_in[i];
            if (c != ' ' && c != '\r' && c != '\n' && c != '\t' && c != '\0') {
                m_error = QStringLiteral("the rich text goes on after its closing \"}\"");
                break;
            }
        }
    }
    if (!m_stack.empty()) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("the rich text ends with %1 group(s) still open").arg(m_stack.size());
        FinishLastBlock(Cur().para);
    }
    if (m_error.isEmpty())
        return {};
    return {false, m_error};
}

void Reader::OpenGroup()
{
    FlushBytes();
    if (static_cast<int>(m_stack.size()) >= kMaxDepth) {
        m_error = QStringLiteral("groups are nested deeper than %1 levels").arg(kMaxDepth);
        return;
    }
    m_skip = 0;
    m_stack.push_back(m_stack.empty() ? Group{} : Cur());
    m_ignorable = false;
}

bool Reader::CloseGroup()
{
    FlushBytes();
    if (m_stack.empty()) {
        m_error = QStringLiteral("a \"}\" closes a group that was never opened");
        return false;
    }
    if (m_stack.size() == 1)
        FinishLastBlock(Cur().para);
    const Dest dest = Cur().dest;
    if (dest == Dest::FontTable && m_fontEntry >= 0 && m_stack.size() >= 2
        && m_stack[m_stack.size() - 2].dest == Dest::FontTable)
        FinishFont(); // a font's own group ends its entry even without ";"
    m_stack.pop_back();
    m_skip = 0;
    m_ignorable = false;
    return !m_stack.empty();
}

void Reader::ControlWord()
{
    // Bytes before a control word are text in the formatting before it.
    FlushBytes();
    const qsizetype start = m_pos;
    while (!AtEnd() && IsLetter(Peek()))
        ++m_pos;
    // Overlong words are nobody's vocabulary: kept cut, so they stay unknown.
    const std::string_view word(m_in.constData() + start,
        static_cast<size_t>(std::min<qsizetype>(m_pos - start, kMaxWordLength)));
    bool negative = false;
    bool hasParam = false;
    std::int64_t value = 0;
    if (!AtEnd() && Peek() == '-') {
        negative = true;
        ++m_pos;
    }
    int digits = 0;
    while (!AtEnd() && Peek() >= '0' && Peek() <= '9') {
        if (digits < kMaxDigits)
            value = value * 10 + (Peek() - '0');
        ++digits;
        hasParam = true;
        ++m_pos;
    }
    value = std::min<std::int64_t>(value, INT32_MAX);
    const int param = static_cast<int>(negative ? -value : value);
    if (!AtEnd() && Peek() == ' ')
        ++m_pos;
    if (word == "bin") {
        // Binary data: skipped whole, never read as text.
        FlushBytes();
        const qsizetype n = hasParam && param > 0 ? param : 0;
        m_pos = std::min(m_in.size(), m_pos + n);
        return;
    }
    if (m_stack.empty())
        return;
    if (m_skip > 0 && Cur().dest == Dest::Text && word != "u") {
        --m_skip;
        return;
    }
    Word(word, hasParam, param);
}

void Reader::ControlSymbol(unsigned char c)
{
    if (m_stack.empty())
        return;
    if (c == '\'') {
        HexByte();
        return;
    }
    if (c == '*') {
        m_ignorable = true;
        return;
    }
    if (EatFallback())
        return;
    switch (c) {
    case '\\':
    case '{':
    case '}':
        TextByte(c);
        return;
    case '\r':
    case '\n':
        Word("par", false, 0);
        return;
    case '~':
        if (Cur().dest == Dest::Text)
            AddChar(0x00A0);
        return;
    case '-':
        if (Cur().dest == Dest::Text)
            AddChar(0x00AD);
        return;
    case '_':
        if (Cur().dest == Dest::Text)
            AddChar(0x2011);
        return;
    case '\t':
        Word("tab", false, 0);
        return;
    default:
        return; // "\|", "\:" and the like: index and formula marks, nothing to show
    }
}

void Reader::HexByte()
{
    int value = 0;
    int digits = 0;
    while (digits < 2 && !AtEnd()) {
        const char h = static_cast<char>(Peek());
        int v;
        if (h >= '0' && h <= '9')
            v = h - '0';
        else if (h >= 'a' && h <= 'f')
            v = h - 'a' + 10;
        else if (h >= 'A' && h <= 'F')
            v = h - 'A' + 10;
        else
            break;
        value = value * 16 + v;
        ++digits;
        ++m_pos;
    }
    if (digits == 0)
        return;
    if (EatFallback())
        return;
    TextByte(static_cast<unsigned char>(value));
}

bool Reader::EatFallback()
{
    if (m_skip <= 0 || m_stack.empty() || Cur().dest != Dest::Text)
        return false;
    --m_skip;
    return true;
}

void Reader::TextByte(unsigned char c)
{
    if (m_stack.empty())
        return;
    m_ignorable = false;
    switch (Cur().dest) {
    case Dest::Skip:
        return;
    case Dest::FontTable:
        if (c == ';')
            FinishFont();
        else if (m_fontEntry >= 0 && m_fontName.size() < 256)
            m_fontName.append(static_cast<char>(c));
        return;
    case Dest::ColourTable:
        if (c == ';') {
            if (static_cast<int>(m_colours.size()) < kMaxColours)
                m_colours.push_back(m_colour);
            m_colour = Colour{};
        }
        return;
    case Dest::Text:
        break;
    }
    if (EatFallback())
        return;
    if (c == '\t') {
        Word("tab", false, 0);
        return;
    }
    if (c < 0x20)
        return; // control bytes carry nothing in RTF text
    const int cp = CurrentCodePage();
    if (!m_bytes.isEmpty() && cp != m_bytesCodePage)
        FlushBytes();
    m_bytesCodePage = cp;
    m_bytes.append(static_cast<char>(c));
}

// ---- control words ----

void Reader::Word(std::string_view w, bool hasParam, int param)
{
    if (m_stack.empty())
        return;
    Group& g = Cur();
    const bool ignorable = m_ignorable;
    m_ignorable = false;
    if (g.dest == Dest::Skip)
        return;
    // Destinations.
    if (w == "fonttbl") {
        FlushBytes();
        g.dest = Dest::FontTable;
        return;
    }
    if (w == "colortbl") {
        FlushBytes();
        g.dest = Dest::ColourTable;
        m_colourTableSeen = true;
        m_colours.clear();
        m_colour = Colour{};
        return;
    }
    static constexpr std::string_view kSkipped[] = {
        "stylesheet", "info", "pict", "object", "header", "headerl", "headerr", "headerf",
        "footer", "footerl", "footerr", "footerf", "footnote", "annotation", "fldinst",
        "listtable", "listoverridetable", "revtbl", "rsidtbl", "xmlnstbl", "latentstyles",
        "themedata", "colorschememapping", "datastore", "generator", "filetbl", "author",
        "operator", "title", "subject", "keywords", "comment", "doccomm", "creatim", "revtim",
        "printim", "buptim", "userprops", "txe", "xe", "tc", "rxe", "private", "bkmkstart",
        "bkmkend", "atnid", "atnauthor", "atrfstart", "atrfend", "nonshppict", "shp",
        "pgdsctbl", "ftnsep", "ftnsepc", "ftncn", "aftnsep", "aftnsepc", "aftncn", "mmathPr",
        "fchars", "lchars", "docvar", "template", "listpicture", "objdata", "result",
    };
    if (std::find(std::begin(kSkipped), std::end(kSkipped), w) != std::end(kSkipped)) {
        FlushBytes();
        g.dest = Dest::Skip;
        return;
    }
    switch (g.dest) {
    case Dest::FontTable:
        FontTableWord(w, param);
        return;
    case Dest::ColourTable:
        ColourTableWord(w, param);
        return;
    default:
        break;
    }
    if (!TextWord(w, hasParam, param) && ignorable) {
        FlushBytes();
        g.dest = Dest::Skip;
    }
}

bool Reader::TextWord(std::string_view w, bool hasParam, int param)
{
    Group& g = Cur();
    CharState& ch = g.ch;
    ParaState& pa = g.para;
    const bool on = !hasParam || param != 0;
    auto twips = [&](int v) { return std::clamp(v, -kMaxTwips, kMaxTwips); };
    auto text = [&](char16_t c) {
        AddChar(c);
    };

    // Document.
    if (w == "rtf" || w == "viewkind" || w == "lang" || w == "langfe" || w == "langnp"
        || w == "langfenp")
        return true;
    if (w == "ansi") { m_codePage = 1252; return true; }
    if (w == "mac") { m_codePage = 10000; return true; }
    if (w == "pc") { m_codePage = 437; return true; }
    if (w == "pca") { m_codePage = 850; return true; }
    if (w == "ansicpg") {
        if (hasParam && param > 0)
            m_codePage = param;
        return true;
    }
    if (w == "deff") {
        m_defaultFont = param;
        return true;
    }
    if (w == "uc") {
        g.uc = std::clamp(param, 0, kMaxSkip);
        return true;
    }
    if (w == "u") {
        FlushBytes();
        int v = param;
        if (v < 0)
            v += 65536; // written as a signed 16-bit value
        if (v >= 0 && v <= 0xFFFF && v != 0)
            AddChar(static_cast<char16_t>(v));
        m_skip = g.uc;
        return true;
    }
    // Characters.
    if (w == "plain") {
        const CharState fresh;
        ch = fresh;
        ch.font = m_defaultFont;
        return true;
    }
    if (w == "f") { ch.font = param; return true; }
    if (w == "af") { ch.af = param; return true; }
    if (w == "afs") {
        ch.afs = hasParam && param > 0 ? std::clamp(param, kMinHalfPoints, kMaxHalfPoints) : 0;
        return true;
    }
    if (w == "ab") { ch.ab = on ? 1 : 0; return true; }
    if (w == "ai") { ch.ai = on ? 1 : 0; return true; }
    if (w == "dbch") { ch.dbch = true; return true; }
    if (w == "loch" || w == "hich") { ch.dbch = false; return true; }
    if (w == "fs") {
        ch.halfPoints = hasParam && param > 0 ? std::clamp(param, kMinHalfPoints, kMaxHalfPoints) : kDefaultHalfPoints;
        return true;
    }
    if (w == "b") { ch.bold = on; return true; }
    if (w == "i") { ch.italic = on; return true; }
    if (w == "ul" || w == "uld" || w == "uldb" || w == "uldash" || w == "uldashd"
        || w == "uldashdd" || w == "ulth" || w == "ulw" || w == "ulwave" || w == "ulhwave"
        || w == "ululdbwave" || w == "ulthd" || w == "ulthdash" || w == "ulldash") {
        ch.underline = on;
        return true;
    }
    if (w == "ulnone") { ch.underline = false; return true; }
    if (w == "strike" || w == "striked") { ch.strike = on; return true; }
    if (w == "cf") { ch.fg = std::max(0, param); return true; }
    if (w == "cb" || w == "highlight" || w == "chcbpat") { ch.bg = std::max(0, param); return true; }
    if (w == "super") { ch.vertical = on ? 1 : 0; return true; }
    if (w == "sub") { ch.vertical = on ? 2 : 0; return true; }
    if (w == "nosupersub") { ch.vertical = 0; return true; }
    // Paragraphs.
    if (w == "par" || w == "sect" || w == "page" || w == "row") {
        EndParagraph();
        return true;
    }
    if (w == "pard") {
        pa = ParaState{};
        return true;
    }
    if (w == "ql") { pa.align = Qt::AlignLeft; return true; }
    if (w == "qc") { pa.align = Qt::AlignHCenter; return true; }
    if (w == "qr") { pa.align = Qt::AlignRight; return true; }
    if (w == "qj") { pa.align = Qt::AlignJustify; return true; }
    if (w == "li") { pa.li = twips(param); return true; }
    if (w == "ri") { pa.ri = twips(param); return true; }
    if (w == "fi") { pa.fi = twips(param); return true; }
    if (w == "sb") { pa.sb = twips(param); return true; }
    if (w == "sa") { pa.sa = twips(param); return true; }
    if (w == "sl") { pa.sl = twips(param); return true; }
    if (w == "slmult") { pa.slMult = on; return true; }
    // Special characters.
    if (w == "line") { text(0x2028); return true; }
    if (w == "tab" || w == "cell") { text(u'\t'); return true; }
    if (w == "emdash") { text(0x2014); return true; }
    if (w == "endash") { text(0x2013); return true; }
    if (w == "emspace") { text(0x2003); return true; }
    if (w == "enspace") { text(0x2002); return true; }
    if (w == "qmspace") { text(0x2005); return true; }
    if (w == "bullet") { text(0x2022); return true; }
    if (w == "lquote") { text(0x2018); return true; }
    if (w == "rquote") { text(0x2019); return true; }
    if (w == "ldblquote") { text(0x201C); return true; }
    if (w == "rdblquote") { text(0x201D); return true; }
    return false;
}

void Reader::FontTableWord(std::string_view w, int param)
{
    if (w == "f") {
        if (m_fontEntry >= 0)
            FinishFont();
        m_fontEntry = param;
        m_fontName.clear();
        if (!m_fonts.contains(param) && m_fonts.size() < kMaxFonts)
            m_fonts.insert(param, FontEntry{});
        return;
    }
    if (m_fontEntry < 0 || !m_fonts.contains(m_fontEntry))
        return;
    FontEntry& e = m_fonts[m_fontEntry];
    if (w == "fcharset")
        e.charset = std::clamp(param, 0, 255);
    else if (w == "cpg")
        e.codePage = std::max(0, param);
}

void Reader::FinishFont()
{
    if (m_fontEntry >= 0 && m_fonts.contains(m_fontEntry)) {
        FontEntry& e = m_fonts[m_fontEntry];
        const int cp = e.codePage > 0 ? e.codePage : RMRtfCodePageOfCharset(e.charset, m_codePage);
        e.name = RMRtfDecode(m_fontName, cp).trimmed();
    }
    m_fontEntry = -1;
    m_fontName.clear();
}

void Reader::ColourTableWord(std::string_view w, int param)
{
    const int v = std::clamp(param, 0, 255);
    if (w == "red") { m_colour.r = v; m_colour.set = true; }
    else if (w == "green") { m_colour.g = v; m_colour.set = true; }
    else if (w == "blue") { m_colour.b = v; m_colour.set = true; }
}

// ---- text ----

int Reader::CurrentCodePage() const
{
    const int font = m_stack.back().ch.Effective().font;
    const auto it = m_fonts.constFind(font >= 0 ? font : m_defaultFont);
    if (it == m_fonts.constEnd())
        return m_codePage;
    if (it->codePage > 0)
        return it->codePage;
    return RMRtfCodePageOfCharset(it->charset, m_codePage);
}

void Reader::FlushBytes()
{
    if (m_bytes.isEmpty())
        return;
    const QString text = RMRtfDecode(m_bytes, m_bytesCodePage);
    m_bytes.clear();
    Append(text);
}

void Reader::AddText(const QString& text)
{
    FlushBytes();
    Append(text);
}

void Reader::Append(const QString& text)
{
    if (text.isEmpty() || m_stack.empty())
        return;
    const CharState state = Cur().ch.Effective();
    if (!m_text.isEmpty() && !(m_textState == state))
        FlushText();
    EnsureBlock();
    m_textState = state;
    m_text += text;
}

// Text as a document may hold it: no control characters (they would split paragraphs or
// vanish on writing), no lone surrogates, none of the marks QTextDocument keeps for frames
// and objects.
QString CleanText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
        } else if (c.isSurrogate() || c.unicode() == 0xFDD0 || c.unicode() == 0xFDD1 || c.unicode() == 0xFFFC) {
            out += QChar(QChar::ReplacementCharacter);
        } else if (c.unicode() >= 0x20 || c == QLatin1Char('\t')) {
            out += c;
        }
    }
    return out;
}

void Reader::FlushText()
{
    if (m_text.isEmpty())
        return;
    m_cursor.insertText(CleanText(m_text), CharFormat(m_textState));
    m_text.clear();
}

void Reader::EnsureBlock()
{
    if (m_blockPending) {
        m_cursor.insertBlock(BlockFormat(Cur().para), CharFormat(Cur().ch));
        m_blockPending = false;
    }
}

void Reader::EndParagraph()
{
    FlushBytes();
    FlushText();
    if (m_blockPending)
        EnsureBlock(); // "\par\par": an empty paragraph between
    m_cursor.setBlockFormat(BlockFormat(Cur().para));
    // An empty paragraph keeps the font of its mark, so it measures as tall as it prints.
    if (m_cursor.block().length() <= 1)
        m_cursor.setBlockCharFormat(CharFormat(Cur().ch));
    m_blockPending = true;
}

void Reader::FinishLastBlock(const ParaState& para)
{
    FlushBytes();
    FlushText();
    if (m_blockPending)
        return; // the last "\par" ended the last paragraph
    m_cursor.setBlockFormat(BlockFormat(para));
    if (m_cursor.block().length() <= 1 && !m_stack.empty())
        m_cursor.setBlockCharFormat(CharFormat(Cur().ch));
}

QTextCharFormat Reader::CharFormat(const CharState& state) const
{
    const CharState s = state.Effective();
    QTextCharFormat f;
    const auto font = m_fonts.constFind(s.font >= 0 ? s.font : m_defaultFont);
    if (font != m_fonts.constEnd()) {
        if (!font->name.isEmpty())
            f.setFontFamilies({font->name});
        if (font->charset >= 0)
            f.setProperty(kRtfCharsetProperty, font->charset);
    }
    f.setFontPointSize(s.halfPoints / 2.0);
    f.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(s.italic);
    f.setFontUnderline(s.underline);
    f.setFontStrikeOut(s.strike);
    auto colour = [this](int index, QColor& out) {
        if (index <= 0 || index >= static_cast<int>(m_colours.size()) || !m_colours[index].set)
            return false;
        const Colour& c = m_colours[index];
        out = QColor(c.r, c.g, c.b);
        return true;
    };
    QColor c;
    if (colour(s.fg, c))
        f.setForeground(c);
    if (colour(s.bg, c))
        f.setBackground(c);
    if (s.vertical == 1)
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (s.vertical == 2)
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    return f;
}

QTextBlockFormat Reader::BlockFormat(const ParaState& p) const
{
    QTextBlockFormat f;
    f.setAlignment(p.align);
    f.setLeftMargin(TwipsToPixels(p.li));
    f.setRightMargin(TwipsToPixels(p.ri));
    f.setTextIndent(TwipsToPixels(p.fi));
    f.setTopMargin(TwipsToPixels(p.sb));
    f.setBottomMargin(TwipsToPixels(p.sa));
    if (p.sl != 0) {
        if (p.slMult && p.sl > 0)
            f.setLineHeight(p.sl * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
        else if (p.sl > 0)
            f.setLineHeight(TwipsToPixels(p.sl), QTextBlockFormat::MinimumHeight);
        else
            f.setLineHeight(TwipsToPixels(-p.sl), QTextBlockFormat::FixedHeight);
    }
    return f;
}

} // namespace

bool RMLooksLikeRtf(const QByteArray& bytes)
{
    qsizetype i = 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\r' || bytes[i] == '\n' || bytes[i] == '\t'))
        ++i;
    return bytes.mid(i, 5) == "{\\rtf";
}

TRMRtfReadResult RMReadRtf(const QByteArray& rtf, QTextDocument& document)
{
    Reader reader(rtf, document);
    return reader.Run();
}

} // namespace pq
