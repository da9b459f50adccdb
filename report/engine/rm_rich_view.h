// The rich-text view: formatted text (RTF) with brackets expanded inside it, measured,
// split over pages and drawn through the rich-text library (rich/). Its text is kept as
// RTF lines in Memo; while printing, Memo1 holds the expanded copy that is streamed out.
#pragma once

#include "report/engine/rm_view.h"

class QTextDocument;

namespace pq {

class TRMMemoServices;
class TRMStreamOutTarget;

// The view's own fields, after those of every view. Positions count characters of the
// expanded text.
struct TRMRichFields {
    std::uint8_t DrawMode = 0; // 0 normal, 2 printing only the part that fits
    int FirstChar = 0;         // first character to draw
    int FittedEnd = 0;         // after the last character that fitted at the last formatting
    int PrintedStart = 0;      // start of the part printed on the previous page
    int TextEnd = 0;           // length of the expanded text last formatted
};

class TRMRichView : public TRMStretcheable, public TRMRichFields {
public:
    TRMRichView();

    const TRMPropTable* PropTable() const override;
    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TRMRichView>(); }
    QString ClassName() const override { return QStringLiteral("TRMRichView"); }
    QString GetDescription() const override { return QStringLiteral("[Rich]"); }
    void Draw(QPainter* canvas) override;
    // Loads the rich text (or plain text) of a blob field, unless blank rows are printed.
    void GetBlob(const QString& field) override;

    // Height of the whole expanded text with gaps and frame; 8 for the text when it has
    // none, 0 for an invisible view.
    int CalcHeight() override;
    // 8, as designed; the split asks NextLineHeight for the line it must place.
    int MinHeight() override { return 8; }
    // Formats the part that fits the current height from the printed start (FittedEnd);
    // returns 0.
    int RemainHeight() override;
    // Height of the expanded text from the fitted end on (0 when all was printed).
    int LostHeight() override;
    // Height of the first line not yet printed (8 when none is left).
    int NextLineHeight();
    // Some of the expanded text has not been printed yet.
    bool HasRest() const { return FittedEnd < TextEnd; }

    // The rich text as RTF bytes, and a document set as the text.
    QByteArray Rtf() const;
    QByteArray PrintedRtf() const;
    void SetRtf(const QByteArray& rtf);
    void SetDocument(const QTextDocument& document);
    // Width in report pixels the text is laid out at: the width less gaps and side frames.
    int TextWidth() const;
    // Height in report pixels the text has in the current height.
    int TextHeightRoom() const;

    // RTF as the lines Memo holds (split at line ends), and back.
    static QStringList RtfLines(const QByteArray& rtf);
    static QByteArray JoinRtf(const QStringList& lines);

private:
    // The document Draw shows, read from Memo when Memo changed.
    QTextDocument& OwnDocument();
    std::shared_ptr<QTextDocument> m_doc;
    QStringList m_docSource;
};

// Builds the expanded copy in Memo1 (and in the engine's scratch document, laid out at the
// view's text width): blank rows give an empty text, TextOnly keeps the brackets, otherwise
// each bracket is replaced inside the formatted text. With useEvent the report's
// OnBeforePrint event sees the view first; if it changed Memo1, that text is used as is.
void RMRichBuildPrinted(TRMRichView& view, TRMMemoServices& services, bool useEvent);

// Prints the view into a prepared page: scripts, the expanded Tag, the expanded copy, and
// in DrawMode 2 only the part that fits on this page (the copy holds just that part; the
// fitted end moves on).
void RMRichStreamOut(TRMRichView& view, TRMStreamOutTarget& target, TRMMemoServices& services);

} // namespace pq
