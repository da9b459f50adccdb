#include "report/engine/canvas/rm_font_cache.h"

#include <QHash>
#include <QImage>

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
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

TRMFontFace MakeFace(const TRMCanvasFont& font, int dpiX, int dpiY)
{
    const QFont f = ResolvedFont(font.ToQFont(), dpiX, dpiY);
    const QFontMetricsF m(f);
    return TRMFontFace{f, m, std::min(0.0, m.minLeftBearing()), std::min(0.0, m.minRightBearing())};
}

class Entry {
public:
    Entry(const TRMCanvasFont& font, int dpiX, int dpiY)
        : key(font)
        , dpiX(dpiX)
        , dpiY(dpiY)
        , face(MakeFace(font, dpiX, dpiY))
    {
    }

    double Advance(const QString& text)
    {
        if (text.isEmpty())
            return 0.0;
        for (QChar c : text)
            if (NeedsWholeText(c))
                return face.Metrics.horizontalAdvance(text);
        return AdvanceFrom(0.0, text);
    }

    // The pieces of text added to width one after another, in the order Advance adds them.
    double AdvanceFrom(double width, QStringView text)
    {
        qsizetype start = 0;
        const qsizetype n = text.size();
        for (qsizetype i = 0; i < n; ++i) {
            if (!StandsAlone(text[i].unicode()))
                continue;
            if (i > start)
                width += Word(text.mid(start, i - start));
            width += Char(text[i].unicode());
            start = i + 1;
        }
        if (n > start)
            width += Word(text.mid(start));
        return width;
    }

    const TRMCanvasFont key;
    const int dpiX;
    const int dpiY;
    TRMFontFace face;

private:
    double Char(char16_t c)
    {
        auto it = m_chars.constFind(c);
        if (it == m_chars.constEnd())
            it = m_chars.insert(c, face.Metrics.horizontalAdvance(QString(QChar(c))));
        return *it;
    }

    double Word(QStringView piece)
    {
        const QString word = piece.toString();
        auto it = m_words.constFind(word);
        if (it != m_words.constEnd())
            return *it;
        if (m_words.size() >= kMaxWords)
            m_words.clear();
        return *m_words.insert(word, face.Metrics.horizontalAdvance(word));
    }

    QHash<char16_t, double> m_chars;
    QHash<QString, double> m_words;
};

// Entries are the calling thread's: a QFont and its metrics cache the font engine of the
// thread that used them, so each thread measures and draws with fonts of its own (an output
// thread drawing pages while the user-interface thread prepares the next ones). The mutex
// guards the lists only; an entry is used by its own thread alone, outside the lock.
struct ThreadEntries {
    std::thread::id thread;
    std::vector<std::unique_ptr<Entry>> entries; // most recently used first
};

struct Cache {
    std::mutex mutex;
    std::vector<std::unique_ptr<ThreadEntries>> threads;
};

Cache& TheCache()
{
    static Cache cache;
    return cache;
}

// The calling thread's entry for the font.
Entry& Find(const TRMCanvasFont& font, int dpiX, int dpiY)
{
    Cache& cache = TheCache();
    const std::lock_guard lock(cache.mutex);
    const std::thread::id self = std::this_thread::get_id();
    ThreadEntries* mine = nullptr;
    for (const auto& t : cache.threads)
        if (t->thread == self) {
            mine = t.get();
            break;
        }
    if (!mine) {
        cache.threads.push_back(std::make_unique<ThreadEntries>());
        mine = cache.threads.back().get();
        mine->thread = self;
    }
    auto& entries = mine->entries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        Entry& e = *entries[i];
        if (e.dpiX == dpiX && e.dpiY == dpiY && e.key == font) {
            // A run of texts in one font finds it at once.
            if (i > 0)
                std::rotate(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(i),
                    entries.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            return *entries.front();
        }
    }
    if (entries.size() >= kMaxEntries)
        entries.pop_back();
    entries.insert(entries.begin(), std::make_unique<Entry>(font, dpiX, dpiY));
    return *entries.front();
}

} // namespace

TRMFontFace RMFontFace(const TRMCanvasFont& font, int dpiX, int dpiY)
{
    return Find(font, dpiX, dpiY).face;
}

double RMTextAdvance(const TRMCanvasFont& font, const QString& text, int dpiX, int dpiY)
{
    if (text.isEmpty())
        return 0.0;
    return Find(font, dpiX, dpiY).Advance(text);
}

std::optional<double> RMTextAdvanceAfter(const TRMCanvasFont& font, double headAdvance, QStringView head,
    QStringView tail, int dpiX, int dpiY)
{
    if (tail.isEmpty())
        return headAdvance;
    for (QChar c : tail)
        if (NeedsWholeText(c))
            return std::nullopt;
    // A word running on from the head would be measured as one piece with it.
    if (!head.isEmpty() && !StandsAlone(head.back().unicode()) && !StandsAlone(tail.front().unicode()))
        return std::nullopt;
    return Find(font, dpiX, dpiY).AdvanceFrom(headAdvance, tail);
}

void RMClearFontCache()
{
    Cache& cache = TheCache();
    const std::lock_guard lock(cache.mutex);
    cache.threads.clear();
}

void RMForgetThreadFonts()
{
    Cache& cache = TheCache();
    const std::lock_guard lock(cache.mutex);
    const std::thread::id self = std::this_thread::get_id();
    std::erase_if(cache.threads, [self](const auto& t) { return t->thread == self; });
}

} // namespace pq
