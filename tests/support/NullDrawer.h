#pragma once
#include "render/Drawer.h"

// A drawer with no display that draws nothing: every required operation does
// nothing, pixel buffers handed over are released, and the viewport is the
// whole logical area. Test drawers override only what they look at.
class NullDrawer : public Drawer {
public:
    NullDrawer() : Drawer(1280, 720) {}

    bool initDisplay(uint16_t, uint16_t, bool, int) override { return true; }
    void resizeDisplay(uint16_t, uint16_t) override {}
    uint32_t createTexture(uint8_t* pixels, uint32_t, uint32_t) override
    {
        delete[] pixels;
        return 0;
    }
    void deleteTexture(uint32_t) override {}
    int createPolygon(const float*, int) override { return 0; }
    int loadFont(const std::string&, float) override { return 0; }
    void beginFrame() override {}
    void endFrame() override {}
    uint8_t* grabScreen() override { return nullptr; }
    void drawTexture(uint32_t, float, float, float, float, float, float, float, float) override {}
    void drawTextureTransformed(uint32_t, float, float, float, float, float, float, float, float, float, float,
                                float) override
    {
    }
    void drawTextureRegion(uint32_t, float, float, float, float, float, float, float, float, float, float, float,
                           float) override
    {
    }
    void drawPolygon(int, uint32_t, float, float, float, float, float, float, float, float) override {}
    void drawText(const std::string&, int, float, float, float, float, float, float, float, float) override {}
    void drawGlyphText(const std::string&, float, float, float, float, float, float, float) override {}
    void drawLine(float, float, float, float, float, float, float, float) override {}
    void fillRect(float, float, float, float, uint8_t, uint8_t, uint8_t, uint8_t) override {}
    void fillGradientRect(float, float, float, float, uint8_t, uint8_t, uint8_t, uint8_t, uint8_t, uint8_t, uint8_t,
                          uint8_t) override
    {
    }
    void translate(float, float) override {}
    void setViewport(int16_t, int16_t, int16_t, int16_t) override {}
    void resetViewport() override {}
    int getViewportWidth() override { return getWidth(); }
    int getViewportHeight() override { return getHeight(); }
    int getViewportX() override { return 0; }
    int getViewportY() override { return 0; }
    void setGlyph(int, uint8_t* pixels, uint32_t) override { delete[] pixels; }
};
