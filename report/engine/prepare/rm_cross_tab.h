// Cross-tab bands printed across: a band holding views of cross bands prints its other views,
// then the cross header strip, one cross data strip per row of the cross source and the cross
// footer strip; columns past the right edge go to the page formed again (rm_cross_plan.h).
#pragma once

#include "report/engine/prepare/rm_cross_plan.h"

#include <QString>

#include <map>
#include <unordered_map>

namespace pq {

class TRMBand;
class TRMMemoView;
class TRMPage;
class TRMPrepareEngine;

class TRMCrossTab {
public:
    explicit TRMCrossTab(TRMPrepareEngine& engine) : m_engine(engine) {}
    TRMCrossTab(const TRMCrossTab&) = delete;
    TRMCrossTab& operator=(const TRMCrossTab&) = delete;

    // Prints the band's cross strips across, at top.
    void PrintAcross(TRMBand* band, int top);
    // The cross column being printed, from 1; 0 outside.
    int Column() const { return m_column; }

    // Formings of one design page: the first starts with every column to come; after each,
    // true when columns were left over and the page is formed again.
    void BeginFormings() { m_plans.clear(); }
    bool NextForming();

    // A new prepared page: merged cells end with their page.
    void PageStarted();
    // The data band starts over: what the memo printed per column is forgotten.
    void ForgetMerge(const TRMMemoView* memo);

private:
    // What a suppressed memo of a cross column printed last: repeated values merge within
    // their own column only.
    struct TMergeState {
        QString lastValue;
        QString mergeText;
        qint64 mergePos = 0;
        int mergeTop = 0;
        bool merged = false;
    };

    TRMPrepareEngine& m_engine;
    int m_column = 0;
    std::map<std::pair<const TRMMemoView*, int>, TMergeState> m_merge;
    std::unordered_map<const TRMPage*, TRMCrossPlan> m_plans; // one per page holding cross bands
};

} // namespace pq
