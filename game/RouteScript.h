#pragma once
#include "game/LevelGrid.h"
#include "game/PilotBody.h"

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

// One frame of a route: what the player does for that step of the play
// screen. The directions are held while the step runs; a jump press comes
// before the step and that step's movement uses it.
struct RouteStep {
    bool left = false;
    bool right = false;
    bool jump = false;
    bool operator==(const RouteStep&) const = default;
};

using Route = std::vector<RouteStep>;

// A route as text: one line per frame, three characters, `L` or `-` (left
// held), `R` or `-` (right held), `J` or `-` (jump pressed on that frame).
// Line k (counting from 1) is the k-th step of the play screen.
namespace routescript {

void write(std::ostream& out, const Route& route);
// Reads a whole script. On a malformed line, returns false and says which
// in `error` ("line 12: ..."); the route then holds the lines before it.
// `linesBefore` counts lines of the file read before `in` (a replay's
// header), so the error names the file's own line.
bool read(std::istream& in, Route& route, std::string& error, int64_t linesBefore = 0);
// The directions a step holds, as the pilot reads them.
PilotInput inputOf(const RouteStep& step);
// Puts the step's jump press on the pilot, in place of any other, and gives
// the directions to move it with: the one way a route drives a pilot (the
// replay, the ghost, the tools).
PilotInput apply(const RouteStep& step, PilotBody& body);
// Number of jump presses in the route.
int64_t presses(const Route& route);
// Plays the route with the game's own movement from a pilot put at (x, y):
// the pilot after each step, as many as the route has.
std::vector<PilotBody> replay(const LevelGrid& grid, float x, float y, const Route& route);

} // namespace routescript
