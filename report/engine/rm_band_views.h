// The band view (a design rectangle that groups views; its run-time record is TRMBand)
// and the sub-report view that prints another page inside a band.
#pragma once

#include "report/engine/rm_view.h"

namespace pq {

class TRMBand;

// ---- band view ----

struct TRMBandFields {
    int Columns = 1;
    QString ChildBand;
    QString Master;
    int ColumnWidth = 200;
    int ColumnGap = 20;
    int NewColumnAfter = 1;
    std::uint16_t LinesPerPage = 0; // also "GroupsPerPage"; 0 = unlimited
    std::uint8_t RangeBegin = rbDefault;
    std::uint8_t RangeEnd = reDefault;
    int RangeEndCount = 0;
};

class TRMBandView : public TRMView, public TRMBandFields {
public:
    TRMBandView();

    // The run-time record while its page is prepared; not owned, not part of a snapshot.
    TRMBand* RunBand = nullptr;

    static constexpr int kMaxColumns = 99;

    int BandType() const { return LineKind; }
    void SetBandType(int type) { LineKind = static_cast<std::uint16_t>(type); }
    // Stored between 1 and 99.
    void SetColumns(int columns);
    // The data source (or a group header's condition) lives in FormatStr.
    QString DataSource() const { return FormatStr; }
    void SetDataSource(const QString& s) { FormatStr = s; }
    // The new-page condition lives in Tag.
    QString NewPageCondition() const { return Tag; }
    // Setting RepeatHeader1 on a page or column header also sets RepeatHeader.
    void SetBandFlag(int bit, bool on);

    // Properties: its own listing over the view's names; while its page is prepared
    // "Left", "Top", "Width", "Height" and "Visible" address the run-time band.
    const TRMPropTable* PropTable() const override;
    Variant DoMethod(const QString& name, const QList<Variant>& args) override;

    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TRMBandView>(); }
    QString ClassName() const override { return QStringLiteral("TRMBandView"); }
    void Draw(QPainter* canvas) override;
};

// ---- other views ----

struct TRMSubReportFields {
    int SubPage = 0; // index of the page it prints
};

class TRMSubReportView : public TRMView, public TRMSubReportFields {
public:
    TRMSubReportView();

    const TRMPropTable* PropTable() const override;
    std::unique_ptr<TRMView> Create() const override { return std::make_unique<TRMSubReportView>(); }
    QString ClassName() const override { return QStringLiteral("TRMSubReportView"); }
    void Draw(QPainter* canvas) override;
};

} // namespace pq
