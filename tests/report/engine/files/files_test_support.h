// Shared set-up of the file tests: no real printers, page sizes from the paper, and a few
// builders.
#pragma once

#include "report/engine/files/rm_emf_pages.h"
#include "report/engine/files/rm_view_stream.h"
#include "report/engine/rm_memo_views.h"
#include "report/engine/rm_report.h"
#include "report/engine/startup/rm_engine_startup.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace pqtest {

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_engine.emplace(pq::TRMEngineOptions::Headless());
        pq::RMRegisterStandardAddIns();
    }
    void TearDown() override { m_engine.reset(); }

private:
    std::optional<pq::TRMEngineStartup> m_engine;
};

// A memo with every streamed field set to a value of its own.
inline void FillMemo(pq::TRMMemoView& m)
{
    m.Name = QStringLiteral("Memo1");
    m.SetBounds(10, 20, 100, 30);
    m.Flags = pq::flMemoWordwrap | pq::flPrintVisible;
    m.ExtFlags = pq::flMemoScaleFontSize;
    m.LeftFrame = {true, pq::psSolid | pq::kFrameDoubleBit, 0x0000FF, 1.5f};
    m.TopFrame = {true, pq::psDash, 0x00FF00, 2.0f};
    m.RightFrame = {false, pq::psDot, 0xFF0000, 0.5f};
    m.BottomFrame = {true, pq::psSolid, 0x123456, 3.25f};
    m.LineKind = 3;
    m.Gapx = 4;
    m.Gapy = 5;
    m.FillColor = 0xC0FFEE;
    m.BandAlign = pq::baRight;
    m.Format = 0x0102022E;
    m.FormatStr = QStringLiteral("#,##0.00");
    m.Memo = QStringList{QStringLiteral("Hello"), QStringLiteral("世界")};
    m.Memo1 = QStringList{QStringLiteral("printed 印")};
    m.OnBeforePrint = QStringList{QStringLiteral("a := 1;")};
    m.OnAfterPrint = QStringList{QStringLiteral("b := 2;"), QStringLiteral("c := 3;")};
    m.Visible = false;
    m.Restrictions = 0x0C;
    m.Tag = QStringLiteral("tag");
    m.Font.Name = QStringLiteral("宋体");
    m.Font.Size = 12;
    m.Font.Style = pq::TRMFont::fsBold | pq::TRMFont::fsUnderline;
    m.Font.Color = 0x112233;
    m.Alignment = 0x0A;
    m.Font.Charset = 134;
    m.Highlight.FontStyle = pq::TRMFont::fsItalic;
    m.Highlight.FontColor = 0x0000FF;
    m.Highlight.FillColor = 0x00FFFF;
    m.HighlightCondition = QStringLiteral("Value > 0");
    m.CharSpacing = 1;
    m.LineSpacing = 3;
    m.RotationType = pq::rt90;
    m.ScaleFontType = pq::ByHeight;
    m.FontScaleWidth = 7;
    m.MasterMemoView = QStringLiteral("Memo9");
}

} // namespace pqtest
