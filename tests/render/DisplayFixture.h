#pragma once
#include "render/OpenGLDrawer.h"
#include <SDL/SDL.h>
#include <array>
#include <cstdlib>
#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

// One frame read back from the window, addressed top-down like the logical area.
struct Frame {
    std::vector<uint8_t> rgb;
    int width = 0;
    int height = 0;

    std::array<int, 3> at(int x, int y) const
    {
        const std::size_t i = (static_cast<std::size_t>(height - 1 - y) * width + x) * 3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
};

inline Frame grab(OpenGLDrawer& drawer, int width, int height)
{
    Frame frame;
    frame.width = width;
    frame.height = height;
    uint8_t* pixels = drawer.grabScreen();
    frame.rgb.assign(pixels, pixels + static_cast<std::size_t>(width) * height * 3);
    delete[] pixels;
    return frame;
}

// Draws one frame with `draw` between beginFrame and endFrame and reads back
// what the window shows.
template <class Draw>
Frame shoot(OpenGLDrawer& drawer, int width, int height, Draw&& draw)
{
    drawer.beginFrame();
    draw();
    drawer.endFrame();
    return grab(drawer, width, height);
}

#define EXPECT_RGB_NEAR(actual, r, g, b, tolerance)                                                           \
    do {                                                                                                   \
        const auto rgbValue = (actual);                                                                    \
        EXPECT_NEAR(rgbValue[0], (r), (tolerance)) << #actual;                                             \
        EXPECT_NEAR(rgbValue[1], (g), (tolerance)) << #actual;                                             \
        EXPECT_NEAR(rgbValue[2], (b), (tolerance)) << #actual;                                             \
    } while (0)

// Starts SDL's video; a freshly started X server may take a moment to accept
// clients.
inline bool startVideo()
{
    // Only X will do: SDL would otherwise fall back to a text-mode driver.
    setenv("SDL_VIDEODRIVER", "x11", 0);
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (SDL_Init(SDL_INIT_VIDEO) == 0)
            return true;
        SDL_Delay(250);
    }
    return false;
}

// A 1280 × 720 window shared by every case of a program (one per case under
// CTest, one for all when the program runs by itself).
class WindowTest : public ::testing::Test {
protected:
    static constexpr int width = 1280;
    static constexpr int height = 720;

    static void SetUpTestSuite()
    {
        startVideo();
        drawer = new OpenGLDrawer(width, height);
        opened = drawer->initDisplay(width, height, false, 0);
    }

    static void TearDownTestSuite()
    {
        delete drawer;
        drawer = nullptr;
        SDL_Quit();
    }

    void SetUp() override
    {
        ASSERT_TRUE(opened) << "no OpenGL window (run under xvfb-run)";
        drawer->setBlendMode(0);
        drawer->useShader(0, 0.0f);
        drawer->resetViewport();
        drawer->setLinearFiltering(true);
    }

    template <class Draw>
    Frame shootFrame(Draw&& draw)
    {
        return shoot(*drawer, width, height, draw);
    }

    static inline OpenGLDrawer* drawer = nullptr;
    static inline bool opened = false;
};
