#include "game/SituationHints.h"

#include "game/LevelGrid.h"
#include "game/PictureTexture.h"
#include "game/ReadableText.h"

#include <cmath>

namespace {

constexpr const char* hintFontFile = "MarsNeedsCunnilingus.ttf";
constexpr float hintPoints = 26.0f;
// Right of the pilot's column even when it is drawn a cell aside or the view
// is slid, and above the clock row, whose right end the pause line takes
// while play is paused: the pilot never comes here, and three rows end
// above the pause line.
constexpr float hintX = 752.0f;     // logical pixels
constexpr float hintY = 512.0f;     // logical pixels: the top of the first of up to three rows
constexpr float hintWidth = 496.0f; // logical pixels: a long hint wraps
constexpr readableText::Colour hintColour{0.75f, 0.9f, 1.0f};
// While no hint shows, one glyph is drawn left of the screen, where it is
// cut away unseen: the GL driver takes about a megabyte for a font's
// textures the first time their glyphs are drawn, and would otherwise take
// it when the first hint shows, a minute into play.
constexpr const char* unseenGlyph = "K";
constexpr float unseenX = -64.0f; // logical pixels: wholly left of the screen

ProcessFont hintFont;

} // namespace

const char* SituationHints::text(Hint hint)
{
    switch (hint) {
    case missedWall: return "Kick from right beside the wall: jump toward it, then press again while touching it";
    case fallingKick: return "Kick while still rising: a kick while falling ends at once";
    case stuckInRoom:
        return "Stuck? Look up with Up to see the way out. Slower game, kick buffer: A on pause, or start with "
               "-gs 70 -kb";
    case hintCount: break;
    }
    return "";
}

void SituationHints::step(const PilotBody::StepEvents& events, float x, float y, const LevelGrid& level)
{
    if (stepsLeft > 0)
        --stepsLeft;
    const int32_t cx = static_cast<int32_t>(x), cy = static_cast<int32_t>(y);
    // A press that found no wall beside the pilot, with one a cell further.
    if (events.pressWasted && !level.solid(cx - 1, cy) && !level.solid(cx + 1, cy) &&
        (level.solid(cx - 2, cy) || level.solid(cx + 2, cy)))
        offer(missedWall);
    if (events.kickEndedAtOnce)
        offer(fallingKick);
    if (!roomKnown || std::fabs(y - roomY) > roomRows) {
        roomKnown = true;
        roomY = y;
        stepsInRoom = 0;
    } else if (++stepsInRoom >= stuckSteps) {
        stepsInRoom = 0; // another minute there asks again
        offer(stuckInRoom);
    }
}

void SituationHints::offer(Hint hint)
{
    if (stepsLeft > 0 || shown[hint] >= showsPerRun)
        return;
    current = hint;
    stepsLeft = showSteps;
    ++shown[hint];
}

void SituationHints::draw(Drawer& drawer) const
{
    // The font and its outline are made, and drawn with, from the first
    // frame of play: made when the first hint comes, a minute in, they
    // would raise the game's memory long after it has settled.
    const int font = hintFont.number(drawer, hintFontFile, hintPoints);
    if (showing() == hintCount)
        readableText::draw(drawer, unseenGlyph, font, unseenX, hintY, hintWidth, hintColour);
    else
        readableText::draw(drawer, text(current), font, hintX, hintY, hintWidth, hintColour);
}
