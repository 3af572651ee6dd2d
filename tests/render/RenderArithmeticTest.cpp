#include "render/DisplayAttributes.h"
#include "render/Drawer.h"
#include "NullDrawer.h"
#include "render/GlyphFont.h"
#include "render/Letterbox.h"
#include "render/PolygonRecord.h"
#include "render/TexturePadding.h"
#include "render/TextureTable.h"
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

namespace {

void expectBox(const Letterbox& box, float x, float y, float width, float height)
{
    EXPECT_FLOAT_EQ(box.x, x);
    EXPECT_FLOAT_EQ(box.y, y);
    EXPECT_FLOAT_EQ(box.width, width);
    EXPECT_FLOAT_EQ(box.height, height);
}

} // namespace

TEST(Letterbox, BarsAboveAndBelowOnATallerWindow)
{
    expectBox(computeLetterbox(1280, 720, 1024, 768), 0, 96, 1024, 576);
}

TEST(Letterbox, BarsLeftAndRightOnAWiderWindow)
{
    expectBox(computeLetterbox(1280, 720, 2560, 1080), 320, 0, 1920, 1080);
}

TEST(Letterbox, SameAspectFillsTheWindow)
{
    expectBox(computeLetterbox(1280, 720, 1280, 720), 0, 0, 1280, 720);
    expectBox(computeLetterbox(1280, 720, 1920, 1080), 0, 0, 1920, 1080);
}

TEST(Letterbox, TruncationTowardZeroAndDegenerateWindows)
{
    // 1280 × 1000: height 720/1280 × 1280 = 720, y = 140; 1000 × 700 → width 1000, height 562.5.
    const PixelRect odd = truncated(computeLetterbox(1280, 720, 1000, 700));
    EXPECT_EQ(odd.width, 1000);
    EXPECT_EQ(odd.height, 562);
    EXPECT_EQ(odd.x, 0);
    EXPECT_EQ(odd.y, 68); // (700 − 562.5) / 2 = 68.75
    // A zero-sized window must not produce garbage or trap.
    const PixelRect none = truncated(computeLetterbox(1280, 720, 0, 0));
    EXPECT_EQ(none.width, 0);
    EXPECT_EQ(none.height, 0);
}

TEST(Letterbox, SubViewportQuarterTurnsYUpward)
{
    const Letterbox whole = computeLetterbox(1280, 720, 1280, 720);
    const PixelRect quarter = subViewport(whole, 1280, 720, 0, 0, 640, 360);
    EXPECT_EQ(quarter.x, 0);
    EXPECT_EQ(quarter.y, 360);
    EXPECT_EQ(quarter.width, 640);
    EXPECT_EQ(quarter.height, 360);
    // Bottom-right quarter of a letterboxed 1024 × 768 window.
    const Letterbox boxed = computeLetterbox(1280, 720, 1024, 768);
    const PixelRect corner = subViewport(boxed, 1280, 720, 640, 360, 640, 360);
    EXPECT_EQ(corner.x, 512);
    EXPECT_EQ(corner.y, 96);
    EXPECT_EQ(corner.width, 512);
    EXPECT_EQ(corner.height, 288);
}

TEST(TextureKeys, HandedOutInOrderAndNeverReused)
{
    TextureTable table;
    EXPECT_EQ(table.add(TextureRecord{}), 1u); // off-screen buffer
    EXPECT_EQ(table.add(TextureRecord{}), 2u); // line texture
    EXPECT_EQ(table.add(TextureRecord{}), 3u);
    EXPECT_EQ(table.add(TextureRecord{}), 4u);
    EXPECT_TRUE(table.remove(3, nullptr));
    EXPECT_EQ(table.add(TextureRecord{}), 5u);
    // Freeing the newest key does not hand it out again either.
    EXPECT_TRUE(table.remove(5, nullptr));
    EXPECT_EQ(table.add(TextureRecord{}), 6u);
    EXPECT_EQ(table.find(3), nullptr);
    EXPECT_EQ(table.find(5), nullptr);
    EXPECT_FALSE(table.remove(3, nullptr));
    EXPECT_FALSE(table.remove(0, nullptr));
}

