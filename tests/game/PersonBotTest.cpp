// The shipped play level played by PersonBot: a player who sees only the
// screen, acts ten steps late and presses at most every sixteen steps.
#include "PersonBot.h"
#include "base/FramePacer.h"
#include "game/LevelGrid.h"
#include "base/FilePath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
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
    std::vector<Section> found;
    std::ifstream map(VANTORREL_LEVEL_MAP);
    const std::regex marker("; section: rows ([0-9]+)-([0-9]+): (.+)");
    for (std::string line; std::getline(map, line);) {
        std::smatch match;
        if (std::regex_match(line, match, marker)) {
            found.insert(found.begin(), Section{std::stoi(match[1]), match[3]});
        }
    }
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
