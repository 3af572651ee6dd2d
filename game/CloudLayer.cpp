#include "game/CloudLayer.h"

#include "base/RandomGenerator.h"
#include "data/Pictures.h"
#include "game/PictureTexture.h"
#include "render/Drawer.h"

namespace {

constexpr float parallax = 0.0625f;     // the field moves at 1/16 of the camera
constexpr float windowLeft = 24.0f;     // field units left of the scaled camera
constexpr float windowTop = 16.0f;
constexpr float windowWidth = 48.0f;    // field units across the screen
constexpr float windowHeight = 32.0f;
constexpr float unitWidth = 80.0f;      // logical pixels per field unit, across
constexpr float unitHeight = 45.0f;     // and down
constexpr float cloudWidth = 132.0f;    // the picture, drawn at its own size
constexpr float cloudHeight = 68.0f;
constexpr float driftPerFrame = 0.001f; // field units

ProcessTexture cloudTexture;

} // namespace

CloudLayer::CloudLayer() : CloudLayer(RandomGenerator::instance()) {}

CloudLayer::CloudLayer(RandomGenerator& random)
{
    for (auto& cloud : clouds) {
        cloud.x = fieldSize * random.nextUnit();
        cloud.y = fieldSize * random.nextUnit();
        cloud.movingRight = random.nextUnit() > 0.5f;
    }
}

CloudLayer::Origin CloudLayer::windowOrigin(Camera camera)
{
    Origin origin{camera.x * parallax - windowLeft, camera.y * parallax - windowTop};
    if (origin.x < 0.0f) {
        origin.x = 0.0f;
    }
    if (origin.y < 0.0f) {
        origin.y = 0.0f;
    }
    return origin;
}

void CloudLayer::step()
{
    if (stepped)
        drift();
    stepped = true;
}

void CloudLayer::draw(Drawer& drawer, Camera camera) const
{
    const ScreenArea everywhere{-cloudWidth, -cloudHeight, 2.0f * windowWidth * unitWidth,
                                2.0f * windowHeight * unitHeight};
    draw(drawer, camera, &everywhere, 1);
}

void CloudLayer::draw(Drawer& drawer, Camera camera, const ScreenArea* shown, size_t count) const
{
    const uint32_t texture = cloudTexture.key(drawer, pictures::cloud(), true);
    const Origin origin = windowOrigin(camera);
    const auto reachesShown = [&](float left, float top) {
        for (size_t i = 0; i < count; ++i) {
            const ScreenArea& area = shown[i];
            if (left < area.x + area.width && area.x < left + cloudWidth && top < area.y + area.height &&
                area.y < top + cloudHeight)
                return true;
        }
        return false;
    };
    for (const auto& cloud : clouds) {
        if (origin.x < cloud.x && cloud.x < origin.x + windowWidth && origin.y < cloud.y &&
            cloud.y < origin.y + windowHeight) {
            const float left = (cloud.x - origin.x) * unitWidth - cloudWidth;
            const float top = (cloud.y - origin.y) * unitHeight - cloudHeight;
            if (reachesShown(left, top))
                drawer.drawTexture(texture, left, top, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f);
        }
    }
}

void CloudLayer::drift()
{
    for (auto& cloud : clouds) {
        if (cloud.movingRight) {
            cloud.x += driftPerFrame;
            if (cloud.x > fieldSize) {
                cloud.movingRight = false;
            }
        } else {
            cloud.x -= driftPerFrame;
            if (cloud.x < 0.0f) {
                cloud.movingRight = true;
            }
        }
    }
}