TEST(TextureKeys, RecordForInsertsZeroRecordThatAllocationSkips)
{
    TextureTable table;
    TextureRecord& inserted = table.recordFor(2);
    EXPECT_EQ(inserted.glName, 0u);
    EXPECT_EQ(inserted.width, 0);
    EXPECT_FLOAT_EQ(inserted.uMax, 0.0f);
    EXPECT_EQ(table.size(), 1u);
    EXPECT_EQ(table.add(TextureRecord{7, 1, 1, 1, 1}), 1u);
    EXPECT_EQ(table.add(TextureRecord{8, 1, 1, 1, 1}), 3u);
    TextureRecord removed;
    EXPECT_TRUE(table.remove(1, &removed));
    EXPECT_EQ(removed.glName, 7u);
}

TEST(TexturePadding, PowersOfTwo)
{
    EXPECT_FALSE(padding::isPowerOfTwo(0));
    EXPECT_TRUE(padding::isPowerOfTwo(1));
    EXPECT_TRUE(padding::isPowerOfTwo(64));
    EXPECT_FALSE(padding::isPowerOfTwo(100));
    EXPECT_EQ(padding::nextPowerOfTwo(0), 1u);
    EXPECT_EQ(padding::nextPowerOfTwo(1), 1u);
    EXPECT_EQ(padding::nextPowerOfTwo(3), 4u);
    EXPECT_EQ(padding::nextPowerOfTwo(100), 128u);
    EXPECT_EQ(padding::nextPowerOfTwo(50), 64u);
    EXPECT_EQ(padding::nextPowerOfTwo(1024), 1024u);
}

TEST(TexturePadding, HundredByFiftyGrowsTo128By64WithEdgesRepeated)
{
    const uint32_t w = 100, h = 50;
    auto* pixels = new uint8_t[w * h * 4];
    for (uint32_t i = 0; i < w * h * 4; ++i)
        pixels[i] = static_cast<uint8_t>(i % 251);
    std::vector<uint8_t> original(pixels, pixels + w * h * 4);
    const padding::PaddedPicture padded = padding::padTexture(pixels, w, h);
    ASSERT_NE(padded.pixels, nullptr);
    EXPECT_EQ(padded.width, 128u);
    EXPECT_EQ(padded.height, 64u);
    EXPECT_FLOAT_EQ(padded.uMax, 0.78125f);
    EXPECT_FLOAT_EQ(padded.vMax, 0.78125f);
    for (uint32_t row = 0; row < h; ++row) {
        const uint8_t* line = padded.pixels + row * 128 * 4;
        ASSERT_EQ(std::vector<uint8_t>(line, line + w * 4),
                  std::vector<uint8_t>(original.begin() + row * w * 4, original.begin() + (row + 1) * w * 4));
        const uint8_t last = original[(row + 1) * w * 4 - 1];
        for (uint32_t b = w * 4; b < 128 * 4; ++b)
            ASSERT_EQ(line[b], last) << "row " << row << " byte " << b;
    }
    const uint8_t* lastRow = padded.pixels + (h - 1) * 128 * 4;
    for (uint32_t row = h; row < 64; ++row)
        ASSERT_EQ(0, std::memcmp(padded.pixels + row * 128 * 4, lastRow, 128 * 4)) << "row " << row;
    delete[] padded.pixels;
}

TEST(TexturePadding, PowerOfTwoPicturesPassUnchanged)
{
    auto* pixels = new uint8_t[64 * 32 * 4]();
    const padding::PaddedPicture same = padding::padTexture(pixels, 64, 32);
    EXPECT_EQ(same.pixels, pixels);
    EXPECT_EQ(same.width, 64u);
    EXPECT_EQ(same.height, 32u);
    EXPECT_FLOAT_EQ(same.uMax, 1.0f);
    EXPECT_FLOAT_EQ(same.vMax, 1.0f);
    delete[] same.pixels;
    EXPECT_EQ(padding::padTexture(nullptr, 100, 50).pixels, nullptr);
}

