#include "game/Epilogue.h"

#include "audio/AudioSingleton.h"
#include "data/Pictures.h"
#include "game/Backdrop.h"
#include "game/PictureTexture.h"
#include "game/ReadableText.h"
#include "game/ScreenHost.h"
#include "render/Drawer.h"

namespace {

constexpr const char* fontName = "MarsNeedsCunnilingus.ttf";
constexpr float fontPoints = 64.0f;
constexpr const char* levelFile = "pilotEpilogue.png";
constexpr float startX = 60.0f;       // cells
constexpr float startY = 944.0f;      // cells
constexpr float cameraRight = 1.5f;   // cells right of the pilot's corner
constexpr float cameraAbove = 1.5f;   // cells above it
constexpr float textWidth = 1024.0f;  // wrap width, logical pixels
constexpr float waitX = 320.0f;       // logical pixels
constexpr float waitY = 400.0f;
constexpr float endX = 360.0f;
constexpr float endY = 200.0f;
constexpr float runTimeX = 360.0f;   // logical pixels: under "TO BE CONTINUED"
constexpr float runTimeY = 290.0f;
// Logical pixels: the best time goes under the ground the pilot stands on
// (its cell spans 480 to 544 on screen), the play-again line under that, so
// that no two lines overlap and none covers the pilot.
constexpr float bestY = 550.0f;
constexpr float againY = 630.0f; // logical pixels: the play-again line
constexpr const char* againLine = "Space or Z to climb again";

// Made on the first frame and kept for the process.
ProcessTexture grainTexture;
ProcessFont endingFont;
ProcessStill skyStill;

struct EpilogueResources {
    uint32_t grain;
    int font;
};

EpilogueResources resourcesFor(Drawer& drawer)
{
    // A braced list is evaluated in order: the grain, then the font.
    return {grainTexture.key(drawer, pictures::grain(), false), endingFont.number(drawer, fontName, fontPoints)};
}

} // namespace

EpilogueTimeline::Step EpilogueTimeline::tick()
{
    Step step;
    if (textDelay > 0)
        --textDelay;
    else
        step.showsWait = true;
    if (endDelay > 0) {
        --endDelay;
        step.boom = endDelay == 0;
    } else {
        step.showsEnd = true;
    }
    return step;
}

Epilogue::Epilogue(ScreenHost& host) : GameState(host), body(startX, startY), warp(true)
{
    // A refused level prints its own line; the pilot then rests walled in.
    level.load(FilePath::dataFolder("levels").join(std::string(levelFile)), static_cast<int32_t>(startX),
               static_cast<int32_t>(startY));
    results = host.getRunOutcome().endingLines();
    if (!results.empty())
        runTime = results.front();
}

bool Epilogue::step()
{
    // What the last step showed moves on first.
    clouds.step();
    tiles.step();
    trail.step();
    body.stepLook();
    if (stepped)
        warp.step();
    stepped = true;

    // Nobody steers any more: the pilot only falls and comes to rest.
    body.update(PilotInput{}, level);
    if (body.airborne)
        trail.spawn(body);
    shown = timeline.tick();
    if (shown.showsEnd)
        endShown = true;
    if (shown.boom)
        AudioSingleton::instance().playBoom();
    return true;
}

void Epilogue::draw(Drawer& drawer) const
{
    const EpilogueResources resources = resourcesFor(drawer);
    const Camera camera{body.x + cameraRight, body.y - cameraAbove};

    // The sky only where no opaque tile will cover it.
    const UncoveredAreas open = tiles.uncovered(level, camera);
    backdrop::show(drawer, backdrop::epilogueSky, resources.grain, skyStill, open.areas.data(), open.count);
    clouds.draw(drawer, camera, open.areas.data(), open.count);
    tiles.draw(drawer, level, camera);
    trail.draw(drawer, camera);
    body.draw(drawer);
    warp.draw(drawer);

    if (shown.showsEnd) {
        // Low on the screen and first, under the lines that say how it went.
        readableText::draw(drawer, againLine, resources.font, runTimeX, againY, textWidth, {1.0f, 1.0f, 1.0f});
    }
    if (shown.showsWait)
        drawer.drawText("Wait, this isn't right...", resources.font, waitX, waitY, textWidth, 1.0f,
                        0.0f, 0.0f, 0.0f, 1.0f);
    if (shown.showsEnd) {
        drawer.drawText("TO BE CONTINUED", resources.font, endX, endY, textWidth, 1.0f, 1.0f, 0.0f, 0.0f, 1.0f);
        for (size_t i = 0; i < results.size(); ++i)
            readableText::draw(drawer, results[i], resources.font, runTimeX, i == 0 ? runTimeY : bestY, textWidth,
                               {1.0f, 0.0f, 0.0f});
    }
}

void Epilogue::actionPressed(const std::string& action, const SDL_keysym&)
{
    if (action == "Escape") {
        quit();
    } else if (action == "Action" && endShown) {
        // Only once the ending has had its say: a jump still pressed in the
        // last moments of the run must not skip it.
        switchTo("GamePlay"); // destroys this screen: nothing may follow
    }
}
