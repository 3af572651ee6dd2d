#include "app/InputBindings.h"

#include <gtest/gtest.h>

namespace {

SDL_keysym key(SDLKey sym, SDLMod mod = KMOD_NONE)
{
    SDL_keysym record{};
    record.sym = sym;
    record.mod = mod;
    return record;
}

InputBindings defaults()
{
    InputBindings bindings;
    bindings.installDefaults();
    return bindings;
}

} // namespace

TEST(InputCodes, KeyboardTable)
{
    EXPECT_EQ(InputBindings::keyCode(SDLK_a), 1);
    EXPECT_EQ(InputBindings::keyCode(SDLK_z), 26);
    EXPECT_EQ(InputBindings::keyCode(SDLK_0), 27);
    EXPECT_EQ(InputBindings::keyCode(SDLK_9), 36);
    EXPECT_EQ(InputBindings::keyCode(SDLK_TAB), 37);
    EXPECT_EQ(InputBindings::keyCode(SDLK_LSHIFT), 38);
    EXPECT_EQ(InputBindings::keyCode(SDLK_RSHIFT), 38);
    EXPECT_EQ(InputBindings::keyCode(SDLK_LCTRL), 39);
    EXPECT_EQ(InputBindings::keyCode(SDLK_RALT), 40);
    EXPECT_EQ(InputBindings::keyCode(SDLK_SPACE), 41);
    EXPECT_EQ(InputBindings::keyCode(SDLK_RETURN), 42);
    // Arrows are numbered up, left, right, down.
    EXPECT_EQ(InputBindings::keyCode(SDLK_UP), 43);
    EXPECT_EQ(InputBindings::keyCode(SDLK_LEFT), 44);
    EXPECT_EQ(InputBindings::keyCode(SDLK_RIGHT), 45);
    EXPECT_EQ(InputBindings::keyCode(SDLK_DOWN), 46);
    EXPECT_EQ(InputBindings::keyCode(SDLK_HOME), 47);
    EXPECT_EQ(InputBindings::keyCode(SDLK_END), 48);
    EXPECT_EQ(InputBindings::keyCode(SDLK_PAGEUP), 49);
    EXPECT_EQ(InputBindings::keyCode(SDLK_PAGEDOWN), 50);
    EXPECT_EQ(InputBindings::keyCode(SDLK_KP0), 51);
    EXPECT_EQ(InputBindings::keyCode(SDLK_KP9), 60);
    EXPECT_EQ(InputBindings::keyCode(SDLK_MINUS), 61);
    EXPECT_EQ(InputBindings::keyCode(SDLK_EQUALS), 62);
    EXPECT_EQ(InputBindings::keyCode(SDLK_BACKSPACE), 63);
    EXPECT_EQ(InputBindings::keyCode(SDLK_DELETE), 64);
    EXPECT_EQ(InputBindings::keyCode(SDLK_ESCAPE), 65);
    EXPECT_EQ(InputBindings::keyCode(SDLK_COMMA), 66);
    EXPECT_EQ(InputBindings::keyCode(SDLK_PERIOD), 67);
    EXPECT_EQ(InputBindings::keyCode(SDLK_F1), 0);
    EXPECT_EQ(InputBindings::keyCode(SDLK_INSERT), 0);
    EXPECT_EQ(InputBindings::keyCode(SDLK_KP_PLUS), 0);
}

TEST(InputBindings, DefaultActions)
{
    const InputBindings bindings = defaults();
    EXPECT_EQ(bindings.keyAction(key(SDLK_UP)), "P1Up");
    EXPECT_EQ(bindings.keyAction(key(SDLK_LEFT)), "P1Left");
    EXPECT_EQ(bindings.keyAction(key(SDLK_RIGHT)), "P1Right");
    EXPECT_EQ(bindings.keyAction(key(SDLK_DOWN)), "P1Down");
    EXPECT_EQ(bindings.keyAction(key(SDLK_ESCAPE)), "Escape");
    EXPECT_EQ(bindings.keyAction(key(SDLK_SPACE)), "Action");
    EXPECT_EQ(bindings.keyAction(key(SDLK_z)), "Action");
    EXPECT_EQ(bindings.keyAction(key(SDLK_z, KMOD_LSHIFT)), "Action");
    EXPECT_EQ(bindings.keyAction(key(SDLK_a)), "Assists");
    EXPECT_EQ(bindings.keyAction(key(SDLK_RETURN)), "");
    EXPECT_EQ(bindings.keyAction(key(SDLK_KP8)), "");
    EXPECT_EQ(bindings.keyAction(key(SDLK_LSHIFT)), "");
    EXPECT_EQ(bindings.keyAction(key(SDLK_F5)), "");
}

TEST(InputBindings, FirstBindingOfACodeStays)
{
    InputBindings bindings = defaults();
    bindings.bind(41, "Escape");
    EXPECT_EQ(bindings.keyAction(key(SDLK_SPACE)), "Action");
    bindings.bind(42, "Escape");
    EXPECT_EQ(bindings.keyAction(key(SDLK_RETURN)), "Escape");
}

TEST(InputBindings, JoystickCodes)
{
    EXPECT_EQ(InputBindings::joystickCode(0, 0), 68);
    EXPECT_EQ(InputBindings::joystickCode(1, 3), 91);
    EXPECT_EQ(InputBindings::joystickCode(3, 19), 147);
    // Joystick index 4 and joystick 0 button 6 share code 78.
    EXPECT_EQ(InputBindings::joystickCode(4, 9), 78);
    EXPECT_EQ(InputBindings::joystickCode(0, 6 + InputBindings::firstButtonCode), 78);
    // Button 16 reaches into the next joystick's codes.
    EXPECT_EQ(InputBindings::joystickCode(0, 16 + InputBindings::firstButtonCode), 88);
    // Button 0 jumps; button 2 is bound to nothing.
    EXPECT_EQ(defaults().joystickAction(0, 4), "Action");
    EXPECT_EQ(defaults().joystickAction(0, 6), "");
}

