#include "game/PilotBody.h"

#include "data/Pictures.h"
#include "game/LevelGrid.h"
#include "game/PictureTexture.h"
#include "render/Drawer.h"

#include <cmath>

namespace {

// Movement constants, all per frame (one step per frame, never per second).
constexpr float gravity = 0.01f;          // cells per frame², in the air
constexpr float runAcceleration = 0.01f;  // cells per frame², while a direction is held
constexpr float groundFriction = 0.66f;   // factor on vx, on ground with no direction held
constexpr float restingSpeed = 0.01f;     // |vx| below this stops the pilot
constexpr float brakeThreshold = 0.05f;   // cells per frame against the held direction
constexpr float brakeFactor = 0.5f;
constexpr float jumpImpulse = 0.5f;       // cells per frame upward
constexpr float wallKickSideways = 0.5f;  // cells per frame away from the wall
constexpr float wallKickUpward = 0.25f;   // cells per frame upward
constexpr float speedLimit = 1.0f;        // cells per frame, per axis, outside a wall kick
constexpr float landingStep = 0.5f;       // cells the pilot is lifted per excess cell of fall speed
// Steps after a jump or kick before the next one can take effect. 60 ms is
// quicker than anyone presses one key (about 16 presses a second), so people
// never meet it; it only keeps turbo buttons and two rolled jump keys from
// stacking a kick on every step, which no person could match.
constexpr int32_t jumpRecoverySteps = 4;

// Screen placement of the pilot's cell box: the camera keeps it fixed.
constexpr float screenX = 608.0f;
constexpr float mirrorShift = 64.0f;      // pixels from the left edge to the right one, for the mirrored sprite
constexpr float screenY = 480.0f;
constexpr float spriteScale = 2.0f;       // 32-pixel pictures on a 64-pixel cell
constexpr float spritePivot = 16.0f;      // centre of the 32-pixel picture
constexpr float spinRise = 180.0f;        // pixels of rise over the whole spin
constexpr float spinBaseY = 300.0f;
constexpr float spinTurn = 720.0f;        // degrees per unit of warpScale
constexpr float warpStep = 0.01f;

constexpr int32_t runFrames = 6;
constexpr int32_t airFrames = 4;
constexpr int32_t idleFrames = 4;
constexpr int32_t firstAirFrame = 6;
constexpr int32_t firstIdleFrame = 10;

} // namespace

void PilotBody::update(const PilotInput& input, const LevelGrid& grid)
{
    const int32_t cx = static_cast<int32_t>(x);
    int32_t cy = static_cast<int32_t>(y);
    events = StepEvents{};
    if (jumpRecovery > 0) {
        --jumpRecovery;
    }
    // A press too soon after the last jump is dropped, like one in open air,
    // unless the kick buffer keeps it for the next steps.
    const bool jumping = (jumpRequested || (kickBuffer && bufferedJumpSteps > 0)) && jumpRecovery == 0;
    bool jumped = false;

    if (grid.solid(cx, cy + 1)) {
        if (vy > 0.0f) {
            events.landingSpeed = vy; // every downward speed here ends on the ground
        }
        if (vy > 1.0f) {
            // Arrived too fast to stop in one cell: give back height until
            // the remaining speed fits, so the pilot ends on top of the ground.
            do {
                vy -= 1.0f;
                y -= landingStep;
            } while (vy > 1.0f);
            cy = static_cast<int32_t>(y);
        }
        if (vy > 0.0f) {
            vy = 0.0f;
            wallKick = false;
            airborne = false;
            y = static_cast<float>(cy);
        }
        if (wallKick && vy == 0.0f) {
            // A kick a ceiling stopped where the pilot stands on a step (a
            // shaft that jogs sideways): its flight is over here as in the
            // air, or the pilot could neither run nor turn until it jumped.
            wallKick = false;
        }
        if (vy == 0.0f && !jumping) {
            // Resting on the ground without having fallen onto it: at the
            // start, or after a jump that a ceiling stopped at once. Only
            // the look depends on this flag, never the movement.
            airborne = false;
        }
        if (jumping) {
            airborne = true;
            vy -= jumpImpulse;
            jumpRecovery = jumpRecoverySteps;
            jumped = true;
        }
        if (!input.left && !input.right) {
            vx *= groundFriction;
            if (std::fabs(vx) < restingSpeed) {
                vx = 0.0f;
            }
        }
    } else {
        vy += gravity;
        if (wallKick && vy >= 0.0f) {
            // The top of the flight. A kick always starts rising, so this is
            // where its rise ends, or the step after a ceiling stopped it:
            // a kick must never go on through the fall that follows.
            wallKick = false;
        }
        if (jumping) {
            // The right wall wins when the pilot is between two.
            const bool rightWall = grid.solid(cx + 1, cy);
            if (rightWall || grid.solid(cx - 1, cy)) {
                events.wallKickX = rightWall ? static_cast<float>(cx + 1) : static_cast<float>(cx);
                events.wallKickY = y + 0.5f;
                events.wallOnRight = rightWall;
                vx += rightWall ? -wallKickSideways : wallKickSideways;
                vy -= wallKickUpward;
                // A kick that leaves the pilot still falling has no flight to
                // be the top of; without this end it would last the whole
                // drop, free of the speed limits, and gravity alone would
                // reach the winning speed.
                wallKick = vy < 0.0f;
                events.wallKickSpeed = std::sqrt(vx * vx + vy * vy);
                jumpRecovery = jumpRecoverySteps;
                jumped = true;
            }
        }
        airborne = true;
    }

    if (!wallKick) {
        if (input.left && !input.right) {
            if (vx > brakeThreshold) {
                vx *= brakeFactor;
            } else {
                vx -= runAcceleration;
            }
        } else if (input.right && !input.left) {
            if (vx < -brakeThreshold) {
                vx *= brakeFactor;
            } else {
                vx += runAcceleration;
            }
        }
        vx = std::fmin(std::fmax(vx, -speedLimit), speedLimit);
        vy = std::fmin(std::fmax(vy, -speedLimit), speedLimit);
    }

    if (vx > 0.0f && grid.solid(cx + 1, cy)) {
        vx = 0.0f;
        x = static_cast<float>(cx);
    } else if (vx < 0.0f && grid.solid(cx - 1, cy)) {
        vx = 0.0f;
        x = static_cast<float>(cx);
    }
    if (vy < 0.0f && grid.solid(cx, cy - 1)) {
        vy = 0.0f;
    }

    if (vx > 0.0f) {
        facingRight = true;
    } else if (vx < 0.0f) {
        facingRight = false;
    }

    x += vx;
    y += vy;
    const bool keptPress = bufferedJumpSteps > 0;
    if (jumped || !kickBuffer) {
        bufferedJumpSteps = 0;
    } else if (jumpRequested) {
        bufferedJumpSteps = kickBufferSteps;
    } else if (bufferedJumpSteps > 0) {
        --bufferedJumpSteps;
    }
    // A press is wasted when it is finally dropped without a jump or kick:
    // at once without the kick buffer, when its wait runs out with it.
    events.pressWasted =
        !jumped && (kickBuffer ? !jumpRequested && keptPress && bufferedJumpSteps == 0 : jumpRequested);
    events.kickEndedAtOnce = events.wallKickSpeed > 0.0f && !wallKick;
    jumpRequested = false;
}

