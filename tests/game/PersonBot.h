#pragma once
#include "game/Camera.h"
#include "game/LevelGrid.h"
#include "game/PilotBody.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>

// A player that plays like a person who has never seen the level: it knows
// only the cells the screen shows around the pilot (the default view, and
// above it what holding Up shows: a glance up and back), it acts on what it
// saw ten steps ago, and it presses jump at most once every sixteen steps;
// a hand with timing noise lands each press a few steps early or late. It
// has no route and no map: in each room it
// looks for a narrow way up in the ceiling, stands under it, jumps and kicks
// up; with none in view it jumps through a hole two or three cells wide,
// leaning over its edge, or onto a higher ledge it can see, and with none
// of those it walks on, and at a wall jumps and kicks off it while rising,
// and on off the next wall, unless the way out is on that side.
class PersonBot {
public:
    // What the screen shows around the pilot's cell, in cells: the camera's
    // default view to the sides and below, and up to where Up lets it look
    // (12 rows, short of the 13.5 the game shows: a glance, not a study).
    static constexpr float viewColumnsAside = view::columnsLeftOfPilot;
    static constexpr float viewRowsAboveLookingUp = 12.0f;
    static constexpr float viewRowsBelow = view::rowsBelowPilot;
    static_assert(view::columnsRightOfPilot == view::columnsLeftOfPilot);
    static_assert(viewRowsAboveLookingUp <= view::rowsAbovePilotLookingUp);
    static constexpr int32_t reactionSteps = 10;  // steps between seeing and acting, at full game speed
    static constexpr int32_t pressGap = 16;       // steps from one jump press to the next, at least, at full game speed
    static constexpr float cruiseSpeed = 0.15f;   // cells per step: it walks no faster when aiming
    static constexpr float stillSpeed = 0.01f;    // cells per step: counts as standing still
    static constexpr int32_t ledgeReach = 11;     // rows: ledges higher than this are not tried
    static constexpr int32_t stopSteps = 3;       // steps the pilot slides on after the keys are let go
    static constexpr float fallFeel = 0.01f;      // cells per step²: how fast it has learnt a rise slows

    // A person's hand: presses land up to `pressJitter` steps early or late
    // (from a seeded generator, so a run repeats), and at a slower game
    // speed (0.7 for 70 %) the same real-time limits span fewer steps. To
    // land a press early the hand looks pressJitter steps sooner and waits
    // 0 to 2 * pressJitter steps; its directions act on that sooner sight.
    PersonBot() = default;
    PersonBot(uint64_t seed, int32_t pressJitter, float gameSpeed)
        : reaction(std::max(static_cast<int32_t>(static_cast<float>(reactionSteps) * gameSpeed), pressJitter)),
          gap(std::max(static_cast<int32_t>(static_cast<float>(pressGap) * gameSpeed), 1)), jitter(pressJitter),
          random(seed), lastPress(-gap), lastLanded(-gap)
    {
    }

    struct Keys {
        bool left = false;
        bool right = false;
        bool jump = false;
    };

    // The keys for the next step. `body` is looked at only to remember what
    // the player sees now; the decision uses what it saw reactionSteps ago.
    Keys next(const PilotBody& body, const LevelGrid& grid)
    {
        seen[step % seen.size()] = Sight{body.x, body.y, body.vx, body.vy, body.airborne};
        const int32_t sightAge = reaction - jitter;
        const Sight& old = seen[(step + seen.size() - static_cast<std::size_t>(sightAge)) % seen.size()];
        Keys keys;
        if (step >= sightAge) {
            keys = decide(old, grid);
        }
        if (keys.jump) {
            lastPress = step;
            keys.jump = false;
            random = random * 6364136223846793005ull + 1442695040888963407ull;
            const auto wait = static_cast<int64_t>((random >> 33) % static_cast<uint64_t>(2 * jitter + 1));
            landing = step + wait;
        }
        // The hand is no quicker than its limit, however the presses drift.
        if (landing >= 0 && step >= landing && step - lastLanded >= gap) {
            keys.jump = true;
            landing = -1;
            lastLanded = step;
            ++pressCount;
        }
        ++step;
        return keys;
    }

