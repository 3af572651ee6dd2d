// The shipped play level searched whole, as its README reports it: a win at
// a press every eight frames along the route the game's tests play, no win
// zone below the summit even at a press every third frame, and every section
// within reach at a press every twelfth frame.
#include "game/RouteScript.h"
#include "RouteSearch.h"

#include "game/LevelGrid.h"
#include "render/FilePath.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
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
    std::vector<Section> found;
    std::ifstream map(VANTORREL_LEVEL_MAP);
    const std::regex marker("; section: rows ([0-9]+)-([0-9]+): (.+)");
    for (std::string line; std::getline(map, line);) {
        std::smatch match;
        if (std::regex_match(line, match, marker)) {
            found.push_back({std::stoi(match[1]), std::stoi(match[2]), match[3]});
        }
    }
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

TEST(ShippedClimb, TheMapMarksTenSectionsFromTheSummitDown)
{
    const std::vector<Section> all = sections();
    ASSERT_EQ(all.size(), 10u);
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
    // Forty to ninety seconds of play.
    EXPECT_GE(result.fastestWin.size(), 2700u);
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

TEST(ShippedClimb, AtAPressEveryThirdFrameNoSectionBelowTheSummitReachesTheWinningSpeed)
{
    const RouteSearch::Result result = search(3);
    ASSERT_TRUE(result.complete);
    const std::vector<Section> all = sections();
    for (const Section& section : all) {
        if (&section == &summit(all)) {
            continue;
        }
        bool reached = false;
        for (int row = section.firstRow; row <= section.lastRow; ++row) {
            for (int column = 0; column < result.width; ++column) {
                const std::size_t cell = static_cast<std::size_t>(row * result.width + column);
                reached = reached || result.firstFrame[cell] >= 0;
                ASSERT_EQ(result.winZone[cell], 0) << section.name << ": a win at (" << column << ", " << row << ")";
            }
        }
        EXPECT_TRUE(reached) << section.name;
    }
    EXPECT_GT(result.winZoneCells, 0); // the summit shaft
}

TEST(ShippedClimb, AtAPressEveryTwelfthFrameEverySectionIsReachedAndTheSummitWins)
{
    const RouteSearch::Result result = search(12);
    ASSERT_TRUE(result.complete);
    ASSERT_FALSE(result.fastestWin.empty());
    const std::vector<Section> all = sections();
    EXPECT_GE(result.winRow, summit(all).firstRow);
    for (const Section& section : all) {
        int reached = 0;
        for (int row = section.firstRow; row <= section.lastRow; ++row) {
            for (int column = 0; column < result.width; ++column) {
                reached += result.firstFrame[static_cast<std::size_t>(row * result.width + column)] >= 0 ? 1 : 0;
            }
        }
        EXPECT_GT(reached, 100) << section.name;
    }
}
