#include "game/KickFlash.h"

#include "render/Drawer.h"

#include <algorithm>

namespace {

constexpr float columnsLeftOfCamera = 11.0f; // the tiles' screen mapping, cells
constexpr float rowsAboveCamera = 6.0f;      // cells
constexpr float coreWidth = 8.0f;            // pixels: the white line along the wall
constexpr float coreHeight = 72.0f;          // pixels at the kick
constexpr float glowWidth = 40.0f;           // pixels: the warm glow either side of the face
constexpr float glowHeight = 96.0f;          // pixels at the kick
constexpr float growth = 48.0f;              // pixels both shapes lengthen by over the flash
constexpr int alphaBlend = 0;
constexpr int additiveBlend = 1;

} // namespace

void KickFlash::step(const PilotBody::StepEvents& events)
{
    for (Flash& flash : flashes) {
        flash.age = std::min(flash.age + 1, flashSteps);
    }
    if (events.wallKickSpeed > 0.0f) {
        flashes[next] = Flash{events.wallKickX, events.wallKickY, 0};
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
    drawer.setBlendMode(additiveBlend);
    for (const Flash& flash : flashes) {
        if (flash.age >= flashSteps) {
            continue;
        }
        const float fraction = static_cast<float>(flash.age) / static_cast<float>(flashSteps);
        const uint8_t strength = static_cast<uint8_t>(255.0f * (1.0f - fraction));
        const float stretch = growth * fraction;
        const float sx = view::cellPixels * (flash.x - (camera.x - columnsLeftOfCamera));
        const float sy = view::cellPixels * (flash.y - (camera.y - rowsAboveCamera));
        const float glowTall = glowHeight + stretch;
        drawer.fillRect(sx - glowWidth, sy - glowTall / 2.0f, 2.0f * glowWidth, glowTall, 255, 170, 60, strength / 2);
        const float coreTall = coreHeight + stretch;
        drawer.fillRect(sx - coreWidth / 2.0f, sy - coreTall / 2.0f, coreWidth, coreTall, 255, 255, 230, strength);
    }
    drawer.setBlendMode(alphaBlend);
}