TEST(TexturePadding, GlyphOf48PadsRowsWithLastByteAndLeavesLowerRowsClear)
{
    auto* pixels = new uint8_t[48 * 48 * 4];
    for (int i = 0; i < 48 * 48; ++i) {
        pixels[i * 4 + 0] = 10;
        pixels[i * 4 + 1] = 20;
        pixels[i * 4 + 2] = 30;
        pixels[i * 4 + 3] = static_cast<uint8_t>(i / 48); // alpha = row
    }
    const padding::PaddedPicture padded = padding::padGlyph(pixels, 48);
    ASSERT_NE(padded.pixels, nullptr);
    EXPECT_EQ(padded.width, 64u);
    EXPECT_EQ(padded.height, 64u);
    for (int row = 0; row < 48; ++row) {
        const uint8_t* line = padded.pixels + row * 64 * 4;
        EXPECT_EQ(line[47 * 4 + 3], row);
        for (int b = 48 * 4; b < 64 * 4; ++b)
            ASSERT_EQ(line[b], row) << "row " << row;
    }
    for (int b = 48 * 64 * 4; b < 64 * 64 * 4; ++b)
        ASSERT_EQ(padded.pixels[b], 0);
    delete[] padded.pixels;
}

TEST(GlyphFont, CharacterSlots)
{
    EXPECT_EQ(glyphfont::slotFor('A'), 0);
    EXPECT_EQ(glyphfont::slotFor('Z'), 25);
    for (char c = 'a'; c <= 'z'; ++c)
        EXPECT_EQ(glyphfont::slotFor(c), glyphfont::slotFor(static_cast<char>(c - 'a' + 'A')));
    EXPECT_EQ(glyphfont::slotFor('0'), 26);
    EXPECT_EQ(glyphfont::slotFor('9'), 35);
    const char signs[] = {'.', ',', '+', '-', '!', '?', ':', '_'};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(glyphfont::slotFor(signs[i]), 36 + i) << signs[i];
    for (const char c : {' ', '\n', '@', '[', '`', '{', '/', static_cast<char>(0xC3), '\0'})
        EXPECT_EQ(glyphfont::slotFor(c), 44) << int(c);
    const std::string speed = "Speed:";
    const int expected[] = {18, 15, 4, 4, 3, 42};
    for (std::size_t i = 0; i < speed.size(); ++i)
        EXPECT_EQ(glyphfont::slotFor(speed[i]), expected[i]);
}

TEST(GlyphFont, StepIsTheVisiblePartOfAPaddedGlyph)
{
    EXPECT_FLOAT_EQ(glyphfont::step(32.0f, 64.0f, 16), 24.0f);
    EXPECT_FLOAT_EQ(glyphfont::step(32.0f, 32.0f, 0), 32.0f);
    EXPECT_FLOAT_EQ(glyphfont::step(48.0f, 64.0f, 0), 48.0f);
    EXPECT_FLOAT_EQ(glyphfont::step(32.0f, 0.0f, 16), 32.0f); // no slot texture yet
}

TEST(Polygons, SquareHasCentreAndBoundingBoxCoordinates)
{
    const float square[] = {0, 0, 10, 0, 10, 10, 0, 10};
    const PolygonRecord p = PolygonRecord::fromPoints(square, 4);
    ASSERT_EQ(p.count, 5);
    EXPECT_FLOAT_EQ(p.x[0], 5.0f);
    EXPECT_FLOAT_EQ(p.y[0], 5.0f);
    EXPECT_FLOAT_EQ(p.u[0], 0.5f);
    EXPECT_FLOAT_EQ(p.v[0], 0.5f);
    const float u[] = {0, 1, 1, 0};
    const float v[] = {0, 0, 1, 1};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(p.x[i + 1], square[i * 2]);
        EXPECT_FLOAT_EQ(p.y[i + 1], square[i * 2 + 1]);
        EXPECT_FLOAT_EQ(p.u[i + 1], u[i]);
        EXPECT_FLOAT_EQ(p.v[i + 1], v[i]);
    }
}

