#include "game/Ghost.h"

#include "game/TileSet.h"

#include <utility>

void Ghost::race(Route steps, bool kickBuffer)
{
    run = std::move(steps);
    body.kickBuffer = kickBuffer;
    nextStep = 0;
    shown = hasRun();
}

void Ghost::restart()
{
    const bool kickBuffer = body.kickBuffer;
    body = PilotBody(startX, startY);
    body.kickBuffer = kickBuffer;
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
