#pragma once

class Drawer;

// The speed bar at the top right: a red fill for the flight speed, a white
// mark at the winning speed labelled "88mph", and a thin yellow mark held at
// the best flight speed of the run so far (none before the first kick).
namespace speedHud {

constexpr float barLeft = 648.0f;        // left edge of the fill, logical pixels
constexpr float pixelsPerSpeed = 300.0f; // fill width per cell-per-frame

void draw(Drawer& drawer, int font, float flightSpeed, float bestFlightSpeed = 0.0f);

} // namespace speedHud
