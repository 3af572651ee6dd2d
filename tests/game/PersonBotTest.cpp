// The shipped play level played by PersonBot: a player who sees only the
// screen, acts ten steps late and presses at most every sixteen steps.
#include "PersonBot.h"
#include "SectionMap.h"
#include "base/FramePacer.h"
#include "game/LevelGrid.h"
#include "base/FilePath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int64_t stepsPerMinute = 60000 / FramePacer::framePeriod;

struct Section {
    int firstRow;
    std::string name;
    int64_t passedAt = -1; // the step the pilot first rose above the section
};

// The sections as the text map marks them, from the bottom up.
std::vector<Section> sectionsFromTheBottom()
{
    std::vector<MapSection> marked;
    std::string problem;
    EXPECT_TRUE(readSectionMap(VANTORREL_LEVEL_MAP, marked, problem)) << problem;
    std::vector<Section> found;
    for (const MapSection& section : marked)
        found.insert(found.begin(), Section{section.firstRow, section.name});
    return found;
}

} // namespace

TEST(PersonBotOnTheShippedLevel, PassesThreeSectionsInThreeMinutesAndReachesTheTightStepsInTen)
{
    LevelGrid grid;
    ASSERT_TRUE(grid.load(FilePath::executableDirectory().join("levels").join("pilot.png")));
    std::vector<Section> sections = sectionsFromTheBottom();
    ASSERT_GE(sections.size(), 4u);
    PilotBody body(60.0f, 984.0f);
    PersonBot bot;
    int64_t lastPress = -PersonBot::pressGap;
    float highest = body.y;
    for (int64_t step = 0; step < 10 * stepsPerMinute; ++step) {
        const PersonBot::Keys keys = bot.next(body, grid);
        PilotInput input;
        input.left = keys.left;
        input.right = keys.right;
        if (keys.jump) {
            ASSERT_GE(step - lastPress, PersonBot::pressGap) << "step " << step;
            lastPress = step;
            body.requestJump();
        }
        body.update(input, grid);
        ASSERT_LT(body.flightSpeed(), PilotBody::winningFlightSpeed) << "step " << step;
        highest = std::min(highest, body.y);
        for (Section& section : sections) {
            if (section.passedAt < 0 && body.y < static_cast<float>(section.firstRow)) {
                section.passedAt = step;
            }
        }
    }
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_GE(sections[i].passedAt, 0) << sections[i].name;
        EXPECT_LT(sections[i].passedAt, 3 * stepsPerMinute) << sections[i].name;
    }
    // Ten minutes take it through six sections, in order, and into the
    // seventh: steps every two rows are too quick for its kicks.
    std::size_t passed = 0;
    while (passed < sections.size() && sections[passed].passedAt >= 0) {
        EXPECT_TRUE(passed == 0 || sections[passed].passedAt > sections[passed - 1].passedAt);
        ++passed;
    }
    ASSERT_LT(passed, sections.size());
    EXPECT_EQ(sections[passed].name, "tight steps");
    EXPECT_LT(highest, static_cast<float>(sections[passed - 1].firstRow));
}

namespace {

struct Play {
    std::vector<Section> sections = sectionsFromTheBottom(); // with the steps they were passed at
    int64_t wonAt = -1;
};

// The bot on the shipped level for `minutes` of game time, or to the win.
Play play(PersonBot bot, bool kickBuffer, int64_t minutes)
{
    Play result;
    LevelGrid grid;
    EXPECT_TRUE(grid.load(FilePath::executableDirectory().join("levels").join("pilot.png")));
    PilotBody body(60.0f, 984.0f);
    body.kickBuffer = kickBuffer;
    for (int64_t step = 0; step < minutes * stepsPerMinute && result.wonAt < 0; ++step) {
        const PersonBot::Keys keys = bot.next(body, grid);
        body.jumpRequested = keys.jump;
        body.update(PilotInput{0, keys.left, keys.right, 0}, grid);
        result.wonAt = body.flightSpeed() >= PilotBody::winningFlightSpeed ? step : -1;
        for (Section& section : result.sections) {
            if (section.passedAt < 0 && body.y < static_cast<float>(section.firstRow)) {
                section.passedAt = step;
            }
        }
    }
    return result;
}

} // namespace

TEST(PersonBotOnTheShippedLevel, AHandUpToThreeStepsOffPassesTheMeadowInTwoMinutes)
{
    // Full speed without help, and 70 % game speed with the kick buffer,
    // each with two seeds. What it reaches is pinned on the climb as it
    // stands: every run is stuck in the side steps at ten minutes, so even
    // the helped hand does not win yet. A reworked level moves these pins.
    struct Case {
        uint64_t seed;
        float gameSpeed;
        bool kickBuffer;
    };
    for (const Case& c : std::initializer_list<Case>{{1, 1.0f, false}, {2, 1.0f, false}, {1, 0.7f, true}, {2, 0.7f, true}}) {
        const Play result = play(PersonBot(c.seed, 3, c.gameSpeed), c.kickBuffer, 10);
        ASSERT_GE(result.sections.size(), 4u);
        EXPECT_GE(result.sections[0].passedAt, 0) << c.seed << " " << c.gameSpeed;
        EXPECT_LT(result.sections[0].passedAt, 2 * stepsPerMinute) << c.seed << " " << c.gameSpeed;
        std::size_t passed = 0;
        while (passed < result.sections.size() && result.sections[passed].passedAt >= 0) {
            ++passed;
        }
        ASSERT_LT(passed, result.sections.size());
        EXPECT_EQ(result.sections[passed].name, "side steps") << c.seed << " " << c.gameSpeed;
        EXPECT_EQ(result.wonAt, -1) << c.seed << " " << c.gameSpeed;
    }
}