float PilotBody::speed() const { return std::sqrt(vx * vx + vy * vy); }

float PilotBody::flightSpeed() const { return wallKick ? speed() : 0.0f; }

int32_t PilotBody::frameNumber() const
{
    if (airborne) {
        return firstAirFrame + airPhase;
    }
    if (vx != 0.0f) {
        return runPhase;
    }
    return firstIdleFrame + idlePhase;
}

void PilotBody::advanceAnimation()
{
    --phaseCountdown;
    if (phaseCountdown == 0) {
        phaseCountdown = phaseFrames;
        runPhase = (runPhase + 1) % runFrames;
        airPhase = (airPhase + 1) % airFrames;
        idlePhase = (idlePhase + 1) % idleFrames;
    }
}

namespace {

// Twelve pictures behind fourteen frame numbers: 9 repeats 7, 13 repeats 11.
constexpr int32_t pictureCount = 12;
constexpr int32_t pictureOfFrame[pictures::pilotFrameCount] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 7, 9, 10, 11, 10};
constexpr int32_t frameOfPicture[pictureCount] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12};

uint32_t frameTexture(Drawer& drawer, int32_t frame)
{
    static ProcessTexture textures[pictureCount];
    // All twelve on the first draw, so no later frame waits for an upload.
    for (int32_t picture = 0; picture < pictureCount; ++picture) {
        textures[picture].key(drawer, pictures::pilotFrame(frameOfPicture[picture]), true);
    }
    return textures[pictureOfFrame[frame]].key(drawer, pictures::pilotFrame(frame), true);
}

} // namespace

void PilotBody::stepLook()
{
    if (!lookStepped) {
        lookStepped = true;
        return;
    }
    if (warpScale < 1.0f) {
        warpScale -= warpStep;
    }
    advanceAnimation();
}

void PilotBody::draw(Drawer& drawer, float shiftX, float shiftY) const
{
    if (warpScale >= 1.0f) {
        drawAt(drawer, screenX + shiftX, screenY + shiftY, 1.0f);
        return;
    }
    const uint32_t texture = frameTexture(drawer, firstAirFrame + airPhase);
    drawer.drawTextureTransformed(texture, screenX, spinRise * warpScale + spinBaseY, spinTurn * warpScale,
                                  spritePivot, spritePivot, spriteScale, spriteScale, 1.0f, 1.0f, 1.0f, 1.0f);
}

void PilotBody::drawAt(Drawer& drawer, float left, float top, float alpha) const
{
    const uint32_t texture = frameTexture(drawer, frameNumber());
    if (facingRight) {
        drawer.drawTexture(texture, left, top, spriteScale, spriteScale, 1.0f, 1.0f, 1.0f, alpha);
    } else {
        // Mirrored about the same 64-pixel square.
        drawer.drawTexture(texture, left + mirrorShift, top, -spriteScale, spriteScale, 1.0f, 1.0f, 1.0f, alpha);
    }
}
