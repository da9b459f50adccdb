// Bands with several columns of their own (Columns > 1, NewColumnAfter 1) on the page being
// formed: rows across (the line as tall as its tallest row) or down (a row that does not fit
// moves to the next free column), and the headers a further column gets when it is first used.
#pragma once

#include <unordered_map>

namespace pq {

class TRMBand;
class TRMPrepareEngine;

class TRMBandColumns {
public:
    // The columns of one band in use on the current page.
    struct TRun {
        TRMBand* band = nullptr; // the band whose columns are in use; nullptr when none
        int x0 = 0;              // x offset of its first column
        int column = 0;          // column the next row goes to, from 0
        int used = 1;            // columns used on this page (their headers are printed)
        int top = 0;             // across: top of the current line; down: top of the band area
        int bottom = 0;          // lowest row bottom of the run on this page
        bool moved = false;      // the x offset or the position left the first column's line
    };

    explicit TRMBandColumns(TRMPrepareEngine& engine) : m_engine(engine) {}
    TRMBandColumns(const TRMBandColumns&) = delete;
    TRMBandColumns& operator=(const TRMBandColumns&) = delete;

    // LinesPerPage of a data band: columns running across share their lines.
    static int LinesLimit(const TRMBand* band);

    // Prints one row of the band in its columns.
    void Print(TRMBand* band);
    // Rows left beside each other end where the tallest of them ends: the next band goes
    // back to the first column, below the lowest row.
    void Close();
    // A row running down that does not fit takes the band's next free column instead of a
    // break; false when there is none.
    bool MoveDown(TRMBand* band);

    // The band printing in columns; nullptr when none.
    TRMBand* Band() const { return m_run.band; }
    // Headers are being copied into a further column.
    bool CopyingHeaders() const { return m_copyingHeaders; }
    // A header printed in the first column at (top, x) of the given prepared page.
    void NoteHeader(TRMBand* header, int page, int top, int x);

    // The run of a page that prints a sub-report in place: taken while the sub-report
    // prints, given back afterwards.
    TRun Take();
    void Give(const TRun& run) { m_run = run; }
    // A new page or page column: the columns start again.
    void Reset() { m_run = TRun{}; }

private:
    struct THeaderPlace {
        int page = -1;
        int top = 0;
        int x = 0;
    };

    void Start(TRMBand* band);
    void MoveTo(TRMBand* band, int column);
    void CopyHeaders(TRMBand* band, int x);

    TRMPrepareEngine& m_engine;
    TRun m_run;
    bool m_copyingHeaders = false;
    std::unordered_map<const TRMBand*, THeaderPlace> m_headerPlaces;
};

} // namespace pq
