#pragma once

// Help a player can switch on, off by default. Neither changes what one step
// does: the game speed only spaces the steps out in real time, and the kick
// buffer only keeps a press for a later step. A run with either on is kept
// apart from unassisted runs (records, best replay, ghost).
struct Assists {
    static constexpr int fullSpeed = 100;   // percent of 66 2/3 steps a second
    static constexpr int slowestSpeed = 50; // percent
    static constexpr int speedStep = 10;    // percent between the offered speeds

    int gameSpeed = fullSpeed; // percent
    bool kickBuffer = false;

    bool any() const { return gameSpeed != fullSpeed || kickBuffer; }
    // 50, 60, 70, 80, 90 or 100.
    static bool offeredSpeed(long percent)
    {
        return percent >= slowestSpeed && percent <= fullSpeed && percent % speedStep == 0;
    }
    // The next offered speed down, wrapping from the slowest to full speed
    // (the menus step through them with one key).
    static int slowerSpeed(int percent) { return percent <= slowestSpeed ? fullSpeed : percent - speedStep; }
    bool operator==(const Assists&) const = default;
};
