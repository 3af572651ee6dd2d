// Every screen's drawing only shows what its steps left: a draw that moved
// an animation, a clock or a trail on would draw differently the second time.
#include "RecordingDrawer.h"
#include "game/Epilogue.h"
#include "game/GamePlay.h"
#include "game/PictureTexture.h"
#include "game/ScreenHost.h"
#include "game/TitleScreen.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// Keeps what the screens ask for; switches nothing.
class QuietHost : public ScreenHost {
public:
    void switchState(const std::string& name) override { switches.push_back(name); }
    void quit() override {}
    void setRunOutcome(const RunOutcome& outcome) override { run = outcome; }
    const RunOutcome& getRunOutcome() const override { return run; }
    const Assists& getAssists() const override { return assists; }
    void setReplayPace(std::optional<int>) override {}

    std::vector<std::string> switches;
    Assists assists;
    RunOutcome run{83250, 90000, true};
};

// The calls of one draw, textures and fonts made aside.
std::vector<std::string> drawing(const GameState& screen, RecordingDrawer& drawer)
{
    drawer.clear();
    screen.draw(drawer);
    std::vector<std::string> calls;
    for (const std::string& call : drawer.calls)
        if (call.rfind("createTexture", 0) != 0 && call.rfind("loadFont", 0) != 0)
            calls.push_back(call);
    return calls;
}

} // namespace

TEST(StepAndDraw, DrawingTwiceBetweenStepsDrawsTheSameOnEveryScreen)
{
    struct Case {
        std::string name;
        std::function<std::unique_ptr<GameState>(ScreenHost&)> make;
        int steps;   // enough for the screen's changes: lines, texts, kicks
        std::vector<std::pair<int, std::string>> presses; // before that step
    };
    const std::vector<Case> cases = {
        {"TitleScreen", [](ScreenHost& host) { return std::make_unique<TitleScreen>(host); }, 160, {}},
        {"Epilogue", [](ScreenHost& host) { return std::make_unique<Epilogue>(host); }, 310, {}},
        {"GamePlay", [](ScreenHost& host) { return std::make_unique<GamePlay>(host); }, 120,
         {{1, "P1Left"}, {30, "Action"}, {61, "P1Up"}, {90, "Pause"}, {100, "Pause"}}},
    };
    for (const Case& screenCase : cases) {
        ProcessTexture::forgetAll(); // a new drawer
        QuietHost host;
        RecordingDrawer drawer;
        std::unique_ptr<GameState> screen = screenCase.make(host);
        std::size_t nextPress = 0;
        for (int step = 1; step <= screenCase.steps; ++step) {
            for (; nextPress < screenCase.presses.size() && screenCase.presses[nextPress].first == step; ++nextPress)
                screen->actionPressed(screenCase.presses[nextPress].second, SDL_keysym{});
            ASSERT_TRUE(screen->step()) << screenCase.name << " step " << step;
            const std::vector<std::string> first = drawing(*screen, drawer);
            ASSERT_FALSE(first.empty()) << screenCase.name;
            ASSERT_EQ(drawing(*screen, drawer), first) << screenCase.name << " step " << step;
        }
        EXPECT_TRUE(host.switches.empty()) << screenCase.name;
    }
}
