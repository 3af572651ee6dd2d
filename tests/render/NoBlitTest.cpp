#include "DisplayFixture.h"
#include <GL/glew.h>
#include <cstdlib>

// Without framebuffer blits the shown frame is kept in a texture instead;
// grabScreen must still return the frame on screen, not the one being drawn.
TEST(NoFramebufferBlit, GrabScreenStillReadsTheShownFrame)
{
    setenv("MESA_EXTENSION_OVERRIDE", "-GL_EXT_framebuffer_blit", 1);
    ASSERT_TRUE(startVideo());
    {
        OpenGLDrawer drawer(1280, 720);
        testing::internal::CaptureStdout();
        const bool opened = drawer.initDisplay(1024, 768, false, 0);
        testing::internal::GetCapturedStdout();
        ASSERT_TRUE(opened);
        ASSERT_FALSE(GLEW_EXT_framebuffer_blit);
        const Frame shown = shoot(drawer, 1024, 768, [&] { drawer.fillRect(0, 0, 640, 720, 255, 0, 0, 255); });
        EXPECT_RGB_NEAR(shown.at(10, 96), 255, 0, 0, 0);
        EXPECT_RGB_NEAR(shown.at(1023, 767), 0, 0, 0, 0);
        EXPECT_RGB_NEAR(shown.at(10, 95), 0, 0, 0, 0);
        drawer.beginFrame();
        drawer.fillRect(0, 0, 1280, 720, 0, 0, 255, 255);
        EXPECT_RGB_NEAR(grab(drawer, 1024, 768).at(10, 200), 255, 0, 0, 0);
        drawer.endFrame();
        EXPECT_RGB_NEAR(grab(drawer, 1024, 768).at(10, 200), 0, 0, 255, 0);
    }
    SDL_Quit();
}

// Where the back buffer does not keep the shown frame after a swap, a copy
// of every frame is kept before it: in a texture when framebuffer blits are
// missing.
TEST(NoFramebufferBlit, CopiesOfShownFramesInATextureStillGiveTheShownFrame)
{
    setenv("MESA_EXTENSION_OVERRIDE", "-GL_EXT_framebuffer_blit", 1);
    ASSERT_TRUE(startVideo());
    {
        OpenGLDrawer drawer(1280, 720);
        testing::internal::CaptureStdout();
        const bool opened = drawer.initDisplay(1024, 768, false, 0);
        testing::internal::GetCapturedStdout();
        ASSERT_TRUE(opened);
        drawer.keepShownFrameCopies(true);
        EXPECT_TRUE(drawer.copiesEveryFrame());
        const Frame shown = shoot(drawer, 1024, 768, [&] { drawer.fillRect(0, 0, 640, 720, 255, 0, 0, 255); });
        EXPECT_RGB_NEAR(shown.at(10, 96), 255, 0, 0, 0);
        EXPECT_RGB_NEAR(shown.at(1023, 767), 0, 0, 0, 0);
        drawer.beginFrame();
        drawer.fillRect(0, 0, 1280, 720, 0, 0, 255, 255);
        EXPECT_RGB_NEAR(grab(drawer, 1024, 768).at(10, 200), 255, 0, 0, 0);
        drawer.endFrame();
        EXPECT_RGB_NEAR(grab(drawer, 1024, 768).at(10, 200), 0, 0, 255, 0);
    }
    SDL_Quit();
}
