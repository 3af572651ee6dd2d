#include "game/TitleScreen.h"

#include "audio/AudioSingleton.h"
#include "data/Pictures.h"
#include "game/Backdrop.h"
#include "game/PictureTexture.h"
#include "render/Drawer.h"

#include <algorithm>

namespace {

constexpr const char* fontName = "MarsNeedsCunnilingus.ttf";
constexpr float logoX = 128.0f;       // logical pixels
constexpr float darkHeight = 480.0f;  // black band above the floor glow, logical pixels
constexpr float glowHeight = 1280.0f; // only its darkest part shows, logical pixels
constexpr float grainScale = 1.25f;   // the 1024-pixel grain covers 1280 x 1280
constexpr float grainAlpha = 0.5f;
constexpr int alphaBlend = 0;
constexpr int additiveBlend = 1;
// The story waits for a new sound stream to be heard (AudioSingleton::isHeard)
// before its clock starts, so that the first line's boom is not lost with the
// stream's first moment; at most this many steps (2 s), for a stream that
// never plays.
constexpr int soundWaitSteps = 133;

// Made on the first frame and kept for the process.
ProcessTexture grainTexture;
ProcessTexture logoTexture;
ProcessFont storyFont;
ProcessFont controlsFont;
ProcessStill backdropStill;
ProcessStill logoStill;

struct TitleResources {
    uint32_t grain;
    uint32_t logo;
    int font;
    int controlsFont;
};

TitleResources resourcesFor(Drawer& drawer)
{
    // A braced list is evaluated in order: grain, logo, then the font.
    return {grainTexture.key(drawer, pictures::grain(), false), logoTexture.key(drawer, pictures::titleLogo(), false),
            storyFont.number(drawer, fontName, TitleScreen::storyPoints),
            controlsFont.number(drawer, fontName, TitleScreen::controlsPoints)};
}

void boom()
{
    AudioSingleton::instance().playBoom();
}

} // namespace

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

TitleScreen::TitleScreen(ScreenHost& host) : GameState(host) {}

bool TitleScreen::step()
{
    shown = storyClock;
    if (soundWait < soundWaitSteps && !AudioSingleton::instance().isHeard()) {
        ++soundWait;
        return true;
    }
    soundWait = soundWaitSteps;
    if (storyClock.tick())
        boom();
    return true;
}

void TitleScreen::draw(Drawer& drawer) const
{
    const TitleResources resources = resourcesFor(drawer);
    // The dark floor with its grain, and later the logo, never change: drawn
    // once, then shown from the drawer's kept still. The logo lies wholly
    // above the story line (its picture is transparent from row
    // logoBottomRow down), so drawing it before the text gives the same
    // picture as after it.
    const bool logo = shown.showsLogo();
    (logo ? logoStill : backdropStill).show(drawer, [&] {
        const float width = drawer.getWidth();
        drawer.fillRect(0.0f, 0.0f, width, darkHeight, 0, 0, 0, 255);
        drawer.fillGradientRect(0.0f, darkHeight, width, glowHeight, 0, 0, 0, 255, 64, 64, 64, 255);
        drawer.setBlendMode(additiveBlend);
        drawer.drawTexture(resources.grain, 0.0f, 0.0f, grainScale, grainScale, 1.0f, 1.0f, 1.0f, grainAlpha);
        drawer.setBlendMode(alphaBlend);
        if (logo)
            drawer.drawTexture(resources.logo, logoX, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    });

    drawer.drawText(shown.storyLine(), resources.font, textX, storyY, textWidth, 1.0f, 1.0f, 1.0f, 0.0f, 1.0f);
    drawer.drawText(controlsLine, resources.controlsFont, textX, TitleScreen::controlsY, TitleScreen::controlsWidth,
                    1.0f, 0.9f, 0.9f, 0.9f, 1.0f);
    if (shown.showsSendOff())
        drawer.drawText(TitleStory::lines()[TitleStory::sendOffLine], resources.font, textX, sendOffY, textWidth,
                        1.0f, 1.0f, 0.0f, 1.0f, 1.0f);
}

void TitleScreen::actionPressed(const std::string& action, const SDL_keysym&)
{
    if (action == "Escape") {
        quit();
        return;
    }
    if (storyClock.press() == TitleStory::Press::StartPlay) {
        switchTo("GamePlay"); // destroys this screen: nothing may follow
        return;
    }
    boom();
}
