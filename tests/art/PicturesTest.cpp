// Checks the pictures the game carries inside itself: that the game's own
// decoder accepts every one of them, that they have the sizes and formats the
// drawing code relies on, and the few pixel properties other code depends on
// (line alphas, outline frame, open-space tile, white glyphs, black pilot).
#include "data/Pictures.h"
#include "base/ImageLoader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int tilePixels = 16;       // side of one atlas tile
constexpr int titleTextTop = 400;    // the title screen writes its story from this row down
constexpr int glyphMargin = 4;       // columns kept clear on both sides so letters never touch
constexpr int outlineDarkest = 80;   // brightest value an outline pixel may have

struct Picture {
    std::string name;
    EmbeddedBytes bytes;
    int width;
    int height;
};

#define PICTURE(stem, w, h) Picture{#stem, VANTORREL_EMBEDDED_BYTES(stem), w, h}

std::vector<Picture> allPngs()
{
    std::vector<Picture> list;
    for (int slot = 0; slot < pictures::glyphCount; ++slot) {
        char name[16];
        std::snprintf(name, sizeof name, "glyph%02d", slot);
        list.push_back({name, pictures::glyph(slot), 64, 64});
    }
    list.insert(list.end(), {
        PICTURE(pilotRun0, 32, 32), PICTURE(pilotRun1, 32, 32), PICTURE(pilotRun2, 32, 32),
        PICTURE(pilotRun3, 32, 32), PICTURE(pilotRun4, 32, 32), PICTURE(pilotRun5, 32, 32),
        PICTURE(pilotAirA, 32, 32), PICTURE(pilotAirB, 32, 32), PICTURE(pilotAirC, 32, 32),
        PICTURE(pilotStandP, 32, 32), PICTURE(pilotStandQ, 32, 32), PICTURE(pilotStandR, 32, 32),
        PICTURE(cloud, 132, 68), PICTURE(warpRing0, 8, 8), PICTURE(warpRing1, 8, 8),
        PICTURE(warpRing2, 8, 8), PICTURE(warpRing3, 8, 8), PICTURE(trailStar, 16, 16),
        PICTURE(cellOutline, 36, 36), PICTURE(tileAtlas, 128, 128), PICTURE(titleLogo, 1024, 720),
        PICTURE(lineTexture, 8, 8),
    });
    return list;
}

// A decoded picture that releases its pixels.
struct Decoded {
    std::unique_ptr<uint8_t[]> pixels;
    int width = 0;
    int height = 0;

    const uint8_t* at(int x, int y) const { return pixels.get() + (static_cast<size_t>(y) * width + x) * 4; }
    int alpha(int x, int y) const { return at(x, y)[3]; }
    bool white(int x, int y) const { return at(x, y)[0] == 255 && at(x, y)[1] == 255 && at(x, y)[2] == 255; }
    bool black(int x, int y) const { return at(x, y)[0] == 0 && at(x, y)[1] == 0 && at(x, y)[2] == 0; }
    int brightness(int x, int y) const { return (at(x, y)[0] + at(x, y)[1] + at(x, y)[2]) / 3; }
};

Decoded decode(EmbeddedBytes bytes)
{
    RgbaImage image = ImageLoader().loadFromMemory(bytes.data, static_cast<int32_t>(bytes.length));
    Decoded out;
    out.pixels.reset(image.pixels);
    out.width = image.width;
    out.height = image.height;
    return out;
}

// The box around every pixel with some alpha; empty (right < left) when none has.
struct InkBox {
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1, count = 0;
};

InkBox inkBox(const Decoded& d, int x0, int y0, int w, int h)
{
    InkBox box;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
            if (d.alpha(x, y) > 0) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
                ++box.count;
            }
    return box;
}

InkBox inkBox(const Decoded& d) { return inkBox(d, 0, 0, d.width, d.height); }

uint32_t bigEndian32(const unsigned char* p) { return (uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3]; }

} // namespace

