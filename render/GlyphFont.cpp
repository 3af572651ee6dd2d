#include "render/GlyphFont.h"

namespace glyphfont {

int slotFor(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a';
    if (c >= '0' && c <= '9')
        return 26 + (c - '0');
    switch (c) {
    case '.': return 36;
    case ',': return 37;
    case '+': return 38;
    case '-': return 39;
    case '!': return 40;
    case '?': return 41;
    case ':': return 42;
    case '_': return 43;
    default: return noSlot;
    }
}

float step(float size, float slotWidth, int padding)
{
    if (padding == 0 || slotWidth <= 0.0f)
        return size;
    return size - static_cast<float>(static_cast<int>(size / slotWidth * static_cast<float>(padding)));
}

} // namespace glyphfont
