#include "report/preview/search/rm_preview_search.h"

#include "base/rounding.h"
#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/files/rm_page_text.h"
#include "report/engine/prepare/rm_progress_dialog.h"
#include "report/preview/search/rm_search_form.h"
#include "report/preview/search/rm_search_text.h"
#include "report/preview/surface/rm_preview.h"
#include "resources/rm_locale.h"
#include "resources/rm_strings.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QScrollBar>

#include <algorithm>

namespace pq {

namespace {

QString PageLabel(int page) { return RMLoadStr(47205) + QStringLiteral("  ") + QString::number(page + 1); }

// Looks at one page from SearchRecord on; true with the state moved past the match.
bool SearchPage(TRMEMFPages& pages, TRMSearchState& s)
{
    for (const TRMTextRecord& r : RMPageTextRecords(pages, s.SearchPage)) {
        if (r.Index < s.SearchRecord)
            continue;
        if (RMSearchMatches(RMSearchFold(r.Text, s.CaseSensitive), s.SearchText, s.WholeWords)) {
            s.FoundRect = r.Bounds;
            s.Found = true;
            s.SearchRecord = r.Index + 1;
            return true;
        }
    }
    return false;
}

// Brings the match into the panel: the page's top (and left) 10 pixels from the panel's
// edge, or further on when the match would lie beyond the panel, and inverts it.
void ShowMatch(TRMPreview& preview)
{
    TRMSearchState& s = preview.Search();
    preview.GotoPage(s.SearchPage + 1);
    const QList<QRect>& rects = preview.PageRects();
    if (s.SearchPage >= rects.size())
        return;
    const QRect page = rects[s.SearchPage];
    const double scale = preview.Scale();
    const QRect match(page.left() + RoundToInt(s.FoundRect.left() * scale),
        page.top() + RoundToInt(s.FoundRect.top() * scale),
        RoundToInt(s.FoundRect.width() * scale), RoundToInt(s.FoundRect.height() * scale));
    const QSize panel = preview.DrawPanel()->size();
    QScrollBar* v = preview.VScrollBar();
    QScrollBar* h = preview.HScrollBar();
    int top = page.top() - kPreviewGap;
    if (match.top() - top > panel.height() - match.height())
        top = match.top() + match.height() + kPreviewGap - panel.height();
    int left = page.left() - kPreviewGap;
    if (match.left() - left > panel.width() - match.width())
        left = match.left() + match.width() + kPreviewGap - panel.width();
    v->setValue(top);
    h->setValue(left);
    // Painting catches up first, so the inversion lands on the page as now shown.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    preview.ShowInverted(match.translated(preview.Offset()).adjusted(0, 0, 1, 1));
}

} // namespace

TRMSearchSettings& RMSearchSettings()
{
    static TRMSearchSettings settings;
    return settings;
}

void RMPreviewFind(TRMPreview& preview, QWidget* owner)
{
    if (!preview.Report() || !preview.Pages())
        return;
    TRMSearchState& s = preview.Search();
    bool accepted = false;
    bool fromFirst = true;
    {
        TRMPreviewSearchForm form(owner);
        form.CaseBox()->setChecked(s.CaseSensitive);
        form.WholeBox()->setChecked(s.WholeWords);
        form.TextBox()->setText(s.SearchText);
        accepted = form.exec() == QDialog::Accepted;
        if (accepted) {
            s.CaseSensitive = form.CaseBox()->isChecked();
            s.WholeWords = form.WholeBox()->isChecked();
            s.SearchText = RMSearchFold(form.TextBox()->text(), s.CaseSensitive);
            fromFirst = form.FromFirstPage()->isChecked();
        }
    }
    if (!accepted)
        return;
    if (fromFirst) {
        s.SearchPage = 0;
        s.SearchRecord = 0;
    } else if (preview.CurrentPage() != s.SearchPage + 1) {
        s.SearchPage = preview.CurrentPage() - 1;
        s.SearchRecord = 0;
    }
    RMPreviewFindNext(preview, owner);
}

bool RMPreviewFindNext(TRMPreview& preview, QWidget* owner)
{
    TRMSearchState& s = preview.Search();
    s.Found = false;
    TRMEMFPages* pages = preview.Pages();
    if (!pages)
        return false;
    // An empty text is found nowhere: the search ends behind the last page at once.
    if (s.SearchText.isEmpty()) {
        s.SearchPage = std::max(s.SearchPage, pages->Count());
        return false;
    }
    QPointer<TRMPreview> alive(&preview);
    const auto onePage = [&] {
        if (SearchPage(*pages, s))
            return true;
        s.SearchRecord = 0;
        ++s.SearchPage;
        return false;
    };
    QElapsedTimer clock;
    clock.start();
    bool found = false;
    while (!found && s.SearchPage < pages->Count() && clock.elapsed() < RMSearchSettings().QuietMs)
        found = onePage();
    if (!found && s.SearchPage < pages->Count()) {
        // The rest in the progress window: events run after every page, Cancel stops.
        TRMProgressDialog progress(owner);
        progress.Run(RMLoadStr(res::kFindCaption), PageLabel(s.SearchPage), [&] {
            while (!found && alive && alive->Pages() == pages && s.SearchPage < pages->Count()
                && !progress.Cancelled()) {
                progress.SetLabel(PageLabel(s.SearchPage));
                found = onePage();
                progress.ProcessEvents();
            }
        });
        if (!alive || alive->Pages() != pages)
            return false;
    }
    if (!found)
        return false;
    ShowMatch(preview);
    return true;
}

void RMPreviewFindAgain(TRMPreview& preview, QWidget* owner)
{
    TRMSearchState& s = preview.Search();
    if (s.SearchText.isEmpty() || !preview.Pages())
        return;
    if (preview.CurrentPage() != s.SearchPage + 1) {
        s.SearchPage = preview.CurrentPage() - 1;
        s.SearchRecord = 0;
    }
    RMPreviewFindNext(preview, owner);
}

} // namespace pq
