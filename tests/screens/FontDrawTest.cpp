// The glyph font drawn into a real OpenGL window (run under Xvfb).
#include "render/FontSystem.h"
#include "render/OpenGLFont.h"

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr int windowWidth = 320;
constexpr int windowHeight = 240;
constexpr const char* packagedFont = "MarsNeedsCunnilingus.ttf";

// Xvfb resets itself when its last client leaves, and refuses connections
// for a moment while it does: a test that starts right after another one
// closed its window tries again instead of failing.
bool startVideo()
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (SDL_Init(SDL_INIT_VIDEO) == 0)
            return true;
        SDL_Delay(100);
    }
    return false;
}

class FontDrawTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::getenv("DISPLAY") == nullptr)
            GTEST_SKIP() << "needs an X display";
        if (!OpenGLFont::findFontFile(packagedFont).isFile())
            GTEST_SKIP() << "no packaged font";
        ASSERT_TRUE(startVideo()) << SDL_GetError();
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        ASSERT_NE(SDL_SetVideoMode(windowWidth, windowHeight, 0, SDL_OPENGL), nullptr) << SDL_GetError();
        glViewport(0, 0, windowWidth, windowHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, windowWidth, windowHeight, 0, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        started = true;
    }
    void TearDown() override
    {
        if (started)
            SDL_Quit();
    }

    // The back buffer as RGB rows from the top.
    std::vector<uint8_t> readBack() const
    {
        std::vector<uint8_t> bottomUp(static_cast<size_t>(windowWidth) * windowHeight * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, windowWidth, windowHeight, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
        std::vector<uint8_t> topDown(bottomUp.size());
        const size_t row = static_cast<size_t>(windowWidth) * 3;
        for (int y = 0; y < windowHeight; ++y)
            std::copy_n(bottomUp.begin() + static_cast<long>((windowHeight - 1 - y) * row), row,
                        topDown.begin() + static_cast<long>(y * row));
        return topDown;
    }

    bool started = false;
};

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool empty() const { return right < 0; }
};

