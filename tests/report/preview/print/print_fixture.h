// The printing tests' machine: the engine started over a scripted printer ("Laser", 60 dpi,
// pages recorded as images) and reports whose prepared pages say which page they are.
#pragma once

#include "report/engine/rm_report.h"
#include "report/engine/startup/rm_engine_startup.h"
#include "report/preview/printer/scripted_backend.h"

#include <QImage>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace pq::test {

inline constexpr int kBoxTop = 100;  // screen pixels
inline constexpr int kBoxSize = 40;
// Page n (from 1) carries a black box at this left edge, so a printed image tells its page.
inline int BoxLeft(int pageNo) { return 40 + 30 * pageNo; }

class PrintFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The engine's options before it starts (the laser is installed already).
    virtual void Configure(TRMEngineOptions&) {}

    // A report of count A4 pages; orientations[i] (when given) is page i's.
    TRMReport& Report(int count, const std::vector<int>& orientations = {});
    // The page numbers printed, in order, as the report's progress reports them.
    std::vector<int>& Printed() { return m_printed; }
    // Tracks progress of the report into Printed().
    void Track(TRMReport& report);
    int Count(const QString& prefix) const { return backend->CountCalls(prefix); }

    // Which page an image printed by the laser shows (0 when none), from its box.
    static int PageShown(const QImage& image);
    // The left edge, in device pixels of the image, of the first black run on the box's row.
    static int BoxLeftIn(const QImage& image, int row);

    TRMScriptedPrinterBackend* backend = nullptr;
    std::optional<TRMEngineStartup> engine;
    std::vector<std::unique_ptr<TRMReport>> reports;

private:
    std::vector<int> m_printed;
};

} // namespace pq::test
