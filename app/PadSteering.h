#pragma once
#include <cstdint>

// Turns a pad's left stick and D-pad into held directions: left and right
// steer, up and down look. Each source holds at most one side of each axis;
// a side counts as held while either source holds it, so a change yields a
// release and a press only when the pad as a whole changes. Directions are
// reported as the stick's joystick codes, which the binding table turns
// into actions. Only the joysticks with codes of their own steer; the
// trigger axes never do, although they share codes with the buttons.
class PadSteering {
public:
    struct Change {
        int direction; // joystick code: InputBindings::stick{Left,Right,Up,Down}Code
        bool held;     // true: pressed now, false: released now
    };
    // Releases come before presses: a stick thrown from one side to the
    // other lets go of the old side first. A D-pad moved from one diagonal
    // to the opposite one changes both axes: four changes.
    struct Changes {
        Change changes[4];
        int count;
    };

    // value: the axis position scaled to about -1..1.
    Changes axisMoved(int joystick, int axis, float value);
    // value: SDL's hat bits (SDL_HAT_LEFT, SDL_HAT_RIGHT, ...).
    Changes hatMoved(int joystick, int hat, uint8_t value);

private:
    // negative: left or up; positive: right or down.
    enum class Side : uint8_t { none, negative, positive };
    struct Pad {
        Side stickAcross = Side::none;
        Side hatAcross = Side::none;
        Side stickUpDown = Side::none;
        Side hatUpDown = Side::none;
    };
    struct Axis {
        Side Pad::*stick;
        Side Pad::*hat;
        int negativeCode;
        int positiveCode;
    };
    static constexpr int padCount = 4;

    // Sets the sources given (null: unchanged) and reports what changed.
    Changes update(int joystick, Side Pad::*across, Side nextAcross, Side Pad::*upDown, Side nextUpDown);

    Pad pads[padCount];
};
