#pragma once

class Drawer;

// Over a paused play screen: the world dimmed, and a line saying how to go on.
namespace pauseOverlay {

void draw(Drawer& drawer, int font);

} // namespace pauseOverlay