TEST(InputBindings, AxisReports)
{
    struct Case {
        int axis;
        float value;
        int count;
        int first;
        float firstAmount;
        int second;
    };
    const Case cases[] = {
        {0, -1.0f, 1, 3, 1.0f, -1}, {0, 0.5f, 1, 1, 0.5f, -1}, {0, 0.0f, 2, 3, 0.0f, 1},
        {1, -0.25f, 1, 0, 0.25f, -1}, {1, 0.25f, 1, 2, 0.25f, -1}, {1, 0.0f, 1, 2, 0.0f, -1},
        {2, -0.5f, 1, 5, 0.5f, -1}, {2, 0.5f, 1, 4, 0.5f, -1}, {2, 0.0f, 2, 5, 0.0f, 4},
        {3, -0.5f, 1, 9, 0.5f, -1}, {3, 0.5f, 1, 7, 0.5f, -1}, {3, 0.0f, 1, 7, 0.0f, -1},
        {4, -0.5f, 1, 6, 0.5f, -1}, {4, 0.5f, 1, 8, 0.5f, -1}, {4, 0.0f, 1, 8, 0.0f, -1},
        {5, -0.75f, 1, 0, 0.75f, -1}, {9, 0.75f, 1, 0, 0.75f, -1}, {7, 0.0f, 1, 0, 0.0f, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "axis " << c.axis << " value " << c.value);
        const InputBindings::AxisReports reports = InputBindings::axisReports(c.axis, c.value);
        ASSERT_EQ(reports.count, c.count);
        EXPECT_EQ(reports.reports[0].direction, c.first);
        EXPECT_FLOAT_EQ(reports.reports[0].amount, c.firstAmount);
        if (c.count == 2) {
            EXPECT_EQ(reports.reports[1].direction, c.second);
            EXPECT_EQ(reports.reports[1].amount, 0.0f);
        }
    }
}

TEST(InputBindings, PadDefaultsSteerAndJumpOnTheFirstFourJoysticks)
{
    const InputBindings bindings = defaults();
    for (int joystick = 0; joystick < 4; ++joystick) {
        SCOPED_TRACE(testing::Message() << "joystick " << joystick);
        EXPECT_EQ(bindings.joystickAction(joystick, 3), "P1Left");
        EXPECT_EQ(bindings.joystickAction(joystick, 1), "P1Right");
        EXPECT_EQ(bindings.buttonAction(joystick, 0), "Action");
        EXPECT_EQ(bindings.buttonAction(joystick, 1), "Action");
        EXPECT_EQ(bindings.joystickAction(joystick, 0), "P1Up");
        EXPECT_EQ(bindings.joystickAction(joystick, 2), "P1Down");
        // The other axis directions and the other buttons stay unbound.
        for (int direction : {6, 7, 9}) // 8 is button 4's code as well
            EXPECT_EQ(bindings.joystickAction(joystick, direction), "") << "direction " << direction;
        EXPECT_EQ(bindings.buttonAction(joystick, 7), "Pause");
        EXPECT_EQ(bindings.buttonAction(joystick, 8), "Retry");
        EXPECT_EQ(bindings.buttonAction(joystick, 4), "Assists");
        for (int button = 2; button < 16; ++button)
            if (button != 7 && button != 8 && button != 4) {
                EXPECT_EQ(bindings.buttonAction(joystick, button), "") << "button " << button;
            }
    }
    // Codes 72 and 73 are joystick 0's buttons 0 and 1 and also its axis 2
    // directions 4 and 5: the binding is one, whichever input reports it.
    EXPECT_EQ(bindings.action(72), "Action");
    EXPECT_EQ(bindings.action(73), "Action");
    // Code 78, shared by every input of joysticks 4 and up and by joystick
    // 0's button 6, is bound to nothing.
    EXPECT_EQ(bindings.action(78), "");
    EXPECT_EQ(bindings.buttonAction(4, 0), "");
    EXPECT_EQ(bindings.joystickAction(4, 3), "");
    EXPECT_EQ(bindings.buttonAction(0, 6), "");
    // No pad input quits: Escape stays on the keyboard's code alone.
    for (int code = 68; code < 200; ++code)
        EXPECT_NE(bindings.action(code), "Escape") << "code " << code;
}

TEST(InputBindings, ButtonsBeyondTheirJoysticksCodesActForNothing)
{
    const InputBindings bindings = defaults();
    // Button 17 of joystick 0 has code 89, joystick 1's stick right; button
    // 20 has code 92, joystick 1's button 0. Neither steers nor jumps.
    EXPECT_EQ(bindings.action(InputBindings::joystickCode(0, 17 + InputBindings::firstButtonCode)), "P1Right");
    EXPECT_EQ(bindings.buttonAction(0, 17), "");
    EXPECT_EQ(bindings.action(InputBindings::joystickCode(0, 20 + InputBindings::firstButtonCode)), "Action");
    EXPECT_EQ(bindings.buttonAction(0, 20), "");
    EXPECT_EQ(bindings.buttonAction(2, 19), "");
    EXPECT_EQ(bindings.buttonAction(0, 15), "");
    EXPECT_EQ(bindings.buttonAction(0, 255), "");
    EXPECT_EQ(bindings.buttonAction(0, -1), "");
}
