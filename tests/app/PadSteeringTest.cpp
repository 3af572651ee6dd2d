#include "app/PadSteering.h"

#include <SDL/SDL_joystick.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Axis values as the Application scales SDL's: raw / 32768.
constexpr float justPastHalf = 16385.0f / 32768.0f;
constexpr float fullRight = 32767.0f / 32768.0f;

// "+3" for a press of direction 3, "-1" for a release of direction 1.
std::vector<std::string> text(const PadSteering::Changes& changes)
{
    std::vector<std::string> out;
    for (int i = 0; i < changes.count; ++i) {
        std::string change(1, changes.changes[i].held ? '+' : '-');
        change += std::to_string(changes.changes[i].direction);
        out.push_back(change);
    }
    return out;
}

using Lines = std::vector<std::string>;

} // namespace

TEST(PadSteering, StickHoldsPastHalfTravelAndLetsGoInsideIt)
{
    PadSteering pad;
    EXPECT_EQ(text(pad.axisMoved(0, 0, 0.5f)), Lines{});
    EXPECT_EQ(text(pad.axisMoved(0, 0, justPastHalf)), Lines{"+1"});
    EXPECT_EQ(text(pad.axisMoved(0, 0, 0.9f)), Lines{});
    EXPECT_EQ(text(pad.axisMoved(0, 0, 0.5f)), Lines{"-1"});
    EXPECT_EQ(text(pad.axisMoved(0, 0, -0.5f)), Lines{});
    EXPECT_EQ(text(pad.axisMoved(0, 0, -justPastHalf)), Lines{"+3"});
    EXPECT_EQ(text(pad.axisMoved(0, 0, -1.0f)), Lines{});
    EXPECT_EQ(text(pad.axisMoved(0, 0, 0.0f)), Lines{"-3"});
}

TEST(PadSteering, StickThrownAcrossReleasesBeforeItPresses)
{
    PadSteering pad;
    EXPECT_EQ(text(pad.axisMoved(1, 0, -1.0f)), Lines{"+3"});
    EXPECT_EQ(text(pad.axisMoved(1, 0, fullRight)), (Lines{"-3", "+1"}));
    EXPECT_EQ(text(pad.axisMoved(1, 0, -1.0f)), (Lines{"-1", "+3"}));
}

TEST(PadSteering, OtherAxesNeverSteer)
{
    PadSteering pad;
    // The triggers at rest (full negative travel) and pressed, and axes
    // beyond; axis 1 looks up and down (below).
    for (int axis : {2, 3, 4, 5, 9})
        for (float value : {-1.0f, 1.0f, 0.0f})
            EXPECT_EQ(text(pad.axisMoved(0, axis, value)), Lines{}) << "axis " << axis << " value " << value;
}

TEST(PadSteering, HatSteersWithDiagonalsAndSwitchesSides)
{
    PadSteering pad;
    // Up is direction 0, down 2: they look, and diagonals hold both axes.
    EXPECT_EQ(text(pad.hatMoved(0, 0, SDL_HAT_UP)), Lines{"+0"});
    EXPECT_EQ(text(pad.hatMoved(0, 0, SDL_HAT_LEFTUP)), Lines{"+3"});
    EXPECT_EQ(text(pad.hatMoved(0, 0, SDL_HAT_LEFT)), Lines{"-0"});
    EXPECT_EQ(text(pad.hatMoved(0, 0, SDL_HAT_LEFTDOWN)), Lines{"+2"});
    EXPECT_EQ(text(pad.hatMoved(0, 0, SDL_HAT_RIGHT)), (Lines{"-3", "-2", "+1"}));
    EXPECT_EQ(text(pad.hatMoved(0, 0, SDL_HAT_RIGHTUP)), Lines{"+0"});
    // Diagonal to the opposite diagonal: both releases before both presses.
    EXPECT_EQ(text(pad.hatMoved(0, 0, SDL_HAT_LEFTDOWN)), (Lines{"-1", "-0", "+3", "+2"}));
    EXPECT_EQ(text(pad.hatMoved(0, 0, SDL_HAT_DOWN)), Lines{"-3"});
    EXPECT_EQ(text(pad.hatMoved(0, 0, SDL_HAT_CENTERED)), Lines{"-2"});
    // Both sides at once holds neither.
    EXPECT_EQ(text(pad.hatMoved(0, 0, SDL_HAT_LEFT | SDL_HAT_RIGHT)), Lines{});
    EXPECT_EQ(text(pad.hatMoved(0, 0, SDL_HAT_UP | SDL_HAT_DOWN)), Lines{});
    // Only the first hat steers.
    EXPECT_EQ(text(pad.hatMoved(0, 1, SDL_HAT_LEFT)), Lines{});
}

TEST(PadSteering, StickAndHatHoldASideTogether)
{
    PadSteering pad;
    EXPECT_EQ(text(pad.axisMoved(0, 0, 1.0f)), Lines{"+1"});
    EXPECT_EQ(text(pad.hatMoved(0, 0, SDL_HAT_RIGHT)), Lines{});
    EXPECT_EQ(text(pad.axisMoved(0, 0, 0.0f)), Lines{});
    EXPECT_EQ(text(pad.hatMoved(0, 0, SDL_HAT_LEFT)), (Lines{"-1", "+3"}));
    EXPECT_EQ(text(pad.axisMoved(0, 0, 1.0f)), Lines{"+1"});
    EXPECT_EQ(text(pad.hatMoved(0, 0, SDL_HAT_CENTERED)), Lines{"-3"});
    EXPECT_EQ(text(pad.axisMoved(0, 0, 0.0f)), Lines{"-1"});
}

TEST(PadSteering, EachPadIsItsOwnAndOnlyTheFirstFourSteer)
{
    PadSteering pad;
    EXPECT_EQ(text(pad.axisMoved(0, 0, 1.0f)), Lines{"+1"});
    EXPECT_EQ(text(pad.axisMoved(3, 0, 1.0f)), Lines{"+1"});
    EXPECT_EQ(text(pad.axisMoved(3, 0, 0.0f)), Lines{"-1"});
    for (int joystick : {4, 5, 255, -1}) {
        EXPECT_EQ(text(pad.axisMoved(joystick, 0, -1.0f)), Lines{}) << joystick;
        EXPECT_EQ(text(pad.hatMoved(joystick, 0, SDL_HAT_LEFT)), Lines{}) << joystick;
    }
    EXPECT_EQ(text(pad.axisMoved(0, 0, 0.0f)), Lines{"-1"});
}
