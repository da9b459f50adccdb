// TRMBand: the run-time companion of a band view while its page is prepared. It carries
// the band's data source, chains, counters and aggregate values.
#pragma once

#include "report/engine/rm_types.h"

#include "base/variant.h"

#include <QString>

#include <memory>
#include <vector>

namespace pq {

class TRMBandView;
class TRMDataset;
class TRMPage;
class TRMVariables;
class TRMView;

class TRMBand {
public:
    TRMBand(TRMPage* page, TRMBandView* view);
    ~TRMBand();
    TRMBand(const TRMBand&) = delete;
    TRMBand& operator=(const TRMBand&) = delete;

    TRMPage* Parent = nullptr;
    TRMBandView* View = nullptr;
    // Same-type bands chained top to bottom.
    TRMBand* Next = nullptr;
    TRMBand* Prev = nullptr;
    // Group headers of the same master.
    TRMBand* NextGroup = nullptr;
    TRMBand* PrevGroup = nullptr;
    TRMBand* FirstGroup = nullptr;
    TRMBand* LastGroup = nullptr;
    TRMBand* ChildBand = nullptr;
    TRMBand* CrossBand = nullptr;

    int DesignTop = 0;
    int DesignHeight = 0;
    int Typ = btNone;

    // Flags copied from the view.
    bool Stretched = false;
    bool PrintIfSubsetEmpty = false;
    bool PrintChildIfInvisible = false;
    bool AutoAppendBlank = false;
    bool FormNewPage = false;
    bool Breaked = false;
    int LinesPerPage = 0;

    QString NewPageCondition; // compiled form of the view's new-page condition

    TRMDataset* DataSet = nullptr;
    bool IsVirtualDS = false; // the band owns DataSet (user data set made from a row count)
    std::unique_ptr<TRMDataset> OwnedDataSet;

    TRMBand* HeaderBand = nullptr;
    TRMBand* FooterBand = nullptr;
    TRMBand* DataBand = nullptr;

    std::vector<TRMView*> Objects; // the views of the band, not owned
    std::unique_ptr<TRMVariables> Values; // aggregates keyed by packed strings

    int LineNo = 0;        // "Line#"
    int LineThoughNo = 0;  // "LineThough#"
    Variant LastGroupValue;
    int CurColumn = 0;
    int CalculatedHeight = 0;
    // The height measured for the print in progress (-1: none): the fit test measures the
    // band once and placing it takes that height instead of measuring its memos again.
    int MeasuredHeight = -1;
    int PrintedHeight = 0;
    int CurTop = 0;
    bool Visible = true;

    // Geometry a script may change while the band prints.
    int Left = 0;
    int Width = 0;
    int Height = 0;
};

} // namespace pq
