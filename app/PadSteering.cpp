#include "app/PadSteering.h"

#include "app/InputBindings.h"

#include <SDL/SDL_joystick.h>

namespace {

constexpr float stickTravel = 0.5f; // fraction of full travel beyond which the stick holds a side
constexpr int acrossAxis = 0;       // the left stick's horizontal axis
constexpr int upDownAxis = 1;       // its vertical axis, negative upwards
constexpr int steeringHat = 0;      // the D-pad

} // namespace

static_assert(InputBindings::numberedJoysticks == 4, "one steering record per joystick with codes of its own");

PadSteering::Changes PadSteering::axisMoved(int joystick, int axis, float value)
{
    if (axis != acrossAxis && axis != upDownAxis)
        return {{}, 0};
    Side next = Side::none;
    if (value < -stickTravel)
        next = Side::negative;
    else if (value > stickTravel)
        next = Side::positive;
    if (axis == acrossAxis)
        return update(joystick, &Pad::stickAcross, next, nullptr, Side::none);
    return update(joystick, nullptr, Side::none, &Pad::stickUpDown, next);
}

PadSteering::Changes PadSteering::hatMoved(int joystick, int hat, uint8_t value)
{
    if (hat != steeringHat)
        return {{}, 0};
    // Diagonals hold a side of each axis; both sides of one axis at once
    // cannot be pressed on a real pad and hold neither.
    auto sideOf = [value](uint8_t negativeBit, uint8_t positiveBit) {
        const bool negative = (value & negativeBit) != 0;
        const bool positive = (value & positiveBit) != 0;
        if (negative && !positive)
            return Side::negative;
        if (positive && !negative)
            return Side::positive;
        return Side::none;
    };
    return update(joystick, &Pad::hatAcross, sideOf(SDL_HAT_LEFT, SDL_HAT_RIGHT), &Pad::hatUpDown,
                  sideOf(SDL_HAT_UP, SDL_HAT_DOWN));
}

PadSteering::Changes PadSteering::update(int joystick, Side Pad::*across, Side nextAcross, Side Pad::*upDown,
                                         Side nextUpDown)
{
    Changes result{{}, 0};
    if (joystick < 0 || joystick >= padCount)
        return result;
    Pad& pad = pads[joystick];
    static constexpr Axis axes[2] = {
        {&Pad::stickAcross, &Pad::hatAcross, InputBindings::stickLeftCode, InputBindings::stickRightCode},
        {&Pad::stickUpDown, &Pad::hatUpDown, InputBindings::stickUpCode, InputBindings::stickDownCode},
    };
    auto holds = [&pad](const Axis& axis, Side side) { return pad.*(axis.stick) == side || pad.*(axis.hat) == side; };
    bool before[2][2];
    for (int a = 0; a < 2; ++a) {
        before[a][0] = holds(axes[a], Side::negative);
        before[a][1] = holds(axes[a], Side::positive);
    }
    if (across != nullptr)
        pad.*across = nextAcross;
    if (upDown != nullptr)
        pad.*upDown = nextUpDown;
    bool after[2][2];
    for (int a = 0; a < 2; ++a) {
        after[a][0] = holds(axes[a], Side::negative);
        after[a][1] = holds(axes[a], Side::positive);
    }

    for (int a = 0; a < 2; ++a) {
        if (before[a][0] && !after[a][0])
            result.changes[result.count++] = {axes[a].negativeCode, false};
        if (before[a][1] && !after[a][1])
            result.changes[result.count++] = {axes[a].positiveCode, false};
    }
    for (int a = 0; a < 2; ++a) {
        if (!before[a][0] && after[a][0])
            result.changes[result.count++] = {axes[a].negativeCode, true};
        if (!before[a][1] && after[a][1])
            result.changes[result.count++] = {axes[a].positiveCode, true};
    }
    return result;
}
