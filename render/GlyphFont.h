#pragma once
#include <cstdint>

// The built-in bitmap font's arithmetic: which slot a character draws with
// and how far the pen moves.
namespace glyphfont {

constexpr int slotCount = 44;
constexpr int noSlot = 44;
constexpr uint32_t placeholderSize = 16; // pixels, square
constexpr float sizePerScale = 32.0f;    // glyph side at text scale 1, logical units

// A..Z and a..z → 0..25, 0..9 → 26..35, then . , + - ! ? : _ → 36..43;
// anything else → noSlot.
int slotFor(char c);

// Pen step for glyphs drawn size units wide when the images were padded by
// padding pixels onto textures slotWidth pixels wide: the visible part.
float step(float size, float slotWidth, int padding);

} // namespace glyphfont
