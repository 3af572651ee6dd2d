#pragma once
#include "NullDrawer.h"

#include <array>
#include <cstdint>

// A drawer that only notes each drawing call (which operation, the texture
// and the position) in a fixed array, so what a frame costs is the screen's
// own work and not a display's or a growing list's.
class CountingDrawer : public NullDrawer {
public:
    enum class Op : uint8_t { Texture, Transformed, Region, Text, Line, Rect, Gradient, Blend };
    struct Call {
        Op op;
        uint32_t key;
        float x;
        float y;
    };
    static constexpr int capacity = 4096;

    void beginFrame() override { count = 0; }
    int callCount() const { return count; }
    const Call& call(int index) const { return calls[static_cast<size_t>(index)]; }

    uint32_t createTexture(uint8_t* pixels, uint32_t, uint32_t) override
    {
        const bool made = pixels != nullptr;
        delete[] pixels;
        return made ? nextKey++ : 0;
    }
    int loadFont(const std::string&, float) override { return 1; }
    void setBlendMode(int mode) override { note(Op::Blend, static_cast<uint32_t>(mode), 0.0f, 0.0f); }
    void drawTexture(uint32_t key, float x, float y, float, float, float, float, float, float) override
    {
        note(Op::Texture, key, x, y);
    }
    void drawTextureTransformed(uint32_t key, float x, float y, float, float, float, float, float, float, float,
                                float, float) override
    {
        note(Op::Transformed, key, x, y);
    }
    void drawTextureRegion(uint32_t key, float x, float y, float, float, float, float, float, float, float, float,
                           float, float) override
    {
        note(Op::Region, key, x, y);
    }
    void drawText(const std::string&, int font, float x, float y, float, float, float, float, float,
                  float) override
    {
        note(Op::Text, static_cast<uint32_t>(font), x, y);
    }
    void drawLine(float x1, float y1, float, float, float, float, float, float) override
    {
        note(Op::Line, 0, x1, y1);
    }
    void fillRect(float x, float y, float, float, uint8_t, uint8_t, uint8_t, uint8_t) override
    {
        note(Op::Rect, 0, x, y);
    }
    void fillGradientRect(float x, float y, float, float, uint8_t, uint8_t, uint8_t, uint8_t, uint8_t, uint8_t,
                          uint8_t, uint8_t) override
    {
        note(Op::Gradient, 0, x, y);
    }

private:
    void note(Op op, uint32_t key, float x, float y)
    {
        if (count < capacity)
            calls[static_cast<size_t>(count)] = Call{op, key, x, y};
        ++count;
    }

    std::array<Call, capacity> calls{};
    int count = 0;
    uint32_t nextKey = 1;
};
