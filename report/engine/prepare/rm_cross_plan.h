// Which cross columns one forming of a design page prints. The items of a row are its columns
// 1..n and its cross footer strip as item n + 1. Columns that do not fit across the page are
// printed by forming the page again, from the first item left out, until every item printed;
// the rows themselves decide: what an earlier row of a forming took prints in every row, so a
// row never mixes the columns of two formings.
#pragma once

namespace pq {

class TRMCrossPlan {
public:
    // Whether an item prints on this forming. An item an earlier row took prints, fitting or
    // not; the first item of a forming always prints (even wider than the room), so every
    // forming makes progress; later items print while they fit and the row has not stopped.
    bool Take(int item, bool fits);
    // A row's column: `fits` whether it fits, `crowdsFooter` whether it is the last column and
    // the footer strip would not fit after it. Such a column waits for the next forming, so
    // the totals keep it company.
    bool TakeColumn(int column, bool fits, bool crowdsFooter) { return Take(column, fits && !crowdsFooter); }

    // The first item of this forming.
    int From() const { return m_from; }
    // Some row had items after those taken: the page is formed again.
    bool More() const { return m_more; }
    // Ends a forming: the next starts after the last item taken. True when another is needed.
    bool NextForming();

private:
    int m_from = 1;        // first item of this forming
    int m_to = 0;          // last item taken on this forming (every row prints up to it)
    bool m_closed = false; // an item did not fit: nothing after m_to prints on this forming
    bool m_more = false;   // some row has items after m_to
};

} // namespace pq