// The decoder refuses paletted and grey PNGs, so every PNG must be stored as
// 8-bit truecolour with alpha, and the sizes are what the drawing code assumes.
TEST(EmbeddedPictures, EveryPngIsEightBitRgbaOfItsSize)
{
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    for (const Picture& picture : allPngs()) {
        SCOPED_TRACE(picture.name);
        ASSERT_FALSE(picture.bytes.empty());
        ASSERT_GE(picture.bytes.length, 33u);
        const unsigned char* p = picture.bytes.data;
        EXPECT_TRUE(std::equal(signature, signature + 8, p));
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(p + 12), 4), "IHDR");
        EXPECT_EQ(bigEndian32(p + 16), uint32_t(picture.width));
        EXPECT_EQ(bigEndian32(p + 20), uint32_t(picture.height));
        EXPECT_EQ(p[24], 8) << "bit depth";
        EXPECT_EQ(p[25], 6) << "colour type (6 = RGBA)";

        Decoded d = decode(picture.bytes);
        ASSERT_NE(d.pixels, nullptr);
        EXPECT_EQ(d.width, picture.width);
        EXPECT_EQ(d.height, picture.height);
    }
}

TEST(EmbeddedPictures, GrainIsAThreeChannelBaselineJpegOfDarkGrey)
{
    const EmbeddedBytes grain = pictures::grain();
    ASSERT_GE(grain.length, 4u);
    ASSERT_EQ(grain.data[0], 0xFF);
    ASSERT_EQ(grain.data[1], 0xD8);
    // Walk the markers to the frame header.
    size_t at = 2;
    bool found = false;
    while (at + 9 < grain.length && grain.data[at] == 0xFF) {
        const int marker = grain.data[at + 1];
        const size_t length = (grain.data[at + 2] << 8) | grain.data[at + 3];
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            EXPECT_EQ(marker, 0xC0) << "baseline frame";
            EXPECT_EQ((grain.data[at + 5] << 8) | grain.data[at + 6], 1024);
            EXPECT_EQ((grain.data[at + 7] << 8) | grain.data[at + 8], 1024);
            EXPECT_EQ(grain.data[at + 9], 3) << "colour components";
            found = true;
            break;
        }
        at += 2 + length;
    }
    ASSERT_TRUE(found) << "no frame header";

    Decoded d = decode(grain);
    ASSERT_EQ(d.width, 1024);
    ASSERT_EQ(d.height, 1024);
    long long sum = 0;
    int greyish = 0;
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x) {
            ASSERT_EQ(d.alpha(x, y), 255);
            const uint8_t* p = d.at(x, y);
            sum += d.brightness(x, y);
            greyish += std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]}) <= 24;
        }
    const double mean = double(sum) / (1024.0 * 1024.0);
    EXPECT_GT(mean, 8.0);   // not black: it must lighten the sky a little
    EXPECT_LT(mean, 96.0);  // but dark, or the additive pass would wash out the sky
    EXPECT_GT(greyish, 1024 * 1024 * 99 / 100);
}

TEST(EmbeddedPictures, LineTextureIsWhiteWithTheSoftEdgeAlphas)
{
    static const int alphas[8] = {2, 33, 192, 255, 255, 192, 33, 2};
    Decoded d = decode(pictures::lineTexture());
    ASSERT_EQ(d.width, 8);
    ASSERT_EQ(d.height, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            EXPECT_TRUE(d.white(x, y)) << x << "," << y;
            EXPECT_EQ(d.alpha(x, y), alphas[x]) << x << "," << y;
        }
}

TEST(EmbeddedPictures, CellOutlineIsATwoPixelBlackFrameAroundNothing)
{
    Decoded d = decode(pictures::cellOutline());
    ASSERT_EQ(d.width, 36);
    ASSERT_EQ(d.height, 36);
    for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 36; ++x) {
            const bool frame = x < 2 || y < 2 || x >= 34 || y >= 34;
            if (frame) {
                EXPECT_TRUE(d.black(x, y) && d.alpha(x, y) == 255) << x << "," << y;
            } else {
                EXPECT_EQ(d.alpha(x, y), 0) << x << "," << y;
            }
        }
}

