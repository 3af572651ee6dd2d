#include "game/KickFlash.h"

#include "render/Drawer.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float columnsLeftOfCamera = 11.0f; // the tiles' screen mapping, cells
constexpr float rowsAboveCamera = 6.0f;      // cells
constexpr float coreWidth = 8.0f;            // pixels: the bright line along the wall's face
constexpr float coreHeight = 56.0f;          // pixels at the kick
constexpr float coreGrowth = 40.0f;          // pixels the line lengthens by over the flash
constexpr float glowReach = 36.0f;           // pixels the warm glow reaches into the open side
constexpr float glowHeight = 72.0f;          // pixels
constexpr int glowLayers = 3;                // nested, fainter outwards: a soft edge
constexpr int sparkCount = 5;
constexpr float sparkSpread = 1.1f;          // radians either side of straight out from the wall
constexpr float sparkStart = 6.0f;           // pixels from the face at the kick
constexpr float sparkTravel = 56.0f;         // pixels flown over the flash
constexpr float sparkSize = 8.0f;            // pixels
constexpr float rimWidth = 2.0f;             // pixels of darker orange round the line and sparks

} // namespace

void KickFlash::step(const PilotBody::StepEvents& events)
{
    for (Flash& flash : flashes) {
        flash.age = std::min(flash.age + 1, flashSteps);
    }
    if (events.wallKickSpeed > 0.0f) {
        flashes[next] = Flash{events.wallKickX, events.wallKickY, events.wallOnRight ? -1.0f : 1.0f, 0};
        next = (next + 1) % flashCount;
    }
}

int32_t KickFlash::liveCount() const
{
    return static_cast<int32_t>(
        std::count_if(std::begin(flashes), std::end(flashes), [](const Flash& flash) { return flash.age < flashSteps; }));
}

void KickFlash::draw(Drawer& drawer, Camera camera) const
{
    if (liveCount() == 0) {
        return;
    }
    // Plain blending with warm colours: added light would vanish over the
    // pale sky at the foot of the level.
    for (const Flash& flash : flashes) {
        if (flash.age >= flashSteps) {
            continue;
        }
        const float fraction = static_cast<float>(flash.age) / static_cast<float>(flashSteps);
        const float fade = 1.0f - fraction;
        const float sx = view::cellPixels * (flash.x - (camera.x - columnsLeftOfCamera));
        const float sy = view::cellPixels * (flash.y - (camera.y - rowsAboveCamera));
        // The glow lies on the open side only: the wall itself stays as drawn.
        for (int layer = 1; layer <= glowLayers; ++layer) {
            const float reach = glowReach * static_cast<float>(layer) / glowLayers;
            const float tall = glowHeight * static_cast<float>(layer) / glowLayers;
            const float left = flash.away > 0.0f ? sx : sx - reach;
            drawer.fillRect(left, sy - tall / 2.0f, reach, tall, 255, 140, 0, static_cast<uint8_t>(60.0f * fade));
        }
        const uint8_t strength = static_cast<uint8_t>(255.0f * fade);
        // Each bright shape has a darker orange rim, so it shows over the
        // white of the lowest sky as well as over the grey panels.
        auto rimmed = [&](float x, float y, float w, float h) {
            drawer.fillRect(x, y, w, h, 225, 85, 0, strength);
            drawer.fillRect(x + rimWidth, y + rimWidth, w - 2.0f * rimWidth, h - 2.0f * rimWidth, 255, 240, 120,
                            strength);
        };
        const float coreTall = coreHeight + coreGrowth * fraction;
        rimmed(sx - coreWidth / 2.0f, sy - coreTall / 2.0f, coreWidth, coreTall);
        // Sparks fly out from the wall, fanned round the way the pilot went.
        for (int spark = 0; spark < sparkCount; ++spark) {
            const float angle = sparkSpread * (2.0f * static_cast<float>(spark) / (sparkCount - 1) - 1.0f);
            const float distance = sparkStart + sparkTravel * fraction;
            const float px = sx + flash.away * std::cos(angle) * distance;
            const float py = sy + std::sin(angle) * distance;
            rimmed(px - sparkSize / 2.0f, py - sparkSize / 2.0f, sparkSize, sparkSize);
        }
    }
}
