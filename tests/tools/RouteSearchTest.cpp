// The search's parts: the bucket set, the route text, and what the search
// finds on small levels whose answers are known.
#include "BucketSet.h"
#include "game/RouteScript.h"
#include "RouteSearch.h"

#include "GridMaps.h"
#include "game/PilotBody.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// A one-cell shaft `height` rows tall over a floor, capped, in a picture
// five wide; the pilot starts on the floor.
LevelGrid shaftLevel(int height)
{
    std::vector<std::string> rows(1, "#####");
    for (int row = 0; row < height; ++row) {
        rows.push_back("##.##");
    }
    rows.push_back("#####");
    return gridFromMap(rows);
}

RouteSearch::Options startAt(int column, int row, int gap)
{
    RouteSearch::Options options;
    options.startColumn = column;
    options.startRow = row;
    options.pressGap = gap;
    return options;
}

float topSpeed(const RouteSearch::Result& result)
{
    float top = 0.0f;
    for (float speed : result.topFlightSpeed) {
        top = std::max(top, speed);
    }
    return top;
}

} // namespace

TEST(BucketSet, AKeyComesInOnceUnlessItComesWithMoreFreedom)
{
    BucketSet set;
    EXPECT_TRUE(set.improve(42, 3));
    EXPECT_FALSE(set.improve(42, 3));
    EXPECT_FALSE(set.improve(42, 1));
    EXPECT_TRUE(set.improve(42, 8)); // more frames since the last press: worth another look
    EXPECT_FALSE(set.improve(42, 8));
    EXPECT_EQ(set.size(), 1u);
    // Growing keeps every key and its freedom.
    for (uint64_t key = 1000; key < 301000; ++key) {
        ASSERT_TRUE(set.improve(key * 0x9e3779b97f4a7c15ull, 2));
    }
    EXPECT_EQ(set.size(), 300001u);
    for (uint64_t key = 1000; key < 301000; key += 997) {
        ASSERT_FALSE(set.improve(key * 0x9e3779b97f4a7c15ull, 2));
        ASSERT_TRUE(set.improve(key * 0x9e3779b97f4a7c15ull, 5));
    }
    EXPECT_FALSE(set.improve(42, 7));
}

TEST(RouteText, WritesAndReadsThreeCharactersAFrame)
{
    const Route route = {{true, false, false}, {false, true, true}, {true, true, false}, {false, false, false}};
    std::ostringstream out;
    routescript::write(out, route);
    EXPECT_EQ(out.str(), "L--\n-RJ\nLR-\n---\n");
    std::istringstream in(out.str());
    Route read;
    std::string error;
    ASSERT_TRUE(routescript::read(in, read, error));
    EXPECT_EQ(read, route);
    EXPECT_EQ(routescript::presses(route), 1);
    std::istringstream windows("L--\r\n--J\r\n");
    ASSERT_TRUE(routescript::read(windows, read, error));
    EXPECT_EQ(read.size(), 2u);
}

TEST(RouteText, AMalformedLineIsNamedWithItsNumber)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"---\nLRJ\nR--\n", "line 3: want three characters [L-][R-][J-], got \"R--\""},
        {"---\n\n", "line 2: want three characters [L-][R-][J-], got \"\""},
        {"----\n", "line 1: want three characters [L-][R-][J-], got \"----\""},
        {"-- \n", "line 1: want three characters [L-][R-][J-], got \"-- \""},
        {"--J" + std::string(40, 'x') + "\n", "line 1: want three characters [L-][R-][J-], got \"--Jxxxxxxxxxxxxx\"..."},
    };
    for (const auto& [text, message] : cases) {
        std::istringstream in(text);
        Route route;
        std::string error;
        EXPECT_FALSE(routescript::read(in, route, error)) << text;
        EXPECT_EQ(error, message);
    }
}

