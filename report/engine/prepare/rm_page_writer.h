// Streams printed views into the prepared pages. Writing goes straight into the page's byte
// stream; the writer remembers where each copy of the page being built starts, so that a
// merged cell can replace its copy later (its length may change) without touching the
// copies after it. Handles of pages left behind never match again.
#pragma once

#include "report/engine/memo/rm_memo.h"

#include <unordered_map>
#include <vector>

namespace pq {

class TRMEMFPages;
class TRMView;

class TRMPreparedPageWriter : public TRMStreamOutTarget {
public:
    explicit TRMPreparedPageWriter(TRMEMFPages& pages) : m_pages(pages) {}

    // The prepared page views go to; switching forgets the copies of the previous page.
    void SetPage(int index);
    int Page() const { return m_page; }
    // Forgets every copy (the pages were discarded).
    void Reset();

    qint64 WriteView(TRMView& view) override;
    void RewriteView(qint64 handle, TRMView& view) override;
    bool IsCopyOf(qint64 handle, const TRMView& view) const override;

    // Copies written to the current page.
    int Copies() const { return static_cast<int>(m_records.size()); }

private:
    struct Record {
        qint64 handle = 0;
        qint64 start = 0;
        qint64 length = 0;
        const TRMView* view = nullptr;
    };

    TRMEMFPages& m_pages;
    int m_page = -1;
    qint64 m_nextHandle = 1;
    std::vector<Record> m_records;
    std::unordered_map<qint64, size_t> m_byHandle;
};

} // namespace pq
