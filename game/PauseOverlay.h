#pragma once

class Drawer;

// Over a paused play screen: the world dimmed, and a line saying how to go
// on, left out while the assists panel is open over it.
namespace pauseOverlay {

void draw(Drawer& drawer, int font, bool panelOpen);

} // namespace pauseOverlay