TEST(RouteSearchFacts, AShortShaftCannotReachTheWinningSpeedEvenAtAPressEveryThirdFrame)
{
    // Eight rows: the shaft tops out well below the mark.
    const RouteSearch::Result result = RouteSearch::run(shaftLevel(8), startAt(2, 8, 3));
    EXPECT_TRUE(result.complete);
    EXPECT_TRUE(result.fastestWin.empty());
    EXPECT_EQ(result.winZoneCells, 0);
    EXPECT_GT(topSpeed(result), 0.5f);  // it does kick
    EXPECT_LT(topSpeed(result), 1.3f);
    EXPECT_EQ(result.cellsReached, 8); // every cell of the shaft
}

TEST(RouteSearchFacts, ATallShaftWinsAndItsRouteReplaysToTheWin)
{
    const LevelGrid grid = shaftLevel(60);
    const RouteSearch::Result result = RouteSearch::run(grid, startAt(2, 60, 3));
    ASSERT_FALSE(result.fastestWin.empty());
    EXPECT_GT(result.winZoneCells, 0);
    const std::vector<PilotBody> path = routescript::replay(grid, 2.0f, 60.0f, result.fastestWin);
    EXPECT_GE(path.back().flightSpeed(), PilotBody::winningFlightSpeed);
    EXPECT_EQ(static_cast<int>(path.back().x), result.winColumn);
    EXPECT_EQ(static_cast<int>(path.back().y), result.winRow);
    EXPECT_EQ(result.winZone[static_cast<std::size_t>(result.winRow * grid.getWidth() + result.winColumn)], 1);
    // The first frame the pilot is in each cell is counted from the start.
    EXPECT_EQ(result.firstFrame[static_cast<std::size_t>(60 * grid.getWidth() + 2)], 0);
    EXPECT_EQ(result.firstFrame[0], -1); // solid: never
}

TEST(RouteSearchFacts, TheAnswerDoesNotDependOnTheNumberOfWorkers)
{
    // A room with a shaft at one end: enough states to spread over workers.
    std::vector<std::string> rows(1, std::string(40, '#'));
    for (int row = 0; row < 50; ++row) {
        rows.push_back("#" + std::string(37, '#') + ".#");
    }
    for (int row = 0; row < 8; ++row) {
        rows.push_back("#" + std::string(38, '.') + "#");
    }
    rows.push_back(std::string(40, '#'));
    const LevelGrid grid = gridFromMap(rows);
    RouteSearch::Options one = startAt(3, 58, 4);
    one.threads = 1;
    RouteSearch::Options two = one;
    two.threads = 2;
    const RouteSearch::Result a = RouteSearch::run(grid, one);
    const RouteSearch::Result b = RouteSearch::run(grid, two);
    ASSERT_FALSE(a.fastestWin.empty());
    EXPECT_EQ(a.fastestWin, b.fastestWin);
    EXPECT_EQ(a.states, b.states);
    EXPECT_EQ(a.frames, b.frames);
    EXPECT_EQ(a.firstFrame, b.firstFrame);
    EXPECT_EQ(a.winZone, b.winZone);
}

TEST(RouteSearchFacts, ALimitStopsTheSearchAndSaysSo)
{
    RouteSearch::Options options = startAt(2, 60, 3);
    options.stateLimit = 500;
    const RouteSearch::Result result = RouteSearch::run(shaftLevel(60), options);
    EXPECT_FALSE(result.complete);
    EXPECT_GE(result.states, 500);
    EXPECT_LT(result.states, 5000);
    RouteSearch::Options frames = startAt(2, 60, 3);
    frames.frameLimit = 20;
    const RouteSearch::Result early = RouteSearch::run(shaftLevel(60), frames);
    EXPECT_FALSE(early.complete);
    EXPECT_EQ(early.frames, 20);
}

TEST(RouteSearchFacts, ProgressComesOnceAFrame)
{
    std::vector<int> frames;
    const RouteSearch::Result result =
        RouteSearch::run(shaftLevel(8), startAt(2, 8, 8), [&](const RouteSearch::Progress& now) { frames.push_back(now.frame); });
    ASSERT_EQ(static_cast<int>(frames.size()), result.frames);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        ASSERT_EQ(frames[i], static_cast<int>(i) + 1);
    }
}
