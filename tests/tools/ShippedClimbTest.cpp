// The shipped play level searched whole, as its README reports it: a win at
// a press every eight frames along the route the game's tests play, no win
// zone below the summit at any press gap (1, 2 and 3 included: a turbo
// button), and the summit the step no slow hand takes: every section below
// it passed at a press every 16th or 24th frame, the summit won at every
// 12th.
#include "game/RouteScript.h"
#include "RouteSearch.h"
#include "SectionMap.h"

#include "game/LevelGrid.h"
#include "base/FilePath.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

struct Section {
    int firstRow;
    int lastRow;
    std::string name;
};

// The sections as the text map marks them ("; section: rows A-B: name").
std::vector<Section> sections()
{
    std::vector<MapSection> marked;
    std::string problem;
    EXPECT_TRUE(readSectionMap(VANTORREL_LEVEL_MAP, marked, problem)) << problem;
    std::vector<Section> found;
    for (const MapSection& section : marked)
        found.push_back({section.firstRow, section.lastRow, section.name});
    return found;
}

const Section& summit(const std::vector<Section>& all)
{
    // The sections are listed from the top of the picture down.
    return all.front();
}

RouteSearch::Result search(int gap)
{
    LevelGrid grid;
    EXPECT_TRUE(grid.load(FilePath::executableDirectory().join("levels").join("pilot.png")));
    RouteSearch::Options options;
    options.pressGap = gap;
    return RouteSearch::run(grid, options);
}

} // namespace

TEST(ShippedClimb, TheMapMarksEightSectionsFromTheSummitDown)
{
    const std::vector<Section> all = sections();
    ASSERT_EQ(all.size(), 8u);
    EXPECT_EQ(all.front().name, "the summit");
    EXPECT_EQ(all.back().name, "the meadow");
    EXPECT_EQ(all.back().lastRow, 987); // the start room's floor
    for (std::size_t i = 1; i < all.size(); ++i) {
        EXPECT_EQ(all[i].firstRow, all[i - 1].lastRow + 1) << all[i].name << " follows " << all[i - 1].name;
    }
}

TEST(ShippedClimb, AtAPressEveryEighthFrameTheFastestWinIsTheRouteTheGameTestsPlay)
{
    const RouteSearch::Result result = search(8);
    ASSERT_TRUE(result.complete);
    ASSERT_FALSE(result.fastestWin.empty());
    // Thirty-six to ninety seconds of play.
    EXPECT_GE(result.fastestWin.size(), 2400u);
    EXPECT_LE(result.fastestWin.size(), 6000u);
    std::ifstream in(VANTORREL_LEVEL_ROUTE);
    Route committed;
    std::string error;
    ASSERT_TRUE(routescript::read(in, committed, error)) << error;
    EXPECT_EQ(result.fastestWin, committed) << "repaint the route: levelcheck runtime/levels/pilot.png --route "
                                               "tools/levels/pilot-route.txt";
    const std::vector<Section> all = sections();
    EXPECT_GE(result.winRow, summit(all).firstRow);
    EXPECT_LE(result.winRow, summit(all).lastRow);
}

// The highest row any search state reached.
int highestRowReached(const RouteSearch::Result& result)
{
    for (int row = 0; row < result.height; ++row) {
        for (int column = 0; column < result.width; ++column) {
            if (result.firstFrame[static_cast<std::size_t>(row * result.width + column)] >= 0) {
                return row;
            }
        }
    }
    return result.height;
}

void expectNoWinBelowTheSummit(const RouteSearch::Result& result, int gap)
{
    const std::vector<Section> all = sections();
    for (int row = summit(all).lastRow + 1; row < result.height; ++row) {
        for (int column = 0; column < result.width; ++column) {
            ASSERT_EQ(result.winZone[static_cast<std::size_t>(row * result.width + column)], 0)
                << "press gap " << gap << ": a win at (" << column << ", " << row << ")";
        }
    }
}

TEST(ShippedClimb, AtPressGapsOneTwoAndThreeNoWinLiesBelowTheSummit)
{
    // A press sooner than four steps after a jump is dropped, so these all
    // play like a press every fourth frame: the fastest kicks anyone gets.
    for (const int gap : {1, 2, 3}) {
        const RouteSearch::Result result = search(gap);
        ASSERT_TRUE(result.complete) << gap;
        expectNoWinBelowTheSummit(result, gap);
        EXPECT_GT(result.winZoneCells, 0) << gap; // the summit shaft
        EXPECT_LT(highestRowReached(result), summit(sections()).lastRow) << gap;
    }
}

TEST(ShippedClimb, SlowerPressesReachTheSummitButOnlyEveryTwelfthFrameOrFasterWins)
{
    const std::vector<Section> all = sections();
    const int floor = all.back().lastRow;
    const int climb = floor - summit(all).firstRow;
    struct Case {
        int gap;
        int passes;          // rows of the climb above the start room's floor it gets beyond
        const char* stuckIn; // the section of the highest row it reaches
        bool wins;
    };
    for (const Case& c : {Case{24, climb / 2, "the summit", false}, Case{16, climb / 2, "the summit", false},
                          Case{12, climb, "the summit", true}}) {
        const RouteSearch::Result result = search(c.gap);
        ASSERT_TRUE(result.complete) << c.gap;
        expectNoWinBelowTheSummit(result, c.gap);
        const int highest = highestRowReached(result);
        EXPECT_LT(highest, floor - c.passes) << c.gap;
        std::string section; // from the top down: the first section not wholly below it
        for (std::size_t i = 0; i < all.size() && section.empty(); ++i) {
            section = highest <= all[i].lastRow ? all[i].name : "";
        }
        EXPECT_EQ(section, c.stuckIn) << c.gap;
        EXPECT_EQ(!result.fastestWin.empty(), c.wins) << c.gap;
    }
}
