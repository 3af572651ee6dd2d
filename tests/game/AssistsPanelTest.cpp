#include "game/AssistsPanel.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Press {
    const char* action;
    SDLKey key = SDLK_UNKNOWN;
};

} // namespace

TEST(AssistsPanel, PressesChangeTheAssistsWithinTheirBoundsAndOnlyWhileOpen)
{
    using Row = AssistsPanel::Row;
    const Assists off;
    const struct {
        const char* name;
        Assists start;
        std::vector<Press> presses; // the panel starts closed
        Assists expected;
        bool open;
        Row row;
        bool lastTaken; // the last press was the panel's, not the screen's
    } cases[] = {
        {"a closed panel leaves presses to the screen", off, {{"Action"}}, off, false, Row::gameSpeed, false},
        {"Escape when closed is the screen's", off, {{"Escape"}}, off, false, Row::gameSpeed, false},
        {"the open key opens it", off, {{"Assists"}}, off, true, Row::gameSpeed, true},
        {"Escape only closes it", off, {{"Assists"}, {"Escape"}}, off, false, Row::gameSpeed, true},
        {"the open key closes it", off, {{"Assists"}, {"Assists"}}, off, false, Row::gameSpeed, true},
        {"Pause closes it", off, {{"Assists"}, {"Pause"}}, off, false, Row::gameSpeed, true},
        {"an unbound key is swallowed", off, {{"Assists"}, {""}}, off, true, Row::gameSpeed, true},
        {"Left slows", off, {{"Assists"}, {"P1Left"}}, {90, false}, true, Row::gameSpeed, true},
        {"Left stops at 50", {60, false}, {{"Assists"}, {"P1Left"}, {"P1Left"}}, {50, false}, true, Row::gameSpeed,
         true},
        {"Right stops at 100", {90, false}, {{"Assists"}, {"P1Right"}, {"P1Right"}}, off, true, Row::gameSpeed, true},
        {"jump steps down", off, {{"Assists"}, {"Action"}}, {90, false}, true, Row::gameSpeed, true},
        {"jump wraps 50 to 100", {50, false}, {{"Assists"}, {"Action"}}, off, true, Row::gameSpeed, true},
        {"Return steps like jump", off, {{"Assists"}, {"", SDLK_RETURN}}, {90, false}, true, Row::gameSpeed, true},
        {"Down reaches the buffer", off, {{"Assists"}, {"P1Down"}}, off, true, Row::kickBuffer, true},
        {"Up wraps to the buffer", off, {{"Assists"}, {"P1Up"}}, off, true, Row::kickBuffer, true},
        {"Down wraps back", off, {{"Assists"}, {"P1Down"}, {"P1Down"}}, off, true, Row::gameSpeed, true},
        {"Right turns the buffer on, twice", off, {{"Assists"}, {"P1Down"}, {"P1Right"}, {"P1Right"}},
         {100, true}, true, Row::kickBuffer, true},
        {"Left turns it off", {100, true}, {{"Assists"}, {"P1Down"}, {"P1Left"}}, off, true, Row::kickBuffer, true},
        {"jump toggles it, speed kept", {70, false}, {{"Assists"}, {"P1Down"}, {"Action"}}, {70, true}, true,
         Row::kickBuffer, true},
        {"the row stays when reopened", off, {{"Assists"}, {"P1Down"}, {"Escape"}, {"Assists"}}, off, true,
         Row::kickBuffer, true},
    };
    for (const auto& c : cases) {
        AssistsPanel panel;
        Assists assists = c.start;
        bool taken = false;
        for (const Press& press : c.presses)
            taken = panel.press(press.action, press.key, assists);
        EXPECT_EQ(assists, c.expected) << c.name;
        EXPECT_EQ(panel.isOpen(), c.open) << c.name;
        EXPECT_EQ(panel.selectedRow(), c.row) << c.name;
        EXPECT_EQ(taken, c.lastTaken) << c.name;
    }
    EXPECT_EQ(AssistsPanel::valueText(Row::gameSpeed, {70, false}), "70 percent");
    EXPECT_EQ(AssistsPanel::valueText(Row::kickBuffer, {70, true}), "on");
}