// Open space (7, 7) must show the sky; the solid tiles must be opaque so that
// a neighbour's tile hides the outline drawn under it; the burning block's
// three flame frames must exist and differ, or the fire would not move.
TEST(EmbeddedPictures, TileAtlasHasOpenSpaceSolidTilesAndThreeFlames)
{
    Decoded d = decode(pictures::tileAtlas());
    ASSERT_EQ(d.width, 128);
    ASSERT_EQ(d.height, 128);
    EXPECT_EQ(inkBox(d, 7 * tilePixels, 7 * tilePixels, tilePixels, tilePixels).count, 0);

    for (int column = 0; column <= 5; ++column) {
        SCOPED_TRACE("solid tile " + std::to_string(column));
        for (int y = 0; y < tilePixels; ++y)
            for (int x = 0; x < tilePixels; ++x)
                ASSERT_EQ(d.alpha(column * tilePixels + x, y), 255) << x << "," << y;
    }
    // Tile (0, 0) is grass over earth: greener at its top row than tile (1, 0).
    const uint8_t* grass = d.at(8, 0);
    const uint8_t* earth = d.at(tilePixels + 8, 0);
    EXPECT_GT(grass[1], grass[0]);
    EXPECT_GT(earth[0], earth[1]);

    std::vector<std::vector<uint8_t>> flames;
    for (int frame = 0; frame < 3; ++frame) {
        SCOPED_TRACE("flame " + std::to_string(frame));
        const int x0 = frame * tilePixels, y0 = 7 * tilePixels;
        InkBox box = inkBox(d, x0, y0, tilePixels, tilePixels);
        EXPECT_GT(box.count, tilePixels * tilePixels / 3);
        EXPECT_EQ(box.bottom, y0 + tilePixels - 1) << "flames rise from the cell's floor";
        std::vector<uint8_t> bytes;
        for (int y = 0; y < tilePixels; ++y)
            bytes.insert(bytes.end(), d.at(x0, y0 + y), d.at(x0, y0 + y) + tilePixels * 4);
        flames.push_back(bytes);
    }
    EXPECT_NE(flames[0], flames[1]);
    EXPECT_NE(flames[1], flames[2]);
    EXPECT_NE(flames[0], flames[2]);
}

// Glyphs are tinted by the text colour, so they must be pure white; the pen
// advances by the whole glyph square, so the letter must leave side margins.
TEST(EmbeddedPictures, GlyphsAreWhiteDistinctAndLeaveRoomBetweenLetters)
{
    std::vector<std::vector<uint8_t>> seen;
    std::vector<InkBox> boxes;
    for (int slot = 0; slot < pictures::glyphCount; ++slot) {
        SCOPED_TRACE("glyph slot " + std::to_string(slot));
        Decoded d = decode(pictures::glyph(slot));
        ASSERT_EQ(d.width, pictures::glyphSize);
        ASSERT_EQ(d.height, pictures::glyphSize);
        for (int y = 0; y < d.height; ++y)
            for (int x = 0; x < d.width; ++x)
                if (d.alpha(x, y) > 0) {
                    ASSERT_TRUE(d.white(x, y)) << x << "," << y;
                }
        InkBox box = inkBox(d);
        EXPECT_GT(box.count, 0);
        EXPECT_GE(box.left, glyphMargin);
        EXPECT_LT(box.right, pictures::glyphSize - glyphMargin);
        boxes.push_back(box);
        std::vector<uint8_t> bytes(d.pixels.get(), d.pixels.get() + 64 * 64 * 4);
        for (size_t other = 0; other < seen.size(); ++other)
            EXPECT_NE(bytes, seen[other]) << "same picture as slot " << other;
        seen.push_back(bytes);
    }
    ASSERT_EQ(boxes.size(), 43u);
    // A few slots whose shape gives their place away: "." sits low, "-" is a
    // flat bar in the middle, "I" is narrower than "W", ":" has two dots.
    EXPECT_GT(boxes[36].top, pictures::glyphSize / 2);
    EXPECT_LT(boxes[39].bottom - boxes[39].top, 16);
    EXPECT_GT(boxes[39].top, pictures::glyphSize / 3);
    EXPECT_LT(boxes[8].right - boxes[8].left, boxes[22].right - boxes[22].left);
    EXPECT_LT(boxes[42].count, boxes[0].count);
    EXPECT_LT(boxes[36].count, boxes[42].count);
}

// The pilot is drawn as a black silhouette in the 64-pixel cell box; on the
// ground its feet must reach the bottom row, or it would float above floors.
TEST(EmbeddedPictures, PilotFramesAreCrispBlackSilhouettesStandingOnTheFloor)
{
    std::vector<std::vector<uint8_t>> seen;
    for (int frame = 0; frame < pictures::pilotFrameCount; ++frame) {
        SCOPED_TRACE("pilot frame " + std::to_string(frame));
        Decoded d = decode(pictures::pilotFrame(frame));
        ASSERT_EQ(d.width, 32);
        ASSERT_EQ(d.height, 32);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const int a = d.alpha(x, y);
                ASSERT_TRUE(a == 0 || a == 255) << x << "," << y;
                if (a) {
                    ASSERT_TRUE(d.black(x, y)) << x << "," << y;
                }
            }
        InkBox box = inkBox(d);
        EXPECT_GT(box.count, 60);
        EXPECT_GT(box.bottom - box.top, 20) << "a figure, not a speck";
        const bool airborne = frame >= 6 && frame <= 9;
        if (!airborne) {
            EXPECT_EQ(box.bottom, 31);
        }
        std::vector<uint8_t> bytes(d.pixels.get(), d.pixels.get() + 32 * 32 * 4);
        seen.push_back(bytes);
    }
    // Twelve different pictures; the table repeats only air b and stand q.
    for (int a = 0; a < pictures::pilotFrameCount; ++a)
        for (int b = a + 1; b < pictures::pilotFrameCount; ++b) {
            const bool repeat = (a == 7 && b == 9) || (a == 11 && b == 13);
            EXPECT_EQ(seen[a] == seen[b], repeat) << a << " and " << b;
        }
}

