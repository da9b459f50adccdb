// A deep copy of a report's design (pages and their views) taken before preparation and put
// back afterwards, so that whatever scripts and events changed while the report was being
// prepared is undone. It copies every field of the view classes, not just those a report
// file holds, by assigning their field structs (TRMViewFields, TRMMemoFields, ...,
// TRMPageFields), and restores into the same objects so that pointers held elsewhere stay
// good. Run-time links (a view's band, page, canvas and saved geometry, a band view's
// run-time band) are outside the structs and stay as they are.
#pragma once

#include <memory>
#include <vector>

namespace pq {

class TRMReport;
class TRMView;

// Copies every design field of from into to (which must be of the same class; views of a
// class this code does not know are copied through their file record).
void RMCopyView(const TRMView& from, TRMView& to);

class TRMReportSnapshot {
public:
    explicit TRMReportSnapshot(TRMReport& report);
    ~TRMReportSnapshot();
    TRMReportSnapshot(const TRMReportSnapshot&) = delete;
    TRMReportSnapshot& operator=(const TRMReportSnapshot&) = delete;

    // Puts the design back: fields of pages and views as they were; views added since are
    // removed.
    void Restore();

private:
    struct PageCopy;
    TRMReport& m_report;
    std::vector<std::unique_ptr<PageCopy>> m_pages;
};

} // namespace pq
