#pragma once
#include "game/PilotInput.h"

#include <cstdint>

class Drawer;
class LevelGrid;

// The pilot: a one-cell box that runs, jumps and kicks off walls. The
// movement step is pure arithmetic over the grid and the held input, one
// fixed step per frame, in single precision.
class PilotBody {
public:
    static constexpr float winningFlightSpeed = 1.5f; // cells per frame
    static constexpr int32_t phaseFrames = 4;         // frames per animation phase
    static constexpr int32_t kickBufferSteps = 6;     // steps a press waits with the kick buffer on, about 90 ms

    // What one step did, for sounds and flashes; it never feeds back into
    // the movement.
    struct StepEvents {
        float wallKickSpeed = 0.0f; // the speed right after a wall kick's impulse; 0: no kick
        float landingSpeed = 0.0f;  // the fall speed the ground stopped; 0: no landing
        // Where a wall kick pushed off, in cells: the wall's face and the
        // middle of the pilot's box at the kick (valid while wallKickSpeed > 0).
        float wallKickX = 0.0f;
        float wallKickY = 0.0f;
        bool wallOnRight = false; // which side of the pilot the kicked wall was
        // The kick left the pilot still falling, so its flight ended at once.
        bool kickEndedAtOnce = false;
        // A press was let go this step without a jump or kick: in open air
        // or too soon after the last one.
        bool pressWasted = false;
    };

    PilotBody(float startX, float startY) : x(startX), y(startY) {}

    // One movement step through the grid with the held directions.
    void update(const PilotInput& input, const LevelGrid& grid);
    void requestJump() { jumpRequested = true; }
    float speed() const;
    // The speed while a wall kick lasts, 0 otherwise: the only speed that wins.
    float flightSpeed() const;
    // Starts the spin away after the win.
    void beginWarp() { warpScale -= 0.01f; }

    // The sprite frame number 0..13 the pilot shows now.
    int32_t frameNumber() const;
    // One step of the look: the animation and, after the win, the spin
    // away. The first step shows the pilot as it was made, so the screens
    // call it before the movement step, for the look the last step showed.
    void stepLook();
    // Draws the pilot at its fixed screen square, moved by (shiftX, shiftY)
    // pixels. The screens that slide their view or keep the drawn pilot out
    // of walls pass the shift.
    void draw(Drawer& drawer, float shiftX = 0.0f, float shiftY = 0.0f) const;
    // Draws the pilot with its cell box's top left at (left, top) on screen,
    // at this opacity.
    void drawAt(Drawer& drawer, float left, float top, float alpha) const;
    // The animation phases move on one step.
    void advanceAnimation();

    float x;
    float y;
    float vx = 0.0f;
    float vy = 0.0f;
    bool jumpRequested = false;
    bool wallKick = false;
    bool airborne = true;
    int32_t runPhase = 0;
    int32_t airPhase = 0;
    int32_t idlePhase = 0;
    int32_t phaseCountdown = phaseFrames;
    bool facingRight = true;
    float warpScale = 1.0f;
    int32_t jumpRecovery = 0; // steps until a jump or kick can take effect again
    // The kick buffer, an assist (off: the movement as it always was): a
    // press that cannot take effect keeps trying for kickBufferSteps steps.
    bool kickBuffer = false;
    int32_t bufferedJumpSteps = 0; // steps a waiting press still tries
    StepEvents events;        // of the last update
    bool lookStepped = false; // a stepLook has run since the pilot was made
};
