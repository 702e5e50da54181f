// Row bookkeeping while a picture loads.
#include <gtest/gtest.h>

#include <vector>

#include "load_progress.h"

namespace {

struct Fed {
    std::vector<int> repaints;
    int firstRepaintAt = -1;  // index of the call that asked for the first repaint
    int finishedAt = -1;      // index of the call that finished the page
};

Fed Feed(LoadProgress& p, const std::vector<int>& rows) {
    Fed run;
    for (size_t i = 0; i < rows.size(); ++i) {
        LoadProgress::Step s = p.OnRow(rows[i]);
        if (s.repaintBand >= 0 && run.repaints.empty()) run.firstRepaintAt = static_cast<int>(i);
        if (s.repaintBand >= 0) run.repaints.push_back(s.repaintBand);
        if (s.finished) run.finishedAt = static_cast<int>(i);
    }
    return run;
}

std::vector<int> TopDown(int height) {
    std::vector<int> rows(height);
    for (int i = 0; i < height; ++i) rows[i] = i;
    return rows;
}

}  // namespace

TEST(LoadProgressTest, BandCadence) {
    LoadProgress small;
    small.Start(256);
    EXPECT_EQ(256, small.bandRows);
    EXPECT_EQ(1, small.bandCount);
    LoadProgress large;
    large.Start(1000);
    EXPECT_EQ(62, large.bandRows);
    EXPECT_EQ(17, large.bandCount);
}

TEST(LoadProgressTest, TopDownRepaintsEachBandAsSoonAsItIsWhole) {
    LoadProgress p;
    p.Start(320);  // bands of 20 rows, 17 of them
    Fed run = Feed(p, TopDown(320));
    ASSERT_FALSE(run.repaints.empty());
    EXPECT_EQ(0, run.repaints.front());
    EXPECT_EQ(19, run.firstRepaintAt) << "at row 19 band 0 is whole";
    EXPECT_EQ(319, run.finishedAt);
    for (size_t i = 1; i < run.repaints.size(); ++i) EXPECT_EQ(run.repaints[i - 1] + 1, run.repaints[i]);
    EXPECT_FALSE(p.bottomUp);
    EXPECT_FALSE(p.interlaced);
    EXPECT_EQ(0, p.rowsSeen) << "reset for the next page";
}

TEST(LoadProgressTest, BottomUpCountsBandsDown) {
    LoadProgress p;
    p.Start(320);
    std::vector<int> rows = TopDown(320);
    std::vector<int> reversed(rows.rbegin(), rows.rend());
    Fed run = Feed(p, reversed);
    EXPECT_TRUE(p.bottomUp);
    EXPECT_FALSE(p.interlaced);
    ASSERT_FALSE(run.repaints.empty());
    EXPECT_EQ(p.bandCount - 1, run.repaints.front()) << "the bottom band arrived first";
    EXPECT_GE(run.repaints.back(), 0);
}

TEST(LoadProgressTest, RowsOutOfTurnInTheFirstBandMeanInterlaced) {
    LoadProgress p;
    p.Start(320);
    std::vector<int> rows;
    for (int pass = 0; pass < 2; ++pass)
        for (int r = pass; r < 320; r += 2) rows.push_back(r);  // even rows, then odd
    Fed run = Feed(p, rows);
    EXPECT_TRUE(p.interlaced);
    EXPECT_EQ(319, run.finishedAt);
}

TEST(LoadProgressTest, PercentAndSmallPictures) {
    LoadProgress p;
    p.Start(4);
    EXPECT_EQ(25, p.OnRow(0).percent);
    EXPECT_EQ(50, p.OnRow(1).percent);
    EXPECT_EQ(-1, p.OnRow(2).repaintBand) << "one band: nothing to repaint before the end";
    LoadProgress::Step last = p.OnRow(3);
    EXPECT_TRUE(last.finished);
    EXPECT_EQ(100, last.percent);

    LoadProgress empty;
    empty.Start(0);
    EXPECT_FALSE(empty.OnRow(0).finished);
}
