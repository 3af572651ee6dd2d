#pragma once
#include "game/Camera.h"
#include "game/PilotBody.h"
#include "game/RouteScript.h"

class Drawer;
class LevelGrid;

// The best run of the level raced beside the live one: a pilot of its own,
// stepped with the kept inputs in step with the live pilot and drawn
// translucent where it was at the same step. It shares nothing with the
// live pilot, so it can never move it.
class Ghost {
public:
    static constexpr float opacity = 0.4f; // 0..1

    // No run: nothing to show, and toggling keeps it hidden.
    Ghost(float startX, float startY) : body(startX, startY), startX(startX), startY(startY) {}

    // Races this run, with the kick buffer it was made with; shown from now on.
    void race(Route run, bool kickBuffer);
    bool hasRun() const { return !run.empty(); }
    bool isShown() const { return shown; }
    // Back to the start of the same run, for a climb started again.
    void restart();
    // On and off; always off without a run.
    void toggle() { shown = hasRun() && !shown; }

    // The next step of the run; past its end (its win) the ghost stays put.
    void step(const LevelGrid& level);
    // The look's step, shown or not, so it runs on in step when shown again.
    void stepLook() { body.stepLook(); }
    void draw(Drawer& drawer, Camera camera) const;

    const PilotBody& getBody() const { return body; }

private:
    PilotBody body;
    Route run;
    float startX;
    float startY;
    std::size_t nextStep = 0;
    bool shown = false;
};