TEST(Polygons, FlatOrEmptyInputStaysFinite)
{
    const float line[] = {3, 0, 3, 5, 3, 10};
    const PolygonRecord flat = PolygonRecord::fromPoints(line, 3);
    ASSERT_EQ(flat.count, 4);
    for (int i = 0; i < flat.count; ++i) {
        EXPECT_TRUE(std::isfinite(flat.u[i]));
        EXPECT_TRUE(std::isfinite(flat.v[i]));
    }
    EXPECT_FLOAT_EQ(flat.v[0], 0.5f);
    EXPECT_EQ(PolygonRecord::fromPoints(nullptr, 4).count, 0);
    EXPECT_EQ(PolygonRecord::fromPoints(line, 0).count, 0);
    EXPECT_EQ(PolygonRecord::fromPoints(line, -3).count, 0);
}

namespace {

// The least a drawer must provide; everything optional stays the base's.
using BareDrawer = NullDrawer;

} // namespace

TEST(DrawerBase, OptionalFeaturesAreAbsentAndSilent)
{
    BareDrawer drawer;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(drawer.hasShaders());
    EXPECT_FALSE(drawer.canSupport(0));
    EXPECT_FALSE(drawer.canSupport(1));
    EXPECT_EQ(drawer.loadShader("a.vert", "a.frag"), 0u);
    EXPECT_EQ(drawer.getOffscreenTexture(), 0u);
    drawer.useShader(5, 1.0f);
    drawer.setSecondTexture(3);
    drawer.setBlendMode(1);
    drawer.beginOffscreen();
    drawer.endOffscreen();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(drawer.getWidth(), 1280);
    EXPECT_EQ(drawer.getHeight(), 720);
}

TEST(DisplayAttributes, ThirtyTwoBitDesktopWithoutMultisampling)
{
    const DisplayAttributes a = DisplayAttributes::forDisplay(false, 0);
    EXPECT_STREQ(a.depthLine, "OpenGLDrawer: Display is 32bit.");
    ASSERT_EQ(a.count, 7);
    const SDL_GLattr order[] = {SDL_GL_RED_SIZE, SDL_GL_GREEN_SIZE, SDL_GL_BLUE_SIZE, SDL_GL_ALPHA_SIZE,
                                SDL_GL_DEPTH_SIZE, SDL_GL_DOUBLEBUFFER, SDL_GL_SWAP_CONTROL};
    const int values[] = {8, 8, 8, 8, 16, 1, 1};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(a.requests[i].attribute, order[i]) << i;
        EXPECT_EQ(a.requests[i].value, values[i]) << i;
    }
    EXPECT_STREQ(a.requests[0].failure, "OpenGLDrawer: Could not set red pixel size to 8...");
    EXPECT_STREQ(a.requests[3].failure, "OpenGLDrawer: Could not set alpha pixel size to 8...");
    EXPECT_STREQ(a.requests[4].failure, "OpenGLDrawer: Could not set depth size to 16...");
    EXPECT_STREQ(a.requests[5].failure, "OpenGLDrawer: Could not set double buffering...");
    EXPECT_STREQ(a.requests[6].failure, "OpenGLDrawer: Could not set vertical sync...");
}

TEST(DisplayAttributes, SixteenBitDesktopWithFourSamples)
{
    const DisplayAttributes a = DisplayAttributes::forDisplay(true, 4);
    EXPECT_STREQ(a.depthLine, "OpenGLDrawer: Display is 16bit.");
    ASSERT_EQ(a.count, 8);
    // 5 bits for green as well, and no alpha request.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(a.requests[i].value, 5) << i;
    EXPECT_EQ(a.requests[1].attribute, SDL_GL_GREEN_SIZE);
    EXPECT_STREQ(a.requests[1].failure, "OpenGLDrawer: Could not set green pixel size to 5...");
    EXPECT_EQ(a.requests[3].attribute, SDL_GL_DEPTH_SIZE);
    EXPECT_EQ(a.requests[6].attribute, SDL_GL_MULTISAMPLEBUFFERS);
    EXPECT_EQ(a.requests[6].value, 1);
    EXPECT_STREQ(a.requests[6].failure, "OpenGLDrawer: Could not set multi sample buffers...");
    EXPECT_EQ(a.requests[7].attribute, SDL_GL_MULTISAMPLESAMPLES);
    EXPECT_EQ(a.requests[7].value, 4);
    EXPECT_STREQ(a.requests[7].failure, "OpenGLDrawer: Could not set multi sample samples...");
    EXPECT_EQ(DisplayAttributes::forDisplay(true, -2).count, 6);
}
