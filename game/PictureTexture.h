#pragma once
#include "data/EmbeddedBytes.h"
#include "render/Drawer.h"

#include <cstdint>
#include <string>

// Turns a picture the program carries into a texture of the drawer. Pixel art
// is uploaded with nearest-texel filtering so it stays sharp when scaled;
// filtering is switched back on afterwards. 0 when the picture does not decode.
uint32_t createPictureTexture(Drawer& drawer, EmbeddedBytes picture, bool pixelArt);

// A texture made once per process on first use, kept in a static of the code
// that draws it. Remembers the drawer it was made with, so a new drawer (as in
// tests) gets a fresh one instead of a key it never handed out.
class ProcessTexture {
public:
    uint32_t key(Drawer& drawer, EmbeddedBytes picture, bool pixelArt);

    // Whoever destroys a drawer and builds another (tests do; the game never
    // does) calls this so that every process-wide texture and font is made
    // again: a new drawer may sit at the old one's address.
    static void forgetAll();
    // Changes with every forgetAll; resources made in an older one are gone.
    static int32_t generation();

private:
    const Drawer* madeWith = nullptr;
    int32_t madeIn = 0;
    uint32_t made = 0;
};

// A TrueType font loaded once per process on first use, kept like a
// ProcessTexture. Its number is 0 when the font could not be loaded, which
// draws with the built-in glyphs.
class ProcessFont {
public:
    int number(Drawer& drawer, const std::string& fileName, float pointSize);

private:
    const Drawer* loadedWith = nullptr;
    int32_t loadedIn = 0;
    int loaded = 0;
};

// A layer that looks the same in every frame, drawn once and then shown
// from the drawer's kept still (Drawer::keepStill), kept like a
// ProcessTexture. `draw` must be the first drawing of the frame. Where the
// drawer keeps no stills, or after a resize, the layer is drawn again.
class ProcessStill {
public:
    template <class Draw>
    void show(Drawer& drawer, Draw&& draw)
    {
        if (keptFor(drawer) && drawer.drawStill(kept))
            return;
        draw();
        kept = drawer.keepStill();
        remember(drawer);
    }
    // The same where the caller covers all but `areas` with opaque drawing
    // (Drawer::drawStillAreas); the first time the layer is drawn whole.
    template <class Draw>
    void show(Drawer& drawer, const ScreenArea* areas, size_t count, Draw&& draw)
    {
        if (keptFor(drawer) && drawer.drawStillAreas(kept, areas, count))
            return;
        draw();
        kept = drawer.keepStill();
        remember(drawer);
    }

private:
    bool keptFor(Drawer& drawer) const;
    void remember(Drawer& drawer);

    const Drawer* keptWith = nullptr;
    int32_t keptIn = 0;
    uint32_t kept = 0;
};
