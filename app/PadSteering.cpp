#include "app/PadSteering.h"

#include "app/InputBindings.h"

#include <SDL/SDL_joystick.h>

namespace {

constexpr float stickTravel = 0.5f; // fraction of full travel beyond which the stick holds a side
constexpr int steeringAxis = 0;     // the left stick's horizontal axis
constexpr int steeringHat = 0;      // the D-pad

} // namespace

static_assert(InputBindings::numberedJoysticks == 4, "one steering record per joystick with codes of its own");

PadSteering::Changes PadSteering::axisMoved(int joystick, int axis, float value)
{
    if (axis != steeringAxis)
        return {{}, 0};
    Side next = Side::none;
    if (value < -stickTravel)
        next = Side::left;
    else if (value > stickTravel)
        next = Side::right;
    return update(joystick, &Pad::stick, next);
}

PadSteering::Changes PadSteering::hatMoved(int joystick, int hat, uint8_t value)
{
    if (hat != steeringHat)
        return {{}, 0};
    const bool left = (value & SDL_HAT_LEFT) != 0;
    const bool right = (value & SDL_HAT_RIGHT) != 0;
    // Diagonals steer by their side; both sides at once cannot be pressed
    // on a real pad and holds neither.
    Side next = Side::none;
    if (left && !right)
        next = Side::left;
    else if (right && !left)
        next = Side::right;
    return update(joystick, &Pad::hat, next);
}

PadSteering::Changes PadSteering::update(int joystick, Side Pad::*source, Side next)
{
    Changes result{{}, 0};
    if (joystick < 0 || joystick >= padCount)
        return result;
    Pad& pad = pads[joystick];
    auto holds = [&pad](Side side) { return pad.stick == side || pad.hat == side; };
    const bool leftBefore = holds(Side::left);
    const bool rightBefore = holds(Side::right);
    pad.*source = next;
    const bool leftAfter = holds(Side::left);
    const bool rightAfter = holds(Side::right);

    if (leftBefore && !leftAfter)
        result.changes[result.count++] = {InputBindings::stickLeftCode, false};
    if (rightBefore && !rightAfter)
        result.changes[result.count++] = {InputBindings::stickRightCode, false};
    if (!leftBefore && leftAfter)
        result.changes[result.count++] = {InputBindings::stickLeftCode, true};
    if (!rightBefore && rightAfter)
        result.changes[result.count++] = {InputBindings::stickRightCode, true};
    return result;
}
