#include "game/AssistsPanel.h"

#include <gtest/gtest.h>
#include <map>

TEST(AssistsPanel, PressesChangeTheAssistsWithinTheirBoundsAndOnlyWhileOpen)
{
    // Presses: o the open key, e Escape, p Pause, j jump, n Return, u unbound, < > v the arrows.
    const std::map<char, const char*> actions = {{'o', "Assists"}, {'e', "Escape"}, {'p', "Pause"}, {'j', "Action"},
        {'n', ""}, {'u', ""}, {'<', "P1Left"}, {'>', "P1Right"}, {'v', "P1Down"}};
    const struct {
        Assists start;
        const char* presses; // the panel starts closed
        Assists expected;
        // Open after the presses; the kick buffer's row chosen; the last press the panel's, not the screen's.
        bool open, bufferRow, lastTaken;
    } cases[] = {
        {{}, "j", {}, false, false, false},           {{}, "e", {}, false, false, false},
        {{}, "o", {}, true, false, true},             {{}, "oe", {}, false, false, true},
        {{}, "oo", {}, false, false, true},           {{}, "op", {}, false, false, true},
        {{}, "ou", {}, true, false, true},            {{}, "o<", {90, false}, true, false, true},
        {{60, false}, "o<<", {50, false}, true, false, true}, {{90, false}, "o>>", {}, true, false, true},
        {{}, "oj", {90, false}, true, false, true},   {{50, false}, "oj", {}, true, false, true},
        {{}, "on", {90, false}, true, false, true},   {{}, "ov", {}, true, true, true},
        {{}, "ovv", {}, true, false, true},           {{}, "ov>>", {100, true}, true, true, true},
        {{100, true}, "ov<", {}, true, true, true},   {{70, false}, "ovj", {70, true}, true, true, true},
        {{}, "oveo", {}, true, true, true},           {{}, "oejj", {}, false, false, false},
    };
    for (const auto& c : cases) {
        AssistsPanel panel;
        Assists assists = c.start;
        bool taken = false;
        for (const char* press = c.presses; *press != '\0'; ++press)
            taken = panel.press(actions.at(*press), *press == 'n' ? SDLK_RETURN : SDLK_UNKNOWN, assists);
        EXPECT_TRUE(assists == c.expected && panel.isOpen() == c.open && taken == c.lastTaken &&
                    (panel.selectedRow() == AssistsPanel::Row::kickBuffer) == c.bufferRow)
            << c.start.gameSpeed << " " << c.presses << ": " << assists.gameSpeed << " " << assists.kickBuffer;
    }
}
