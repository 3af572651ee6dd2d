#include "app/InputBindings.h"

#include <cmath>

namespace {

constexpr int firstLetterCode = 1;      // a..z -> 1..26
constexpr int firstDigitCode = 27;      // 0..9 -> 27..36
constexpr int firstKeypadCode = 51;     // keypad 0..9 -> 51..60
constexpr int firstJoystickCode = 68;   // 20 codes for each of joysticks 0..3
constexpr int codesPerJoystick = 20;
constexpr int lastNumberedJoystick = InputBindings::numberedJoysticks - 1;
constexpr int sharedJoystickCode = 78;  // every input of joysticks 4 and up

} // namespace

int InputBindings::keyCode(SDLKey sym)
{
    if (sym >= SDLK_a && sym <= SDLK_z)
        return firstLetterCode + (sym - SDLK_a);
    if (sym >= SDLK_0 && sym <= SDLK_9)
        return firstDigitCode + (sym - SDLK_0);
    if (sym >= SDLK_KP0 && sym <= SDLK_KP9)
        return firstKeypadCode + (sym - SDLK_KP0);
    switch (sym) {
    case SDLK_TAB: return 37;
    case SDLK_RSHIFT: case SDLK_LSHIFT: return 38;
    case SDLK_RCTRL: case SDLK_LCTRL: return 39;
    case SDLK_RALT: case SDLK_LALT: return 40;
    case SDLK_SPACE: return 41;
    case SDLK_RETURN: return 42;
    case SDLK_UP: return 43;
    case SDLK_LEFT: return 44;
    case SDLK_RIGHT: return 45;
    case SDLK_DOWN: return 46;
    case SDLK_HOME: return 47;
    case SDLK_END: return 48;
    case SDLK_PAGEUP: return 49;
    case SDLK_PAGEDOWN: return 50;
    case SDLK_MINUS: return 61;
    case SDLK_EQUALS: return 62;
    case SDLK_BACKSPACE: return 63;
    case SDLK_DELETE: return 64;
    case SDLK_ESCAPE: return 65;
    case SDLK_COMMA: return 66;
    case SDLK_PERIOD: return 67;
    default: return 0;
    }
}

int InputBindings::joystickCode(int joystick, int joystickInput)
{
    if (joystick > lastNumberedJoystick)
        return sharedJoystickCode;
    return firstJoystickCode + codesPerJoystick * joystick + joystickInput;
}

InputBindings::AxisReports InputBindings::axisReports(int axis, float value)
{
    const float amount = std::fabs(value);
    // Axes 0 and 2 report their return to the centre to both directions; the
    // others count zero as their positive direction.
    struct AxisDirections {
        int negative;
        int positive;
        bool centreToBoth;
    };
    static constexpr AxisDirections table[] = {
        {3, 1, true}, {0, 2, false}, {5, 4, true}, {9, 7, false}, {6, 8, false},
    };
    if (axis < 0 || axis >= static_cast<int>(std::size(table)))
        return {{{0, amount}, {0, 0.0f}}, 1};
    const AxisDirections& directions = table[axis];
    if (value < 0.0f)
        return {{{directions.negative, amount}, {0, 0.0f}}, 1};
    if (value > 0.0f || !directions.centreToBoth)
        return {{{directions.positive, amount}, {0, 0.0f}}, 1};
    return {{{directions.negative, 0.0f}, {directions.positive, 0.0f}}, 2};
}

void InputBindings::bind(int code, const std::string& action)
{
    actions.emplace(code, action);
}

void InputBindings::installDefaults()
{
    bind(43, "P1Up");
    bind(44, "P1Left");
    bind(45, "P1Right");
    bind(46, "P1Down");
    bind(65, "Escape");
    bind(41, "Action");
    bind(26, "Action");
    bind(18, "Retry"); // R
    bind(16, "Pause"); // P
    bind(firstLetterCode + ('g' - 'a'), "Ghost");
    bind(firstLetterCode, "Assists"); // A
    // The pads: the left stick (and the D-pad, which reports through the same
    // codes) steers and looks up and down, the two main face buttons jump,
    // Start pauses, the button after it restarts and the left shoulder opens
    // the assists. Nothing on a pad quits.
    for (int joystick = 0; joystick < numberedJoysticks; ++joystick) {
        bind(joystickCode(joystick, stickLeftCode), "P1Left");
        bind(joystickCode(joystick, stickRightCode), "P1Right");
        bind(joystickCode(joystick, stickUpCode), "P1Up");
        bind(joystickCode(joystick, stickDownCode), "P1Down");
        bind(joystickCode(joystick, firstButtonCode + 0), "Action");
        bind(joystickCode(joystick, firstButtonCode + 1), "Action");
        bind(joystickCode(joystick, firstButtonCode + retryButton), "Retry");
        bind(joystickCode(joystick, firstButtonCode + pauseButton), "Pause");
        bind(joystickCode(joystick, firstButtonCode + assistsButton), "Assists");
    }
}

std::string InputBindings::buttonAction(int joystick, int button) const
{
    if (button < 0 || button >= buttonsPerJoystick)
        return {};
    return joystickAction(joystick, firstButtonCode + button);
}

std::string InputBindings::action(int code) const
{
    const auto found = actions.find(code);
    return found == actions.end() ? std::string() : found->second;
}
