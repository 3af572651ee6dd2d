#pragma once
#include "RouteSearch.h"

#include "game/LevelGrid.h"
#include "game/PilotBody.h"

#include <cstdint>
#include <vector>

// The level as an author looks at it after a search: every cell a small
// square in the colour of its kind, the open cells the pilot reaches tinted
// from green (early) to blue (late), the win zones in red, and the fastest
// route as a dark line through the pilot's middle, frame by frame.
struct RoutePicture {
    int32_t width = 0;
    int32_t height = 0;
    int32_t scale = 0;        // picture pixels per cell
    std::vector<uint8_t> rgb; // rows from the top, three bytes a pixel

    // path: the pilot after each step of the fastest route (may be empty).
    static RoutePicture draw(const LevelGrid& grid, const RouteSearch::Result& result, float startX, float startY,
                             const std::vector<PilotBody>& path);
};