    int32_t pressGapSteps() const { return gap; }
    int64_t presses() const { return pressCount; }

private:
    struct Sight {
        float x = 0.0f;
        float y = 0.0f;
        float vx = 0.0f;
        float vy = 0.0f;
        bool airborne = true; // the pilot is drawn in the air
    };

    // A cell the player can see from where the pilot was; anything else is
    // unknown to it, and it treats unknown cells as open.
    bool visible(const Sight& at, int32_t column, int32_t row) const
    {
        return column + 1 > at.x - viewColumnsAside && column < at.x + 1.0f + viewColumnsAside &&
               row + 1 > at.y - viewRowsAboveLookingUp && row < at.y + 1.0f + viewRowsBelow;
    }
    bool wall(const Sight& at, const LevelGrid& grid, int32_t column, int32_t row) const
    {
        return visible(at, column, row) && grid.solid(column, row);
    }
    bool canPress() const { return step - lastPress >= gap; }

    // The lowest visible one-cell gap in a ceiling above the pilot with a
    // clear column under it down to the pilot's row: the foot of a shaft.
    std::optional<int32_t> shaftAbove(const Sight& at, const LevelGrid& grid, int32_t column, int32_t row) const
    {
        for (int32_t up = 4; up <= static_cast<int32_t>(viewRowsAboveLookingUp); ++up) {
            std::optional<int32_t> best;
            for (int32_t c = column - 9; c <= column + 9; ++c) {
                const int32_t r = row - up;
                if (!visible(at, c, r) || grid.solid(c, r) || !wall(at, grid, c - 1, r) || !wall(at, grid, c + 1, r)) {
                    continue;
                }
                bool clear = true;
                for (int32_t below = r + 1; below <= row && clear; ++below) {
                    clear = !wall(at, grid, c, below);
                }
                if (clear && (!best || std::abs(c - column) < std::abs(*best - column))) {
                    best = c;
                }
            }
            if (best) {
                return best;
            }
        }
        return std::nullopt;
    }

    // With no shaft in view: the nearest visible edge cell of a hole two or
    // three cells wide in a ceiling, with a clear column under it; `side`
    // is the way to the ceiling beside it, where the pilot means to land.
    std::optional<int32_t> holeAbove(const Sight& at, const LevelGrid& grid, int32_t column, int32_t row,
                                     int32_t& side) const
    {
        for (int32_t up = 4; up <= static_cast<int32_t>(viewRowsAboveLookingUp); ++up) {
            const int32_t r = row - up;
            std::optional<int32_t> best;
            for (int32_t c = column - 9; c <= column + 9; ++c) {
                for (const int32_t toWall : {-1, 1}) {
                    int32_t width = 1;
                    while (width <= 3 && visible(at, c - toWall * width, r) && !grid.solid(c - toWall * width, r)) {
                        ++width;
                    }
                    bool fits = visible(at, c, r) && !grid.solid(c, r) && wall(at, grid, c + toWall, r) &&
                                !wall(at, grid, c + toWall, r - 1) && width >= 2 && width <= 3 &&
                                wall(at, grid, c - toWall * width, r);
                    for (int32_t below = r + 1; below <= row && fits; ++below) {
                        fits = !wall(at, grid, c, below);
                    }
                    if (fits && (!best || std::abs(c - column) < std::abs(*best - column))) {
                        best = c;
                        side = toWall;
                    }
                }
            }
            if (best) {
                return best;
            }
        }
        return std::nullopt;
    }

    // Whether the column above the pilot, up to a ceiling, passes an
    // opening in the wall on `side`: a door it rises towards.
    bool openingAbove(const Sight& at, const LevelGrid& grid, int32_t column, int32_t row, int32_t side) const
    {
        for (int32_t r = row - 1; visible(at, column, r) && !grid.solid(column, r); --r) {
            if (!wall(at, grid, column + side, r) && visible(at, column + side, r)) {
                return true;
            }
        }
        return false;
    }

