// Page assembly: a design page's views become run-time bands for one preparation (the band
// heads and chains, the views of each band, data levels, group pairs, child bands, data
// sources with their ranges), and are freed again afterwards; pages printed by sub-report
// views are marked as such. It also knows which views belong to cross bands.
#pragma once

#include <QString>

#include <functional>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

namespace pq {

class TRMBand;
class TRMPage;
class TRMReport;
class TRMView;

// Data bands, and the bands with cross views, by type.
bool RMIsDataBand(const TRMBand* band);
bool RMIsCrossBandType(int type);
// Whether the band's view has the flag bit.
bool RMHasBandFlag(const TRMBand* band, int bit);
// A band with several columns of its own (Columns > 1, NewColumnAfter 1) that is neither
// page furniture nor a cross band.
bool RMHasOwnColumns(const TRMBand* band);
// Bands that do not count as content of a page: a page holding only these is still empty.
bool RMIsFurnitureType(int type);

class TRMPageAssembly {
public:
    using TErrorSink = std::function<void(const std::exception&)>;
    TRMPageAssembly(TRMReport& report, TErrorSink onError);
    TRMPageAssembly(const TRMPageAssembly&) = delete;
    TRMPageAssembly& operator=(const TRMPageAssembly&) = delete;

    // Marks every report page that a sub-report view of another page prints.
    void MarkSubReportPages();
    // Builds the page's run-time bands (freeing earlier ones); sources that cannot be opened
    // go to the error sink.
    void Setup(TRMPage& page);
    // Frees the page's run-time bands, closes their sources and gives them their ranges back.
    void Free(TRMPage& page);

    // The cross band a view belongs to; nullptr for views outside cross bands.
    TRMBand* CrossOf(const TRMView* view) const;
    // The band holds views of cross bands and prints them across.
    bool PrintsAcross(const TRMBand* band) const { return m_acrossBands.count(band) != 0; }
    // Any band of any page of the report by its view's name.
    TRMBand* FindBand(const QString& name) const;

private:
    struct SavedRange {
        int begin = 0, end = 0, count = 0;
    };

    void OpenSources(TRMPage& page);

    TRMReport& m_report;
    TErrorSink m_onError;
    std::unordered_map<const TRMView*, TRMBand*> m_crossOf;   // views of cross bands → their band
    std::unordered_set<const TRMBand*> m_acrossBands;         // bands holding views of cross bands
    std::unordered_map<const TRMBand*, SavedRange> m_savedRanges; // a source's own range
};

} // namespace pq
