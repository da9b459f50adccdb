// The engine the tools' tests run in process: no progress windows, pages sized from their
// paper, and the prepared pages' temporary files in a cache folder of the test's own.
#pragma once

#include "report/engine/startup/rm_engine_startup.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace pq::test {

class ToolEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        qputenv("XDG_CACHE_HOME", home.path().toLocal8Bit());
        TRMEngineOptions options;
        options.ProgressWindows = false;
        options.PagesFromPaper = true;
        engine.emplace(std::move(options));
    }
    void TearDown() override
    {
        engine.reset();
        qunsetenv("XDG_CACHE_HOME");
    }

    QTemporaryDir home;
    std::optional<TRMEngineStartup> engine;
};

} // namespace pq::test
