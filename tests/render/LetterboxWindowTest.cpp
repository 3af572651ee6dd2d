#include "DisplayFixture.h"
#include "TestPictures.h"
#include <GL/glew.h>

// Real windows of several sizes: the letterbox that OpenGL gets and the black
// bars around the logical area. One window per case.
namespace {

struct Opened {
    std::unique_ptr<OpenGLDrawer> drawer;
    bool ok = false;
    std::string output;
};

Opened open(uint16_t width, uint16_t height, bool fullScreen, int samples)
{
    startVideo();
    Opened opened;
    opened.drawer = std::make_unique<OpenGLDrawer>(1280, 720);
    testing::internal::CaptureStdout();
    opened.ok = opened.drawer->initDisplay(width, height, fullScreen, samples);
    opened.output = testing::internal::GetCapturedStdout();
    return opened;
}

void close(Opened& opened)
{
    opened.drawer.reset();
    SDL_Quit();
}

std::array<GLint, 4> currentViewport()
{
    std::array<GLint, 4> viewport{};
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    return viewport;
}

} // namespace

TEST(LetterboxWindow, TallerWindowGetsBarsAboveAndBelow)
{
    Opened opened = open(1024, 768, false, 0);
    ASSERT_TRUE(opened.ok);
    OpenGLDrawer& drawer = *opened.drawer;
    EXPECT_EQ(opened.output,
              "OpenGLDrawer: Display is 32bit.\n"
              "Using GLEW version: " + std::string(reinterpret_cast<const char*>(glewGetString(GLEW_VERSION))) + "\n"
              "Shader support: OpenGL shaders available.\n");
    EXPECT_EQ(currentViewport(), (std::array<GLint, 4>{0, 96, 1024, 576}));
    EXPECT_EQ(drawer.getViewportX(), 0);
    EXPECT_EQ(drawer.getViewportY(), 96);
    EXPECT_EQ(drawer.getViewportWidth(), 1024);
    EXPECT_EQ(drawer.getViewportHeight(), 576);

    const Frame frame = shoot(drawer, 1024, 768, [&] { drawer.fillRect(0, 0, 1280, 720, 255, 255, 255, 255); });
    EXPECT_RGB_NEAR(frame.at(512, 95), 0, 0, 0, 0);
    EXPECT_RGB_NEAR(frame.at(512, 96), 255, 255, 255, 0);
    EXPECT_RGB_NEAR(frame.at(0, 671), 255, 255, 255, 0);
    EXPECT_RGB_NEAR(frame.at(1023, 671), 255, 255, 255, 0);
    EXPECT_RGB_NEAR(frame.at(512, 672), 0, 0, 0, 0);
    // A logical point lands scaled by 0.8 inside the box.
    const Frame dot = shoot(drawer, 1024, 768, [&] { drawer.fillRect(640, 360, 10, 10, 255, 0, 0, 255); });
    EXPECT_RGB_NEAR(dot.at(513, 385), 255, 0, 0, 0);
    EXPECT_RGB_NEAR(dot.at(511, 385), 0, 0, 0, 0);
    close(opened);
}

TEST(LetterboxWindow, WiderWindowGetsBarsLeftAndRight)
{
    // Wider than the 1920-pixel screen: checked through OpenGL's viewport.
    Opened opened = open(2560, 1080, false, 0);
    ASSERT_TRUE(opened.ok);
    EXPECT_EQ(currentViewport(), (std::array<GLint, 4>{320, 0, 1920, 1080}));
    EXPECT_EQ(opened.drawer->getViewportX(), 320);
    EXPECT_EQ(opened.drawer->getViewportY(), 0);
    EXPECT_EQ(opened.drawer->getViewportWidth(), 1920);
    EXPECT_EQ(opened.drawer->getViewportHeight(), 1080);
    close(opened);
}

