#include "report/engine/canvas/rm_font_cache.h"

#include <QImage>

#include <algorithm>
#include <memory>
#include <vector>

namespace pq {

namespace {

// Metrics follow the resolution of the device they were made for; an image with that
// resolution stands for any device.
QFont ResolvedFont(const QFont& font, int dpiX, int dpiY)
{
    QImage device(1, 1, QImage::Format_RGB32);
    device.setDotsPerMeterX(qRound(dpiX / 0.0254));
    device.setDotsPerMeterY(qRound(dpiY / 0.0254));
    return QFont(font, &device);
}

// Characters measured one by one: the faces used for reports give them the same advance
// alone as within a text (no kerning is asked for, and they take part in no ligature).
bool StandsAlone(char16_t c)
{
    return c == u' ' || (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF)
        || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF);
}

// Characters that shape together with their neighbours whatever they are.
bool NeedsWholeText(QChar c)
{
    if (c.isSurrogate())
        return true;
    switch (c.category()) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
        return true;
    default:
        break;
    }
    switch (c.direction()) {
    case QChar::DirR:
    case QChar::DirAL:
    case QChar::DirRLE:
    case QChar::DirRLO:
    case QChar::DirRLI:
        return true;
    default:
        return false;
    }
}

constexpr qsizetype kMaxWords = 50000;
constexpr std::size_t kMaxEntries = 32;

std::vector<std::unique_ptr<TRMFontEntry>>& Entries()
{
    thread_local std::vector<std::unique_ptr<TRMFontEntry>> entries;
    return entries;
}

} // namespace

TRMFontEntry::TRMFontEntry(const TRMCanvasFont& font, int dpiX, int dpiY)
    : m_key(font)
    , m_dpiX(dpiX)
    , m_dpiY(dpiY)
    , m_font(ResolvedFont(font.ToQFont(), dpiX, dpiY))
    , m_metrics(m_font)
{
}

double TRMFontEntry::Piece(QStringView piece, bool single)
{
    if (single) {
        const char16_t c = piece.front().unicode();
        auto it = m_chars.constFind(c);
        if (it == m_chars.constEnd())
            it = m_chars.insert(c, m_metrics.horizontalAdvance(QString(QChar(c))));
        return *it;
    }
    const QString word = piece.toString();
    auto it = m_words.constFind(word);
    if (it != m_words.constEnd())
        return *it;
    if (m_words.size() >= kMaxWords)
        m_words.clear();
    return *m_words.insert(word, m_metrics.horizontalAdvance(word));
}

double TRMFontEntry::Advance(const QString& text)
{
    if (text.isEmpty())
        return 0.0;
    for (QChar c : text)
        if (NeedsWholeText(c))
            return m_metrics.horizontalAdvance(text);
    double width = 0.0;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (!StandsAlone(text[i].unicode()))
            continue;
        if (i > start)
            width += Piece(QStringView(text).mid(start, i - start), false);
        width += Piece(QStringView(text).mid(i, 1), true);
        start = i + 1;
    }
    if (n > start)
        width += Piece(QStringView(text).mid(start), false);
    return width;
}

double TRMFontEntry::MinLeftBearing()
{
    if (!m_minLeft)
        m_minLeft = std::min(0.0, m_metrics.minLeftBearing());
    return *m_minLeft;
}

double TRMFontEntry::MinRightBearing()
{
    if (!m_minRight)
        m_minRight = std::min(0.0, m_metrics.minRightBearing());
    return *m_minRight;
}

TRMFontEntry& RMFontEntry(const TRMCanvasFont& font, int dpiX, int dpiY)
{
    auto& entries = Entries();
    // Most recently used first: a run of texts in one font finds it at once.
    for (std::size_t i = 0; i < entries.size(); ++i) {
        TRMFontEntry& e = *entries[i];
        if (e.DpiX() == dpiX && e.DpiY() == dpiY && e.Key() == font) {
            if (i > 0)
                std::rotate(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(i),
                    entries.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            return *entries.front();
        }
    }
    if (entries.size() >= kMaxEntries)
        entries.pop_back();
    entries.insert(entries.begin(), std::make_unique<TRMFontEntry>(font, dpiX, dpiY));
    return *entries.front();
}

void RMClearFontCache()
{
    Entries().clear();
}

} // namespace pq
