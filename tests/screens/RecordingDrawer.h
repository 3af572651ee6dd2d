#pragma once
// A drawer that draws nothing and writes down every call, so a screen's frame
// can be compared call by call with what it must draw.
#include "NullDrawer.h"

#include <sstream>
#include <string>
#include <vector>

class RecordingDrawer : public NullDrawer {
public:
    // fontToHand: what loadFont answers (0 = the font could not be loaded).
    explicit RecordingDrawer(int fontToHand = 1) : fontToHand(fontToHand) {}

    std::vector<std::string> calls;
    int texturesMade = 0;
    int fontsLoaded = 0;

    void clear() { calls.clear(); }
    bool has(const std::string& call) const
    {
        for (const std::string& c : calls)
            if (c == call)
                return true;
        return false;
    }
    int countStartingWith(const std::string& prefix) const
    {
        int n = 0;
        for (const std::string& c : calls)
            n += c.rfind(prefix, 0) == 0;
        return n;
    }

    uint32_t createTexture(uint8_t* pixels, uint32_t width, uint32_t height) override
    {
        delete[] pixels;
        record("createTexture", width, height);
        return ++texturesMade;
    }
    int loadFont(const std::string& fileName, float pointSize) override
    {
        ++fontsLoaded;
        record("loadFont", fileName, pointSize);
        return fontToHand;
    }
    void setBlendMode(int mode) override { record("setBlendMode", mode); }
    void drawTexture(uint32_t key, float x, float y, float sx, float sy, float r, float g, float b, float a) override
    {
        record("drawTexture", key, x, y, sx, sy, r, g, b, a);
    }
    void drawTextureTransformed(uint32_t key, float x, float y, float angle, float px, float py, float sx, float sy,
                                float r, float g, float b, float a) override
    {
        record("drawTextureTransformed", key, x, y, angle, px, py, sx, sy, r, g, b, a);
    }
    void fillRectsTransformed(const ScreenArea*, size_t count, float x, float y, float angle, float px, float py,
                              float sx, float sy, float r, float g, float b, float a) override
    {
        record("fillRectsTransformed", count, x, y, angle, px, py, sx, sy, r, g, b, a);
    }
    void drawTextureRegion(uint32_t key, float x, float y, float, float, float, float, float, float, float, float,
                           float, float) override
    {
        record("drawTextureRegion", key, x, y);
    }
    void drawText(const std::string& text, int font, float x, float y, float width, float scale,
                  float r, float g, float b, float a) override
    {
        record("drawText", "\"" + text + "\"", font, x, y, width, scale, r, g, b, a);
    }
    void drawGlyphText(const std::string& text, float x, float y, float, float, float, float, float) override
    {
        record("drawGlyphText", "\"" + text + "\"", x, y);
    }
    void fillRect(float x, float y, float w, float h, uint8_t r, uint8_t g, uint8_t b, uint8_t a) override
    {
        record("fillRect", x, y, w, h, int(r), int(g), int(b), int(a));
    }
    void fillGradientRect(float x, float y, float w, float h, uint8_t r1, uint8_t g1, uint8_t b1, uint8_t a1,
                          uint8_t r2, uint8_t g2, uint8_t b2, uint8_t a2) override
    {
        record("fillGradientRect", x, y, w, h, int(r1), int(g1), int(b1), int(a1), int(r2), int(g2), int(b2), int(a2));
    }

private:
    template <class... Values>
    void record(const std::string& name, const Values&... values)
    {
        std::ostringstream out;
        out << name << "(";
        const char* separator = "";
        ((out << separator << values, separator = ", "), ...);
        out << ")";
        calls.push_back(out.str());
    }

    int fontToHand;
};