TEST(LetterboxWindow, SameAspectFillsTheWindowAndKeysStartAtThree)
{
    Opened opened = open(1280, 720, false, 0);
    ASSERT_TRUE(opened.ok);
    OpenGLDrawer& drawer = *opened.drawer;
    EXPECT_EQ(currentViewport(), (std::array<GLint, 4>{0, 0, 1280, 720}));
    const Frame frame = shoot(drawer, 1280, 720, [&] { drawer.fillRect(0, 0, 1280, 720, 255, 255, 255, 255); });
    EXPECT_RGB_NEAR(frame.at(0, 0), 255, 255, 255, 0);
    EXPECT_RGB_NEAR(frame.at(1279, 719), 255, 255, 255, 0);

    // Off-screen texture 1, line texture 2, then the screens' own.
    EXPECT_EQ(drawer.getOffscreenTexture(), 1u);
    const uint32_t third = drawer.createTexture(testpictures::solidPixels(2, 2, 0, 0, 0, 0), 2, 2);
    const uint32_t fourth = drawer.createTexture(testpictures::solidPixels(2, 2, 0, 0, 0, 0), 2, 2);
    drawer.deleteTexture(third);
    const uint32_t fifth = drawer.createTexture(testpictures::solidPixels(2, 2, 0, 0, 0, 0), 2, 2);
    EXPECT_EQ(third, 3u);
    EXPECT_EQ(fourth, 4u);
    EXPECT_EQ(fifth, 5u);
    close(opened);
}

TEST(LetterboxWindow, ResizeMovesTheLetterboxAndGivesANewOffscreenKey)
{
    Opened opened = open(1280, 720, false, 0);
    ASSERT_TRUE(opened.ok);
    OpenGLDrawer& drawer = *opened.drawer;
    drawer.setGlyph(0, testpictures::solidPixels(64, 64, 255, 0, 0, 255), 64);
    const uint32_t before = drawer.getOffscreenTexture();
    drawer.beginFrame();
    const uint32_t still = drawer.keepStill();
    ASSERT_NE(still, 0u);
    EXPECT_TRUE(drawer.drawStill(still));
    drawer.endFrame();
    drawer.resizeDisplay(1024, 768);
    // A still kept at the old size is gone: its owner draws the layer anew.
    EXPECT_FALSE(drawer.drawStill(still));
    EXPECT_EQ(currentViewport(), (std::array<GLint, 4>{0, 96, 1024, 576}));
    EXPECT_EQ(drawer.getViewportY(), 96);
    EXPECT_NE(drawer.getOffscreenTexture(), before);
    EXPECT_NE(drawer.textures().find(drawer.getOffscreenTexture()), nullptr);
    // Glyph slots are back to their 16 × 16 placeholders.
    EXPECT_EQ(drawer.glyphSlot(0).width, 16);
    close(opened);
}

TEST(LetterboxWindow, MultisamplingIsRequestedWhenAsked)
{
    Opened opened = open(1280, 720, false, 4);
    ASSERT_TRUE(opened.ok) << opened.output;
    GLint buffers = 0, samples = 0;
    glGetIntegerv(GL_SAMPLE_BUFFERS, &buffers);
    glGetIntegerv(GL_SAMPLES, &samples);
    EXPECT_EQ(buffers, 1);
    EXPECT_EQ(samples, 4);
    EXPECT_EQ(opened.output.find("multi sample"), std::string::npos) << opened.output;
    // The shown frame is resolved for read-back.
    OpenGLDrawer& drawer = *opened.drawer;
    const Frame frame = shoot(drawer, 1280, 720, [&] { drawer.fillRect(100, 100, 200, 200, 0, 255, 0, 255); });
    EXPECT_RGB_NEAR(frame.at(200, 200), 0, 255, 0, 0);
    EXPECT_RGB_NEAR(frame.at(50, 50), 0, 0, 0, 0);
    close(opened);
}

TEST(LetterboxWindow, UnavailableMultisamplingFallsBackToNone)
{
    // A count no driver gives (6, the default for a settings file without
    // an "a" line, is often refused too); the game must still open its window.
    Opened opened = open(640, 360, false, 64);
    ASSERT_TRUE(opened.ok) << opened.output;
    EXPECT_NE(opened.output.find("OpenGLDrawer: Could not get 64x multisampling, trying without.\n"), std::string::npos)
        << opened.output;
    GLint buffers = -1;
    glGetIntegerv(GL_SAMPLE_BUFFERS, &buffers);
    EXPECT_EQ(buffers, 0);
    close(opened);
}

TEST(LetterboxWindow, FullScreenCoversTheScreen)
{
    Opened opened = open(1920, 1080, true, 0);
    ASSERT_TRUE(opened.ok) << opened.output;
    EXPECT_EQ(currentViewport(), (std::array<GLint, 4>{0, 0, 1920, 1080}));
    const SDL_Surface* surface = SDL_GetVideoSurface();
    ASSERT_NE(surface, nullptr);
    EXPECT_TRUE(surface->flags & SDL_FULLSCREEN);
    EXPECT_EQ(surface->w, 1920);
    EXPECT_EQ(surface->h, 1080);
    close(opened);
}
