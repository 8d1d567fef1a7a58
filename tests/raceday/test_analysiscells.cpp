// The texts of an analysis run block's cells (the data-check grid's 54 columns are checked in
// test_vzkcheck): each cell reads its own field of the block.

#include "raceday/analysiscells.h"

#include "keiba/sjis.h"
#include "tests/support/analysismaker.h"

#include <gtest/gtest.h>

using raceday::RunCell;

// The flag and rank fields stand side by side in the block: set so that a cell that read its
// neighbour's field would show another text.
TEST(AnalysisCells, EachCellReadsItsOwnField) {
    testsupport::AnalysisMaker m("20241124", "05", 11, 3);
    m.This(33, 1, "0").This(34, 1, "1").This(35, 1, "0").This(36, 1, "1").This(37, 1, "0");
    m.This(39, 1, "1").This(40, 5, "0.125").This(45, 5, "0.250").This(50, 1, "S");
    m.This(51, 1, "B").This(52, 1, "0").This(53, 3, "123");
    jvdata::TAnalysisRecord rec;
    rec.Assign(m.Bytes());
    const jvdata::TAnalysisRun run = rec.ThisRun();
    auto cell = [&](RunCell c) { return keiba::Cp932ToUtf8(raceday::RunCellText(run, c)); };
    EXPECT_EQ(cell(RunCell::Josho), "　");
    EXPECT_EQ(cell(RunCell::Senzai), "★");
    EXPECT_EQ(cell(RunCell::Keiken), "　");
    EXPECT_EQ(cell(RunCell::Course), "○");
    EXPECT_EQ(cell(RunCell::Kyori), "　");
    EXPECT_EQ(cell(RunCell::HiLvKoso), "○");
    EXPECT_EQ(cell(RunCell::HiLvRate), "0.125");
    EXPECT_EQ(cell(RunCell::LoLvRate), "0.250");
    EXPECT_EQ(cell(RunCell::Pedigree), "S");
    EXPECT_EQ(cell(RunCell::Jockey), "B");
    EXPECT_EQ(cell(RunCell::FirstHigh), "　");
    EXPECT_EQ(cell(RunCell::Past5), "123");
    // odds in tenths: the smallest one shows, nothing shows five blanks
    m.This(25, 4, "0001");
    rec.Assign(m.Bytes());
    EXPECT_EQ(keiba::Cp932ToUtf8(raceday::RunCellText(rec.ThisRun(), RunCell::Odds)), "  0.1");
}
