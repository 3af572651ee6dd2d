// The glyph atlas built from the packaged font laid beside this executable.
#include "render/FontSystem.h"
#include "render/OpenGLFont.h"

#include <SDL/SDL_ttf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

constexpr const char* packagedFont = OpenGLFont::shippedFontName;

struct FontCloser {
    void operator()(TTF_Font* font) const { TTF_CloseFont(font); }
};
using FontHandle = std::unique_ptr<TTF_Font, FontCloser>;

struct Metrics {
    int minX, maxX, minY, maxY, advance;
};

class FontAtlasTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = FilePath::executableDirectory().join(std::string("fonts")).join(std::string(packagedFont));
        if (!path.isFile())
            GTEST_SKIP() << "no packaged font at " << path.text();
        FontSystem::ensureStarted();
        ASSERT_TRUE(FontSystem::isStarted());
        font.reset(TTF_OpenFont(path.text().c_str(), 48));
        ASSERT_NE(font, nullptr);
        atlas = OpenGLFont::buildAtlas(font.get());
    }

    Metrics metrics(char c)
    {
        Metrics m{};
        TTF_GlyphMetrics(font.get(), static_cast<unsigned char>(c), &m.minX, &m.maxX, &m.minY, &m.maxY, &m.advance);
        return m;
    }

    uint8_t alphaAt(int x, int y) const
    {
        return atlas.pixels[(static_cast<size_t>(y) * atlas.size + x) * 4 + 3];
    }

    FilePath path;
    FontHandle font;
    FontAtlas atlas;
};

TEST_F(FontAtlasTest, LineHeightIsTheTallestMeasurePlusFour)
{
    int tallest = 0;
    int maxAdvance = 0;
    for (int i = 0; i < OpenGLFont::glyphCount; ++i) {
        const Metrics m = metrics(atlas.glyphs[i].character);
        maxAdvance = std::max(maxAdvance, m.advance);
        if (tallest < m.maxY - m.minY)
            tallest = m.maxY - m.minY + 1;
    }
    EXPECT_EQ(atlas.tallest, static_cast<float>(tallest));
    EXPECT_EQ(atlas.maxAdvance, static_cast<float>(maxAdvance));
    const int measured = std::max({TTF_FontLineSkip(font.get()), TTF_FontHeight(font.get()), tallest});
    EXPECT_EQ(atlas.lineHeight, static_cast<float>(measured + 4));
}