// The rings are drawn on one spot with one pivot, so each must be centred in
// its 8 x 8 square and smaller than the one before.
TEST(EmbeddedPictures, WarpRingsAreCentredWhiteRingsOfFallingSize)
{
    int previousWidth = 9;
    for (int ring = 0; ring < 4; ++ring) {
        SCOPED_TRACE("ring " + std::to_string(ring));
        Decoded d = decode(pictures::warpRing(ring));
        ASSERT_EQ(d.width, 8);
        ASSERT_EQ(d.height, 8);
        InkBox box = inkBox(d);
        ASSERT_GT(box.count, 0);
        EXPECT_EQ(box.left + box.right, 7);
        EXPECT_EQ(box.top + box.bottom, 7);
        EXPECT_LT(box.right - box.left + 1, previousWidth);
        previousWidth = box.right - box.left + 1;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                if (d.alpha(x, y)) {
                    EXPECT_TRUE(d.white(x, y));
                }
    }
    // The largest is a ring, not a disc: its middle is open.
    Decoded largest = decode(pictures::warpRing(0));
    EXPECT_EQ(largest.alpha(3, 3) + largest.alpha(4, 4), 0);
}

TEST(EmbeddedPictures, TrailStarIsWhiteAndBalancedAboutItsPivot)
{
    Decoded d = decode(pictures::trailStar());
    ASSERT_EQ(d.width, 16);
    ASSERT_EQ(d.height, 16);
    InkBox box = inkBox(d);
    EXPECT_EQ(box.left + box.right, 15);
    EXPECT_GT(box.count, 60);
    EXPECT_EQ(d.alpha(8, 8), 255);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            if (d.alpha(x, y)) {
                EXPECT_TRUE(d.white(x, y));
            }
            EXPECT_EQ(d.alpha(x, y), d.alpha(15 - x, y)) << "mirror of " << x << "," << y;
        }
}

TEST(EmbeddedPictures, CloudIsPaleWithADarkOutline)
{
    Decoded d = decode(pictures::cloud());
    ASSERT_EQ(d.width, 132);
    ASSERT_EQ(d.height, 68);
    int edge = 0, pale = 0, inside = 0;
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x) {
            if (d.alpha(x, y) == 0)
                continue;
            const bool border = x == 0 || y == 0 || x == d.width - 1 || y == d.height - 1
                || !d.alpha(x - 1, y) || !d.alpha(x + 1, y) || !d.alpha(x, y - 1) || !d.alpha(x, y + 1);
            if (border) {
                ++edge;
                EXPECT_LT(d.brightness(x, y), outlineDarkest) << x << "," << y;
            } else {
                ++inside;
                pale += d.brightness(x, y) > 180;
            }
        }
    EXPECT_GT(edge, 100);
    EXPECT_GT(pale, inside * 3 / 4);
}

// The title screen writes its story from row 400 on, over the logo's picture:
// the lettering must stay above it, on transparent ground.
TEST(EmbeddedPictures, TitleLogoLettersStayAboveTheStoryText)
{
    Decoded d = decode(pictures::titleLogo());
    ASSERT_EQ(d.width, 1024);
    ASSERT_EQ(d.height, 720);
    InkBox box = inkBox(d);
    EXPECT_GT(box.count, 1024 * 60);
    EXPECT_LT(box.bottom, titleTextTop);
    EXPECT_GT(box.right - box.left, 1024 * 3 / 4) << "large lettering";
    EXPECT_EQ(d.alpha(0, 0) + d.alpha(1023, 0) + d.alpha(0, 719) + d.alpha(1023, 719), 0);
}
