// Sub-reports printed in place: a sub-report view prints the data loop of its page where the
// view stands; its bands go through a queue of their own, and a band that does not fit breaks
// the page holding the view.
#pragma once

#include "report/engine/prepare/rm_band_columns.h"

#include <memory>
#include <vector>

namespace pq {

class TRMBand;
class TRMPage;
class TRMPrepareEngine;
class TRMSubReportView;

class TRMSubReports {
public:
    explicit TRMSubReports(TRMPrepareEngine& engine);
    ~TRMSubReports();
    TRMSubReports(const TRMSubReports&) = delete;
    TRMSubReports& operator=(const TRMSubReports&) = delete;

    // Prints the view's page at top; returns where it ended. A page printing itself, directly
    // or through others, prints nothing the second time.
    int Print(TRMSubReportView& view, int top);
    // A band of the sub-report being printed is requested: it goes through the sub-report's
    // queue, which is printed as soon as the request that filled it is done.
    void Request(TRMBand* band);
    // The sub-report's page breaks: the page holding it breaks below what it printed.
    void BreakPage();
    // The page whose column footer counts while a sub-report prints; nullptr when none does.
    TRMPage* OutermostPage() const;

private:
    struct TSubReport;
    TSubReport* Active() const;

    TRMPrepareEngine& m_engine;
    std::vector<std::unique_ptr<TSubReport>> m_active; // innermost last
};

} // namespace pq