    // The nearest cell of the highest visible ledge within a jump: an open
    // cell on solid ground, higher than the pilot, with head room.
    std::optional<int32_t> ledgeAbove(const Sight& at, const LevelGrid& grid, int32_t column, int32_t row,
                                      int32_t& ledgeRow) const
    {
        for (int32_t r = row - ledgeReach; r < row; ++r) {
            std::optional<int32_t> best;
            for (int32_t c = column - 9; c <= column + 9; ++c) {
                if (visible(at, c, r) && !grid.solid(c, r) && !wall(at, grid, c, r - 1) && wall(at, grid, c, r + 1) &&
                    (!best || std::abs(c - column) < std::abs(*best - column))) {
                    best = c;
                }
            }
            if (best) {
                ledgeRow = r;
                return best;
            }
        }
        return std::nullopt;
    }

    // Walk towards `target` (a column of cells, x of its middle) without
    // running past it: far off it walks at a steady pace, judging where the
    // pilot will be by the time its eyes catch up; close by it taps the key
    // for a few steps and waits to see where the pilot stopped.
    void steerTo(const Sight& at, float target, Keys& keys)
    {
        const float error = target - (at.x + at.vx * static_cast<float>(reaction - jitter + stopSteps));
        int32_t direction = error < 0.0f ? -1 : 1;
        if (tapSteps > 0) {
            --tapSteps;
            direction = tapDirection;
        } else if (std::fabs(error) < 0.4f) {
            return;
        } else if (std::fabs(error) > 2.5f) {
            if (std::fabs(at.vx) > cruiseSpeed) {
                return;
            }
        } else if (step >= tapWait && std::fabs(at.vx) < stillSpeed) {
            tapSteps = std::clamp(static_cast<int32_t>(std::fabs(error) * 10.0f), 4, 10) - 1;
            tapDirection = direction;
            tapWait = step + tapSteps + (reaction - jitter) + stopSteps;
        } else {
            return;
        }
        keys.left = direction < 0;
        keys.right = direction > 0;
    }