// Bounding box of pixels whose channel `channel` is bright.
Box litBox(const std::vector<uint8_t>& rgb, int channel)
{
    Box box;
    for (int y = 0; y < windowHeight; ++y)
        for (int x = 0; x < windowWidth; ++x)
            if (rgb[(static_cast<size_t>(y) * windowWidth + x) * 3 + channel] > 96) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

TEST_F(FontDrawTest, APointSizeOf48Point9OpensTheFontAt48)
{
    OpenGLFont fractional(packagedFont, 48.9f);
    ASSERT_TRUE(fractional.isLoaded());
    const FilePath path = OpenGLFont::findFontFile(packagedFont);
    TTF_Font* whole = TTF_OpenFont(path.text().c_str(), 48);
    ASSERT_NE(whole, nullptr);
    const FontAtlas expected = OpenGLFont::buildAtlas(whole);
    TTF_CloseFont(whole);
    EXPECT_EQ(fractional.getLineHeight(), expected.lineHeight);
    EXPECT_EQ(fractional.getAtlasSize(), expected.size);
    for (int i = 0; i < OpenGLFont::glyphCount; ++i) {
        EXPECT_EQ(fractional.glyphTable()[i].advance, expected.glyphs[i].advance);
        EXPECT_EQ(fractional.glyphTable()[i].atlasX, expected.glyphs[i].atlasX);
    }
    OpenGLFont larger(packagedFont, 64.0f);
    ASSERT_TRUE(larger.isLoaded());
    EXPECT_GT(larger.getLineHeight(), fractional.getLineHeight());
    EXPECT_NE(larger.getTexture(), fractional.getTexture());
}

TEST_F(FontDrawTest, ALetterIsDrawnInItsColourWithinItsQuad)
{
    OpenGLFont font(packagedFont, 48.0f);
    ASSERT_TRUE(font.isLoaded());
    font.draw("H", 40.0f, 30.0f, 1024.0f, 1.0f, 1.0f, 0.0f, 0.0f, 1.0f);
    const std::vector<uint8_t> rgb = readBack();
    const Box red = litBox(rgb, 0);
    ASSERT_FALSE(red.empty());
    EXPECT_TRUE(litBox(rgb, 1).empty()) << "nothing green";
    const FontGlyph& h = font.glyphTable()[static_cast<size_t>(OpenGLFont::glyphIndex('H'))];
    EXPECT_GE(red.left, 40 + static_cast<int>(h.xOffset) - 1);
    EXPECT_LE(red.right, 40 + static_cast<int>(h.width) + 1);
    EXPECT_GE(red.top, 30);
    EXPECT_LE(red.bottom, 30 + static_cast<int>(font.getLineHeight()) + 2);
}

TEST_F(FontDrawTest, ScaleTwoDrawsTwiceAsTall)
{
    OpenGLFont font(packagedFont, 48.0f);
    ASSERT_TRUE(font.isLoaded());
    font.draw("I", 10.0f, 0.0f, 1024.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    const Box single = litBox(readBack(), 1);
    glClear(GL_COLOR_BUFFER_BIT);
    font.draw("I", 10.0f, 0.0f, 1024.0f, 2.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    const Box twice = litBox(readBack(), 1);
    ASSERT_FALSE(single.empty());
    ASSERT_FALSE(twice.empty());
    const int singleHeight = single.bottom - single.top + 1;
    const int twiceHeight = twice.bottom - twice.top + 1;
    EXPECT_NEAR(twiceHeight, 2 * singleHeight, 3);
}

TEST_F(FontDrawTest, BlanksAndEmptyTextDrawNothing)
{
    OpenGLFont font(packagedFont, 48.0f);
    ASSERT_TRUE(font.isLoaded());
    font.draw("", 10.0f, 10.0f, 1024.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    font.draw("   \t\n \xC3\xA9", 10.0f, 10.0f, 1024.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    const std::vector<uint8_t> rgb = readBack();
    EXPECT_TRUE(litBox(rgb, 0).empty());
    EXPECT_TRUE(litBox(rgb, 1).empty());
}

TEST_F(FontDrawTest, DrawingLeavesTheColourOpaqueWhite)
{
    OpenGLFont font(packagedFont, 48.0f);
    ASSERT_TRUE(font.isLoaded());
    font.draw("a", 10.0f, 10.0f, 1024.0f, 1.0f, 0.2f, 0.4f, 0.6f, 0.8f);
    GLfloat colour[4] = {0, 0, 0, 0};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 1.0f);
    EXPECT_FLOAT_EQ(colour[3], 1.0f);
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
}

// The rim made once must darken what lies below as the eight shifted dark
// copies it stands for did, over neighbouring glyphs and on a grey ground
// where both the rim and the text show.
TEST_F(FontDrawTest, OutlinedTextLooksLikeEightDarkCopiesAndTheText)
{
    OpenGLFont font(packagedFont, 48.0f);
    ASSERT_TRUE(font.isLoaded());
    constexpr float rim = 3.0f;
    constexpr float opacity = 0.85f;
    constexpr int tolerance = 3; // of 255: the eight copies round after each blend
    for (const char* text : {"Wag 0:1", "Best 12:34.56"}) {
        SCOPED_TRACE(text);
        glClearColor(0.5f, 0.6f, 0.7f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (dx != 0 || dy != 0)
                    font.draw(text, 12.0f + dx * rim, 20.0f + dy * rim, 300.0f, 1.0f, 0.0f, 0.0f, 0.0f, opacity);
        font.draw(text, 12.0f, 20.0f, 300.0f, 1.0f, 1.0f, 0.85f, 0.2f, 1.0f);
        const std::vector<uint8_t> copies = readBack();
        glClear(GL_COLOR_BUFFER_BIT);
        font.drawOutlined(text, 12.0f, 20.0f, 300.0f, 1.0f, 1.0f, 0.85f, 0.2f, rim, opacity);
        const std::vector<uint8_t> once = readBack();
        int worst = 0;
        size_t darkened = 0;
        for (size_t i = 0; i < once.size(); ++i) {
            worst = std::max(worst, std::abs(once[i] - copies[i]));
            darkened += once[i] < 40 ? 1 : 0;
        }
        EXPECT_LE(worst, tolerance);
        EXPECT_GT(darkened, 1000u) << "a rim shows";
    }
    glClearColor(0, 0, 0, 1);
}

} // namespace
