#pragma once
#include <cstdint>

// Turns a pad's left stick and D-pad into held directions. Each source holds
// at most one side; a side counts as held while either source holds it, so a
// change yields a release and a press only when the pad as a whole changes.
// Directions are reported as the stick's joystick codes, which the binding
// table turns into actions. Only the joysticks with codes of their own steer;
// the trigger axes never do, although they share codes with the buttons.
class PadSteering {
public:
    struct Change {
        int direction; // joystick code: InputBindings::stickLeftCode or stickRightCode
        bool held;     // true: pressed now, false: released now
    };
    // Releases come before presses: a stick thrown from one side to the
    // other lets go of the old side first.
    struct Changes {
        Change changes[2];
        int count;
    };

    // value: the axis position scaled to about -1..1.
    Changes axisMoved(int joystick, int axis, float value);
    // value: SDL's hat bits (SDL_HAT_LEFT, SDL_HAT_RIGHT, ...).
    Changes hatMoved(int joystick, int hat, uint8_t value);

private:
    enum class Side : uint8_t { none, left, right };
    struct Pad {
        Side stick = Side::none;
        Side hat = Side::none;
    };
    static constexpr int padCount = 4;

    Changes update(int joystick, Side Pad::*source, Side next);

    Pad pads[padCount];
};
