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
    body.update(routescript::apply(run[nextStep++], body), level);
}

void Ghost::draw(Drawer& drawer, Camera camera) const
{
    if (!shown)
        return;
    body.drawAt(drawer, TileSet::screenX(body.x, camera), TileSet::screenY(body.y, camera), opacity);
}
