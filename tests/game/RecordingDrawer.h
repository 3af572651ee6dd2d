#pragma once
#include "NullDrawer.h"

#include <cstdint>
#include <string>
#include <vector>

// A drawer that draws nothing and remembers every drawing call with its
// arguments, so tests can check what a screen asked for and in which order.
class RecordingDrawer : public NullDrawer {
public:
    struct Call {
        std::string op;
        uint32_t key = 0;
        std::vector<float> args;
        std::string text;
        int font = 0;
    };

    RecordingDrawer() = default;

    std::vector<Call> calls;
    uint32_t nextKey = 1;
    int nextFont = 1;

    std::vector<Call> callsOf(const std::string& op) const
    {
        std::vector<Call> found;
        for (const auto& call : calls) {
            if (call.op == op) {
                found.push_back(call);
            }
        }
        return found;
    }
    void clear() { calls.clear(); }

    uint32_t createTexture(uint8_t* pixels, uint32_t width, uint32_t height) override
    {
        delete[] pixels;
        if (pixels == nullptr) {
            return 0;
        }
        calls.push_back({"createTexture", nextKey, {float(width), float(height)}, "", 0});
        return nextKey++;
    }
    int loadFont(const std::string& fileName, float pointSize) override
    {
        calls.push_back({"loadFont", 0, {pointSize}, fileName, nextFont});
        return nextFont++;
    }
    void setBlendMode(int mode) override { calls.push_back({"setBlendMode", 0, {float(mode)}, "", 0}); }
    void drawTexture(uint32_t key, float x, float y, float sx, float sy, float r, float g, float b, float a) override
    {
        calls.push_back({"drawTexture", key, {x, y, sx, sy, r, g, b, a}, "", 0});
    }
    void drawTextureTransformed(uint32_t key, float x, float y, float angle, float px, float py, float sx, float sy,
                                float r, float g, float b, float a) override
    {
        calls.push_back({"drawTextureTransformed", key, {x, y, angle, px, py, sx, sy, r, g, b, a}, "", 0});
    }
    // The key is the rectangle count; the last argument their area.
    void fillRectsTransformed(const ScreenArea* rects, size_t count, float x, float y, float angle, float px,
                              float py, float sx, float sy, float r, float g, float b, float a) override
    {
        float area = 0.0f;
        for (size_t i = 0; i < count; ++i)
            area += rects[i].width * rects[i].height;
        calls.push_back({"fillRectsTransformed", static_cast<uint32_t>(count), {x, y, angle, px, py, sx, sy, r, g, b, a, area},
                         "", 0});
    }
    void drawTextureRegion(uint32_t key, float x, float y, float s0, float t0, float sw, float th, float sx, float sy,
                           float r, float g, float b, float a) override
    {
        calls.push_back({"drawTextureRegion", key, {x, y, s0, t0, sw, th, sx, sy, r, g, b, a}, "", 0});
    }
    void drawText(const std::string& text, int font, float x, float y, float width, float scale, float r, float g,
                  float b, float a) override
    {
        calls.push_back({"drawText", 0, {x, y, width, scale, r, g, b, a}, text, font});
    }
    void fillRect(float x, float y, float w, float h, uint8_t r, uint8_t g, uint8_t b, uint8_t a) override
    {
        calls.push_back({"fillRect", 0, {x, y, w, h, float(r), float(g), float(b), float(a)}, "", 0});
    }
    void fillGradientRect(float x, float y, float w, float h, uint8_t r1, uint8_t g1, uint8_t b1, uint8_t a1,
                          uint8_t r2, uint8_t g2, uint8_t b2, uint8_t a2) override
    {
        calls.push_back({"fillGradientRect", 0,
                         {x, y, w, h, float(r1), float(g1), float(b1), float(a1), float(r2), float(g2), float(b2),
                          float(a2)},
                         "", 0});
    }
};