    Keys decide(const Sight& at, const LevelGrid& grid)
    {
        Keys keys;
        const int32_t column = static_cast<int32_t>(at.x);
        const int32_t row = static_cast<int32_t>(at.y);
        const bool wallLeft = wall(at, grid, column - 1, row);
        const bool wallRight = wall(at, grid, column + 1, row);
        if (at.airborne) {
            if (aimingHole) {
                keys.left = heading < 0; // the hole's wall holds it in until it rises past
                keys.right = heading > 0;
                return keys;
            }
            if (aimingShaft && (wallLeft || wallRight) && canPress()) {
                keys.jump = true; // kick on up, or out through a door
            }
            // Where the pilot will be when a press now lands: a kick is
            // timed to meet the wall, not to follow the eyes.
            const auto lead = static_cast<float>(reaction);
            const float soonVy = at.vy + fallFeel * lead;
            const auto risen = static_cast<int32_t>(at.y + (at.vy + soonVy) * 0.5f * lead);
            int32_t soonRow = row; // no higher than the ceiling it meets
            while (soonRow > risen && !wall(at, grid, column, soonRow - 1)) {
                --soonRow;
            }
            const auto soonX = static_cast<int32_t>(at.x + at.vx * lead);
            int32_t soonColumn = column; // no further than the wall it meets
            while (soonColumn != soonX && !wall(at, grid, soonColumn + (soonX > column ? 1 : -1), soonRow)) {
                soonColumn += soonX > column ? 1 : -1;
            }
            const bool soonRight = wall(at, grid, soonColumn + 1, soonRow);
            if (aimingKick && soonVy < 0.0f && (soonRight || wall(at, grid, soonColumn - 1, soonRow))) {
                const int32_t side = soonRight ? 1 : -1; // the game kicks off the right wall of two
                if (openingAbove(at, grid, soonColumn, soonRow, side)) {
                    heading = side; // the way out is past this wall's top: keep to it
                } else if (canPress()) {
                    keys.jump = true;
                    heading = -side;
                    kickSide = side;
                }
            }
            if (wallLeft && wallRight) {
                // In a shaft: lean towards the first side opening above.
                for (int32_t r = row - 1; r >= row - 12 && !wall(at, grid, column, r); --r) {
                    const bool openLeft = !wall(at, grid, column - 1, r);
                    const bool openRight = !wall(at, grid, column + 1, r);
                    if (openLeft != openRight) {
                        heading = openRight ? 1 : -1;
                        break;
                    }
                }
                keys.left = heading < 0;
                keys.right = heading > 0;
            } else if (aimingLedge && at.y < static_cast<float>(ledgeRow) + 1.0f) {
                keys.left = heading < 0;
                keys.right = heading > 0;
            } else if (aimingKick || (!wallLeft && !wallRight && !aimingShaft)) {
                // Out of a door: clear it. Against a wall it is about to
                // kick off: stay on it until the press lands.
                const int32_t way = aimingKick && landing >= 0 ? kickSide : heading;
                keys.left = way < 0;
                keys.right = way > 0;
            }
            return keys;
        }
        if (aimingKick && (landing >= 0 || step - lastLanded <= reaction - jitter)) {
            return keys; // the jump at the wall has not reached its eyes yet
        }
        aimingShaft = false;
        aimingLedge = false;
        aimingKick = false;
        aimingHole = false;
        if (!wall(at, grid, column, row - 1) && wall(at, grid, column - 1, row - 1) &&
            wall(at, grid, column + 1, row - 1)) {
            aimingShaft = true; // standing on a step inside a shaft: on up
            keys.jump = canPress();
            return keys;
        }
        if (const std::optional<int32_t> shaft = shaftAbove(at, grid, column, row)) {
            aimingShaft = true;
            if (column == *shaft && std::fabs(at.vx) < stillSpeed) {
                keys.jump = canPress();
            } else {
                steerTo(at, static_cast<float>(*shaft) + 0.5f, keys);
            }
            return keys;
        }
        if (const std::optional<int32_t> hole = holeAbove(at, grid, column, row, heading)) {
            aimingHole = true;
            if (column == *hole && std::fabs(at.vx) < stillSpeed) {
                keys.jump = canPress();
            } else {
                steerTo(at, static_cast<float>(*hole) + 0.5f, keys);
            }
            return keys;
        }
        if (const std::optional<int32_t> ledge = ledgeAbove(at, grid, column, row, ledgeRow)) {
            aimingLedge = true;
            heading = *ledge < column ? -1 : 1;
            if (std::abs(*ledge - column) <= 2) {
                keys.jump = canPress();
                keys.left = heading < 0;
                keys.right = heading > 0;
            } else {
                steerTo(at, static_cast<float>(*ledge) + 0.5f, keys);
                keys.jump = (keys.left && wallLeft) || (keys.right && wallRight) ? canPress() : false; // hop a wall
            }
            return keys;
        }
        if (wall(at, grid, column + heading, row)) {
            if (canPress()) {
                aimingKick = true; // up beside it, then off it
                keys.jump = true;
                keys.left = heading < 0;
                keys.right = heading > 0;
                return keys;
            }
            heading = -heading;
        }
        keys.left = heading < 0;
        keys.right = heading > 0;
        return keys;
    }

    int32_t reaction = reactionSteps;
    int32_t gap = pressGap;
    int32_t jitter = 0;
    uint64_t random = 0;
    std::array<Sight, reactionSteps + 1> seen{};
    int64_t step = 0;
    int64_t lastPress = -pressGap;  // when it decided to press
    int64_t lastLanded = -pressGap; // when a press last landed
    int64_t landing = -1;           // when the decided press lands, -1 none
    int64_t pressCount = 0;
    int32_t heading = -1; // the way it walks when it sees nothing better
    int32_t ledgeRow = 0;
    int32_t tapSteps = 0;      // steps left of a short press of a direction
    int32_t tapDirection = 0;
    int64_t tapWait = 0;       // no new tap before this step
    bool aimingShaft = false;
    bool aimingLedge = false;
    bool aimingKick = false;
    bool aimingHole = false;
    int32_t kickSide = 0; // the wall a decided kick is to push off
};
