#include "game/Epilogue.h"

#include "render/Drawer.h"

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

Epilogue::Epilogue(Application& owner) : GameState(owner) {}

void Epilogue::frame(Drawer& drawer)
{
    drawer.fillGradientRect(0, 0, 1280, 720, 112, 96, 128, 255, 255, 255, 255, 255);
    timeline.tick();
}

void Epilogue::actionPressed(const std::string& action, const SDL_keysym&)
{
    if (action == "Escape")
        quit();
}
