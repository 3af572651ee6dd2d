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
    // Directions of axis 0, the left stick; the D-pad steers through them too.
    static constexpr int stickLeftCode = 3;
    static constexpr int stickRightCode = 1;
    // Directions of axis 1: the stick's (and the D-pad's) up and down look.
    static constexpr int stickUpCode = 0;
    static constexpr int stickDownCode = 2;
    // Joysticks 0..3 have codes of their own and default pad bindings.
    static constexpr int numberedJoysticks = 4;
    // Buttons from this number on reach into the next joystick's codes.
    static constexpr int buttonsPerJoystick = 16;
    // Start on the common console layout under Linux; the button after it
    // (the middle one there) restarts. Button 6 would share joystick 0's code
    // with every input of joysticks 4 and up, and buttons 0 to 5 share codes
    // with axis directions that resting triggers report.
    static constexpr int pauseButton = 7;
    static constexpr int retryButton = 8;
    // The left shoulder there opens the assists. Its code is shared with a
    // direction of the right stick, which steers nothing.
    static constexpr int assistsButton = 4;

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
    // A button's action; "" for buttons whose code would belong to another
    // joystick's inputs, so that no button can steer or jump for another pad.
    std::string buttonAction(int joystick, int button) const;

private:
    std::map<int, std::string> actions;
};
