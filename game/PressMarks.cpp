#include "game/PressMarks.h"

#include "render/Drawer.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr float columnsLeftOfCamera = 11.0f; // the tiles' screen mapping, cells
constexpr float rowsAboveCamera = 6.0f;      // cells
constexpr float ringStart = 40.0f;           // pixels across at the press
constexpr float ringGrowth = 40.0f;          // pixels it widens by over its life
constexpr float ringLine = 4.0f;             // pixels
constexpr float rim = 2.0f;                  // pixels of dark edge round each shape, for the pale sky
constexpr float arrowStem = 8.0f;            // pixels wide
constexpr float arrowLength = 28.0f;         // pixels of stem
constexpr float arrowHead = 24.0f;           // pixels across the head's widest row
constexpr float arrowStep = 8.0f;            // pixels the head narrows by per row
constexpr float arrowRow = 6.0f;             // pixels tall per head row
constexpr float arrowSink = 40.0f;           // pixels it sinks over its life
constexpr float arrowAway = 20.0f;           // pixels off the wall's face, into the open side
constexpr float peakAlpha = 230.0f;          // of 255, at the press

struct Colour {
    uint8_t r, g, b;
};
constexpr Colour ringColour{150, 210, 255}; // pale blue: nothing happened
constexpr Colour arrowColour{255, 60, 70};  // red: the kick fell away

} // namespace

void PressMarks::step(const PilotBody::StepEvents& events, float x, float y)
{
    for (Mark& mark : marks)
        mark.age = std::min(mark.age + 1, markSteps);
    if (events.pressWasted) {
        marks[next] = Mark{x + 0.5f, y + 0.5f, Kind::wastedPress, 0};
        next = (next + 1) % markCount;
    }
    if (events.kickEndedAtOnce) {
        const float face = events.wallKickX + (events.wallOnRight ? -1.0f : 1.0f) * arrowAway / view::cellPixels;
        marks[next] = Mark{face, events.wallKickY, Kind::fallingKick, 0};
        next = (next + 1) % markCount;
    }
}

void PressMarks::draw(Drawer& drawer, Camera camera) const
{
    struct Box {
        float x, y, w, h;
    };
    for (const Mark& mark : marks) {
        if (mark.age >= markSteps)
            continue;
        const float fraction = static_cast<float>(mark.age) / static_cast<float>(markSteps);
        const uint8_t strength = static_cast<uint8_t>(peakAlpha * (1.0f - fraction));
        const float sx = view::cellPixels * (mark.x - (camera.x - columnsLeftOfCamera));
        const float sy = view::cellPixels * (mark.y - (camera.y - rowsAboveCamera));
        Box boxes[4];
        int count = 0;
        if (mark.kind == Kind::wastedPress) {
            const float side = ringStart + ringGrowth * fraction;
            const float left = sx - side / 2.0f, top = sy - side / 2.0f;
            boxes[count++] = {left, top, side, ringLine};
            boxes[count++] = {left, top + side - ringLine, side, ringLine};
            boxes[count++] = {left, top, ringLine, side};
            boxes[count++] = {left + side - ringLine, top, ringLine, side};
        } else {
            const float top = sy - arrowLength + arrowSink * fraction;
            boxes[count++] = {sx - arrowStem / 2.0f, top, arrowStem, arrowLength};
            for (int row = 0; row < 3; ++row) {
                const float wide = arrowHead - arrowStep * static_cast<float>(row);
                boxes[count++] = {sx - wide / 2.0f, top + arrowLength + arrowRow * static_cast<float>(row), wide,
                                  arrowRow};
            }
        }
        // The dark edges of all the shape's boxes first, then the bright
        // boxes over them: where the ring's sides meet, no edge cuts across.
        const Colour& colour = mark.kind == Kind::wastedPress ? ringColour : arrowColour;
        for (int i = 0; i < count; ++i)
            drawer.fillRect(boxes[i].x - rim, boxes[i].y - rim, boxes[i].w + 2.0f * rim, boxes[i].h + 2.0f * rim,
                            colour.r / 4, colour.g / 4, colour.b / 4, strength);
        for (int i = 0; i < count; ++i)
            drawer.fillRect(boxes[i].x, boxes[i].y, boxes[i].w, boxes[i].h, colour.r, colour.g, colour.b, strength);
    }
}
