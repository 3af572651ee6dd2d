#pragma once
#include <cstdint>

class Drawer;

// The run's clock in the lower left corner during play, with the level's
// best time beside it once there is one; readable over any tile.
namespace runClockHud {

// `bestMilliseconds` below 0: no best yet, only the clock shows.
void draw(Drawer& drawer, int font, int64_t runMilliseconds, int64_t bestMilliseconds);

} // namespace runClockHud
