#pragma once

// The point of the world (in cells) that the screen is centred on; the level
// screens put it 1.5 cells right of and 1.5 cells above the pilot's corner.
struct Camera {
    float x;
    float y;
};
