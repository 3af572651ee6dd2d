#include "game/TrailParticles.h"

#include "base/RandomGenerator.h"
#include "data/Pictures.h"
#include "game/PictureTexture.h"
#include "game/PilotBody.h"
#include "render/Drawer.h"

namespace {

constexpr float minimumSize = 1.0f;  // scale of a new star, before the random part
constexpr float randomSize = 3.0f;
constexpr float fullTurn = 360.0f;   // degrees
constexpr float cellPixels = 64.0f;
constexpr float columnsLeftOfCamera = 11.0f; // the tiles' screen mapping
constexpr float rowsAboveCamera = 6.0f;
constexpr float starPivot = 8.0f;    // centre of the 16-pixel star

ProcessTexture starTexture;

float colourChannel(RandomGenerator& random) { return random.nextUnit() > 0.5f ? 1.0f : 0.0f; }

} // namespace

void TrailParticles::spawn(const PilotBody& body) { spawn(body.x, body.y, RandomGenerator::instance()); }

void TrailParticles::spawn(float x, float y, RandomGenerator& random)
{
    if (cooldown != 0) {
        return;
    }
    Particle& particle = particles[next];
    particle.x = x;
    particle.y = y;
    particle.size = minimumSize + randomSize * random.nextUnit();
    particle.red = colourChannel(random);
    particle.green = colourChannel(random);
    particle.blue = colourChannel(random);
    particle.angle = fullTurn * random.nextUnit();
    particle.spin = 2.0f * random.nextUnit() - 1.0f;
    next = (next + 1) % particleCount;
    cooldown = 1;
}

float TrailParticles::fade(float size)
{
    if (size >= 1.0f) {
        return 1.0f;
    }
    return 3.0f * size / (2.0f * size + 1.0f);
}

void TrailParticles::draw(Drawer& drawer, Camera camera) const
{
    const uint32_t texture = starTexture.key(drawer, pictures::trailStar(), true);
    for (const auto& particle : particles) {
        if (particle.size <= 0.0f) {
            continue;
        }
        const float alpha = fade(particle.size);
        drawer.drawTextureTransformed(texture,
                                      cellPixels * (particle.x - (camera.x - columnsLeftOfCamera)) - particle.size / 2.0f,
                                      cellPixels * (particle.y - (camera.y - rowsAboveCamera)) - particle.size / 2.0f,
                                      particle.angle, starPivot, starPivot, particle.size, particle.size,
                                      particle.red, particle.green, particle.blue, alpha);
    }
}

void TrailParticles::step()
{
    for (auto& particle : particles) {
        if (particle.size <= 0.0f) {
            continue;
        }
        particle.size -= shrinkPerFrame;
        particle.angle += particle.spin;
        if (particle.angle > fullTurn) {
            particle.angle -= fullTurn;
        } else if (particle.angle < 0.0f) {
            particle.angle += fullTurn;
        }
    }
    if (cooldown > 0) {
        --cooldown;
    }
}