TEST_F(FontAtlasTest, ElevenGlyphsPerRowAtStepsOfTheWidestAdvance)
{
    const float rowStep = atlas.lineHeight + 4.0f;
    for (int i = 0; i < OpenGLFont::glyphCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(atlas.glyphs[i].character, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-=.,;:'?()!\"\\/<>_ "[i]);
        EXPECT_EQ(atlas.glyphs[i].atlasX, static_cast<float>(i % 11) * atlas.maxAdvance);
        EXPECT_EQ(atlas.glyphs[i].atlasY, static_cast<float>(i / 11) * rowStep);
    }
    // 'l' (11) opens the second row; the space (80) is the fourth of the last.
    EXPECT_EQ(atlas.glyphs[10].atlasX, 10.0f * atlas.maxAdvance);
    EXPECT_EQ(atlas.glyphs[11].atlasX, 0.0f);
    EXPECT_EQ(atlas.glyphs[80].atlasY, 7.0f * rowStep);
    EXPECT_EQ(atlas.glyphs[80].atlasX, 3.0f * atlas.maxAdvance);
}

TEST_F(FontAtlasTest, SideIsAPowerOfTwoHoldingEveryCell)
{
    const int side = atlas.size;
    EXPECT_EQ(side & (side - 1), 0) << side;
    const float cell = std::max(atlas.lineHeight, atlas.maxAdvance);
    EXPECT_GE(side, static_cast<int>(10 * cell));
    EXPECT_EQ(atlas.pixels.size(), static_cast<size_t>(side) * side * 4);
    for (const FontGlyph& glyph : atlas.glyphs) {
        EXPECT_LE(glyph.atlasX + glyph.width, static_cast<float>(side)) << glyph.character;
        EXPECT_LE(glyph.atlasY + atlas.lineHeight + 2.0f, static_cast<float>(side)) << glyph.character;
    }
}

TEST_F(FontAtlasTest, CellWidthIsTheAdvanceUnlessTheGlyphIsWider)
{
    for (const FontGlyph& glyph : atlas.glyphs) {
        SCOPED_TRACE(glyph.character);
        const Metrics m = metrics(glyph.character);
        const float inked = static_cast<float>(m.maxX - m.minX);
        EXPECT_EQ(glyph.advance, static_cast<float>(m.advance));
        EXPECT_EQ(glyph.width, std::max(inked, glyph.advance));
        EXPECT_EQ(glyph.xOffset, inked > glyph.advance ? (inked - glyph.advance) * -0.5f : 0.0f);
        EXPECT_LE(glyph.xOffset, 0.0f);
    }
}

TEST_F(FontAtlasTest, EachPictureSitsOnTheCommonBaselineOfItsRow)
{
    // Each glyph's coverage lies in the atlas with its top row at
    // rowY + tallest - maxY - 1, so every baseline shares one atlas row.
    const SDL_Color white = {255, 255, 255, 0};
    for (char c : std::string("aAgj_Q!8,")) {
        SCOPED_TRACE(c);
        const FontGlyph& glyph = atlas.glyphs[static_cast<size_t>(OpenGLFont::glyphIndex(c))];
        const Metrics m = metrics(c);
        SDL_Surface* picture = TTF_RenderGlyph_Blended(font.get(), static_cast<unsigned char>(c), white);
        ASSERT_NE(picture, nullptr);
        const int left = static_cast<int>(glyph.atlasX);
        const int top = static_cast<int>(glyph.atlasY + atlas.tallest - static_cast<float>(m.maxY) - 1.0f);
        int inked = 0;
        for (int row = 0; row < picture->h; ++row) {
            const auto* source = reinterpret_cast<const Uint32*>(static_cast<const uint8_t*>(picture->pixels)
                                                                 + static_cast<size_t>(row) * picture->pitch);
            for (int column = 0; column < picture->w; ++column) {
                const uint8_t alpha = static_cast<uint8_t>((source[column] & picture->format->Amask)
                                                           >> picture->format->Ashift);
                inked += alpha > 0;
                ASSERT_EQ(alphaAt(left + column, top + row), alpha) << "pixel " << column << "," << row;
            }
        }
        EXPECT_GT(inked, 0);
        SDL_FreeSurface(picture);
    }
}

TEST_F(FontAtlasTest, OutsideTheGlyphsTheAtlasIsClearWhite)
{
    // The space has no coverage: its cell stays transparent white.
    const FontGlyph& space = atlas.glyphs[80];
    EXPECT_GT(space.advance, 0.0f);
    for (int y = static_cast<int>(space.atlasY); y < static_cast<int>(space.atlasY + atlas.lineHeight); ++y)
        for (int x = static_cast<int>(space.atlasX); x < static_cast<int>(space.atlasX + space.advance); ++x)
            ASSERT_EQ(alphaAt(x, y), 0) << x << "," << y;
    // The bottom-right corner lies beyond the last row.
    const size_t corner = (static_cast<size_t>(atlas.size) * atlas.size - 1) * 4;
    EXPECT_EQ(atlas.pixels[corner + 0], 255);
    EXPECT_EQ(atlas.pixels[corner + 1], 255);
    EXPECT_EQ(atlas.pixels[corner + 2], 255);
    EXPECT_EQ(atlas.pixels[corner + 3], 0);
}

TEST_F(FontAtlasTest, ATinyPointSizeStillBuildsInsideItsAtlas)
{
    FontHandle tiny(TTF_OpenFont(path.text().c_str(), 3));
    ASSERT_NE(tiny, nullptr);
    const FontAtlas small = OpenGLFont::buildAtlas(tiny.get());
    ASSERT_FALSE(small.pixels.empty());
    for (const FontGlyph& glyph : small.glyphs)
        EXPECT_LE(glyph.atlasX + glyph.width, static_cast<float>(small.size)) << glyph.character;
}

} // namespace

// A box too tight cuts the edges off glyphs and rims; one read past the
// quad keeps a neighbour's ink, and one past the picture reads out of bounds.
TEST(FontInkBoxTest, KeepsEveryLitTexelOfTheQuadWithTwoTexelsAround)
{
    struct Case {
        int litX, litY, left, top; // one lit texel; the quad's top left corner
        InkBox expected;
    };
    const Case cases[] = {
        {5, 6, 2, 3, {1.0f / 8, 1.0f / 8, 6.0f / 8, 6.0f / 8}}, // inside
        {2, 3, 2, 3, {0.0f, 0.0f, 3.0f / 8, 3.0f / 8}},         // the corner: clamped to the quad
        {10, 6, 2, 3, {}},                                      // just right of the quad: nothing
        {15, 15, 12, 12, {1.0f / 8, 1.0f / 8, 6.0f / 8, 6.0f / 8}}, // the quad hangs past the picture
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> alpha(16 * 16, 0);
        alpha[static_cast<size_t>(c.litY * 16 + c.litX)] = 1;
        const InkBox box = OpenGLFont::inkBox(alpha.data(), 16, c.left, c.top, 8.0f, 8.0f);
        EXPECT_FLOAT_EQ(box.x0, c.expected.x0) << c.litX << "," << c.litY;
        EXPECT_FLOAT_EQ(box.y0, c.expected.y0) << c.litX << "," << c.litY;
        EXPECT_FLOAT_EQ(box.x1, c.expected.x1) << c.litX << "," << c.litY;
        EXPECT_FLOAT_EQ(box.y1, c.expected.y1) << c.litX << "," << c.litY;
    }
}
