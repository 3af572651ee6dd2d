#pragma once
#include <SDL/SDL_keyboard.h>
#include <map>
#include <string>

// Translates keys and joystick inputs into input codes and looks up the
// action name bound to a code ("" when unbound).
class InputBindings {
public:
    // Joystick codes 0..9 are axis directions; buttons start at this code.
    static constexpr int firstButtonCode = 4;

    // One joystick axis event yields one or two of these.
    struct AxisReport {
        int direction;
        float amount;
    };
    struct AxisReports {
        AxisReport reports[2];
        int count;
    };

    static int keyCode(SDLKey sym);
    static int joystickCode(int joystick, int joystickInput);
    static AxisReports axisReports(int axis, float value);

    // Adds a binding unless the code already has one.
    void bind(int code, const std::string& action);
    void installDefaults();

    std::string action(int code) const;
    std::string keyAction(const SDL_keysym& key) const { return action(keyCode(key.sym)); }
    std::string joystickAction(int joystick, int joystickInput) const
    {
        return action(joystickCode(joystick, joystickInput));
    }

private:
    std::map<int, std::string> actions;
};
