#include "game/TitleScreen.h"

#include "render/Drawer.h"

#include <algorithm>

const std::array<std::string, TitleStory::lineCount>& TitleStory::lines()
{
    static const std::array<std::string, lineCount> story = {
        "",
        "Trapped in the past",
        "With no chance of rescue",
        "You have only one hope...",
        "",
        "If you can wall jump at 88mph you will coax open the Quorrel, and can crawl home through its "
        "temporal intestines",
        "Now go! Run! Wall jump for glory!",
    };
    return story;
}

bool TitleStory::tick()
{
    // Once the last line is up the clock stops for good.
    if (countdown <= 0)
        return false;
    if (--countdown > 0)
        return false;
    ++index;
    if (index >= lineCount)
        return false;
    countdown = lineFrames;
    return true;
}

TitleStory::Press TitleStory::press()
{
    if (index > lastStoryLine)
        return Press::StartPlay;
    ++index;
    countdown = lineFrames;
    return Press::Advanced;
}

const std::string& TitleStory::storyLine() const
{
    return lines()[static_cast<size_t>(std::min(index, lastStoryLine))];
}

TitleScreen::TitleScreen(Application& owner) : GameState(owner) {}

void TitleScreen::frame(Drawer& drawer)
{
    drawer.fillRect(0, 0, 1280, 480, 0, 0, 0, 255);
    storyClock.tick();
}

void TitleScreen::actionPressed(const std::string& action, const SDL_keysym&)
{
    if (action == "Escape") {
        quit();
        return;
    }
    if (storyClock.press() == TitleStory::Press::StartPlay)
        switchTo("GamePlay"); // destroys this screen: nothing may follow
}
