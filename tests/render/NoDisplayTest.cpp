#include "TestPictures.h"
#include "render/OpenGLDrawer.h"
#include <SDL/SDL.h>
#include <cstdlib>
#include <gtest/gtest.h>

using testpictures::solidPixels;

// SDL's dummy video driver has no OpenGL, so no video mode can be obtained:
// the drawer must say so once, answer false, and stay harmless.
TEST(NoDisplay, InitDisplayFailsWithOneLineAndEveryOperationIsSafe)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    {
        OpenGLDrawer drawer(1280, 720);
        testing::internal::CaptureStdout();
        const bool opened = drawer.initDisplay(1024, 768, false, 4);
        const std::string output = testing::internal::GetCapturedStdout();
        EXPECT_FALSE(opened);
        EXPECT_FALSE(drawer.hasContext());
        EXPECT_NE(output.find("OpenGLDrawer: Could not set video mode: "), std::string::npos) << output;
        EXPECT_EQ(output.find("GLEW"), std::string::npos) << output;
        EXPECT_EQ(output.find("Shader support"), std::string::npos) << output;
        const std::string lastLine = output.substr(output.rfind('\n', output.size() - 2) + 1);
        EXPECT_EQ(lastLine.rfind("OpenGLDrawer: Could not set video mode: ", 0), 0u) << lastLine;

        // The letterbox is still known.
        EXPECT_EQ(drawer.getViewportY(), 96);
        EXPECT_EQ(drawer.getViewportHeight(), 576);

        testing::internal::CaptureStdout();
        EXPECT_EQ(drawer.createTexture(solidPixels(10, 10, 1, 1, 1, 1), 10, 10), 0u);
        drawer.deleteTexture(1);
        const float square[] = {0, 0, 1, 0, 1, 1};
        const int polygon = drawer.createPolygon(square, 3);
        EXPECT_EQ(drawer.loadShader("a.vert", "a.frag"), 0u);
        EXPECT_FALSE(drawer.hasShaders());
        EXPECT_EQ(drawer.loadFont("NoSuchFontAnywhere.ttf", 48), 0);
        drawer.beginFrame();
        drawer.useShader(3, 1.0f);
        drawer.setSecondTexture(1);
        drawer.setBlendMode(2);
        drawer.drawTexture(1, 0, 0, 1, 1, 1, 1, 1, 1);
        drawer.drawTextureTransformed(1, 0, 0, 90, 0, 0, 1, 1, 1, 1, 1, 1);
        drawer.drawTextureRegion(1, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1);
        drawer.drawPolygon(polygon, 1, 0, 0, 1, 1, 1, 1, 1, 1);
        drawer.drawText("HELLO", 0, 0, 0, 100, 1, 1, 1, 1, 1);
        drawer.drawText("HELLO", 1, 0, 0, 100, 1, 1, 1, 1, 1);
        drawer.drawGlyphText("HELLO", 0, 0, 32, 1, 1, 1, 1);
        drawer.drawLine(0, 0, 10, 10, 1, 1, 1, 1);
        drawer.fillRect(0, 0, 10, 10, 1, 1, 1, 1);
        drawer.fillGradientRect(0, 0, 10, 10, 1, 1, 1, 1, 2, 2, 2, 2);
        drawer.translate(3, 4);
        drawer.setViewport(0, 0, 640, 360);
        drawer.resetViewport();
        drawer.beginOffscreen();
        drawer.endOffscreen();
        EXPECT_EQ(drawer.getOffscreenTexture(), 0u);
        drawer.setGlyph(0, solidPixels(48, 48, 1, 1, 1, 1), 48);
        drawer.resizeDisplay(1280, 720);
        EXPECT_EQ(drawer.getViewportY(), 0);
        drawer.endFrame();
        uint8_t* screen = drawer.grabScreen();
        ASSERT_NE(screen, nullptr);
        EXPECT_EQ(screen[0], 0);
        EXPECT_EQ(screen[1280 * 720 * 3 - 1], 0);
        delete[] screen;
        testing::internal::GetCapturedStdout();
    }
    SDL_Quit();
}
