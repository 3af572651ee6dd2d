#include "game/Ghost.h"

#include "game/TileSet.h"

#include <utility>

void Ghost::race(Route steps)
{
    run = std::move(steps);
    nextStep = 0;
    shown = hasRun();
}

void Ghost::restart()
{
    body = PilotBody(startX, startY);
    nextStep = 0;
}

void Ghost::step(const LevelGrid& level)
{
    if (nextStep >= run.size())
        return;
    const RouteStep& now = run[nextStep++];
    if (now.jump)
        body.requestJump();
    body.update(routescript::inputOf(now), level);
}

void Ghost::draw(Drawer& drawer, Camera camera) const
{
    if (!shown)
        return;
    body.drawAt(drawer, TileSet::screenX(body.x, camera), TileSet::screenY(body.y, camera), opacity);
}
