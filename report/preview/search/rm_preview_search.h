// Finding text in the preview's pages: the find dialog, the search onward from where the
// last one stopped, and F3. Pages are searched through their text outputs one at a time
// (report/engine/files/rm_page_text.h); a match is scrolled into view and inverted on the
// panel. A search that has not finished after a short while goes on inside a progress
// window with a Cancel button, so a long report never freezes the window.
#pragma once

class QWidget;

namespace pq {

class TRMPreview;

// The find dialog (only with a report): on OK the text and options become the search,
// "首页" starts over at page 1, "当前页" at the top of the current page unless the last
// match is on it (then after that match); then FindNext. Cancel changes nothing.
void RMPreviewFind(TRMPreview& preview, QWidget* owner);

// Searches on from (SearchPage, SearchRecord); true when it found a match and showed it.
// No match (or a cancelled search) is silent and leaves the view where it is.
bool RMPreviewFindNext(TRMPreview& preview, QWidget* owner);

// F3: nothing without a searched text; when the current page is not the page of the search,
// the search moves to the top of the current page first; then FindNext.
void RMPreviewFindAgain(TRMPreview& preview, QWidget* owner);

// How long (milliseconds) a search runs before the progress window takes it over; tests
// set 0 to get the window at once.
struct TRMSearchSettings {
    int QuietMs = 300;
};
TRMSearchSettings& RMSearchSettings();

} // namespace pq
