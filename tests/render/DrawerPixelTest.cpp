#include "DisplayFixture.h"
#include "TestPictures.h"
#include <GL/glew.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

using testpictures::solidPixels;

namespace {

constexpr int tolerance = 3;

// A picture whose left half is red and right half green.
uint8_t* halvesPicture(uint32_t size)
{
    uint8_t* pixels = solidPixels(size, size, 255, 0, 0, 255);
    for (uint32_t row = 0; row < size; ++row)
        for (uint32_t x = size / 2; x < size; ++x) {
            uint8_t* p = pixels + (row * size + x) * 4;
            p[0] = 0;
            p[1] = 255;
        }
    return pixels;
}

} // namespace

using DrawerPixels = WindowTest;

TEST_F(DrawerPixels, DisplaySetUpKeysAndTextureRecords)
{
    // initDisplay gives the off-screen colour texture key 1 and the line texture key 2.
    EXPECT_EQ(drawer->getOffscreenTexture(), 1u);
    const TextureRecord* offscreen = drawer->textures().find(1);
    ASSERT_NE(offscreen, nullptr);
    EXPECT_EQ(offscreen->width, 1280);
    EXPECT_EQ(offscreen->height, 720);
    const TextureRecord* line = drawer->textures().find(2);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->width, 8);
    EXPECT_FLOAT_EQ(line->uMax, 1.0f);

    const uint32_t first = drawer->createTexture(solidPixels(100, 50, 1, 2, 3, 4), 100, 50);
    const uint32_t second = drawer->createTexture(solidPixels(64, 32, 1, 2, 3, 4), 64, 32);
    EXPECT_EQ(second, first + 1);
    const TextureRecord* padded = drawer->textures().find(first);
    ASSERT_NE(padded, nullptr);
    EXPECT_EQ(padded->width, 100);
    EXPECT_EQ(padded->height, 50);
    EXPECT_FLOAT_EQ(padded->uMax, 0.78125f);
    EXPECT_FLOAT_EQ(padded->vMax, 0.78125f);
    GLint uploadedWidth = 0, uploadedHeight = 0;
    glBindTexture(GL_TEXTURE_2D, padded->glName);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &uploadedWidth);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &uploadedHeight);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(uploadedWidth, 128);
    EXPECT_EQ(uploadedHeight, 64);
    const TextureRecord* exact = drawer->textures().find(second);
    ASSERT_NE(exact, nullptr);
    EXPECT_FLOAT_EQ(exact->uMax, 1.0f);
    EXPECT_FLOAT_EQ(exact->vMax, 1.0f);

    drawer->deleteTexture(first);
    EXPECT_EQ(drawer->textures().find(first), nullptr);
    EXPECT_EQ(drawer->createTexture(solidPixels(4, 4, 0, 0, 0, 0), 4, 4), first + 2);
    drawer->deleteTexture(9999); // unknown: ignored
    EXPECT_EQ(drawer->createTexture(nullptr, 10, 10), 0u);

    EXPECT_EQ(drawer->getViewportWidth(), 1280);
    EXPECT_EQ(drawer->getViewportHeight(), 720);
    EXPECT_EQ(drawer->getViewportX(), 0);
    EXPECT_EQ(drawer->getViewportY(), 0);
}

TEST_F(DrawerPixels, DrawTextureCoversPictureSizeTimesScale)
{
    const uint32_t key = drawer->createTexture(solidPixels(100, 50, 255, 255, 255, 255), 100, 50);
    const Frame frame = shootFrame([&] { drawer->drawTexture(key, 10, 20, 1, 1, 1, 1, 1, 1); });
    EXPECT_RGB_NEAR(frame.at(10, 20), 255, 255, 255, tolerance);
    EXPECT_RGB_NEAR(frame.at(109, 69), 255, 255, 255, tolerance);
    EXPECT_RGB_NEAR(frame.at(60, 45), 255, 255, 255, tolerance);
    EXPECT_RGB_NEAR(frame.at(9, 20), 0, 0, 0, tolerance);
    EXPECT_RGB_NEAR(frame.at(110, 20), 0, 0, 0, tolerance);
    EXPECT_RGB_NEAR(frame.at(10, 19), 0, 0, 0, tolerance);
    EXPECT_RGB_NEAR(frame.at(10, 70), 0, 0, 0, tolerance);

    // Scaled 2 × 0.5 and tinted: colour multiplies the texels.
    const Frame scaled = shootFrame([&] { drawer->drawTexture(key, 10, 20, 2, 0.5f, 1, 0.5f, 0, 1); });
    EXPECT_RGB_NEAR(scaled.at(209, 44), 255, 128, 0, tolerance);
    EXPECT_RGB_NEAR(scaled.at(210, 30), 0, 0, 0, tolerance);
    EXPECT_RGB_NEAR(scaled.at(100, 45), 0, 0, 0, tolerance);
}

TEST_F(DrawerPixels, RotationTurnsAboutThePivotClockwise)
{
    const uint32_t key = drawer->createTexture(solidPixels(16, 32, 255, 255, 255, 255), 16, 32);
    // A 10 × 20 picture: the record's size decides the quad.
    TextureRecord& record = drawer->textureRecord(key);
    record.width = 10;
    record.height = 20;
    const Frame frame = shootFrame([&] { drawer->drawTextureTransformed(key, 100, 100, 90, 0, 0, 1, 1, 1, 1, 1, 1); });
    EXPECT_RGB_NEAR(frame.at(80, 100), 255, 255, 255, tolerance);
    EXPECT_RGB_NEAR(frame.at(99, 109), 255, 255, 255, tolerance);
    EXPECT_RGB_NEAR(frame.at(100, 105), 0, 0, 0, tolerance);
    EXPECT_RGB_NEAR(frame.at(79, 105), 0, 0, 0, tolerance);
    EXPECT_RGB_NEAR(frame.at(90, 110), 0, 0, 0, tolerance);
    EXPECT_RGB_NEAR(frame.at(90, 99), 0, 0, 0, tolerance);

    // Pivot at the centre of a 20 × 20 picture, scaled 2: the square stays put.
    record.width = 20;
    record.height = 20;
    const Frame centred = shootFrame([&] { drawer->drawTextureTransformed(key, 300, 300, 45, 10, 10, 2, 2, 1, 1, 1, 1); });
    EXPECT_RGB_NEAR(centred.at(320, 320), 255, 255, 255, tolerance);
    EXPECT_RGB_NEAR(centred.at(320, 294), 255, 255, 255, tolerance); // a corner now points up
    EXPECT_RGB_NEAR(centred.at(301, 301), 0, 0, 0, tolerance);       // the old corner is empty
}

TEST_F(DrawerPixels, RegionDrawsTheRightHalf)
{
    drawer->setLinearFiltering(false);
    const uint32_t key = drawer->createTexture(halvesPicture(64), 64, 64);
    drawer->setLinearFiltering(true);
    const Frame frame = shootFrame([&] { drawer->drawTextureRegion(key, 200, 200, 0.5f, 0, 0.5f, 1, 1, 1, 1, 1, 1, 1); });
    EXPECT_RGB_NEAR(frame.at(200, 200), 0, 255, 0, tolerance);
    EXPECT_RGB_NEAR(frame.at(231, 263), 0, 255, 0, tolerance);
    EXPECT_RGB_NEAR(frame.at(232, 230), 0, 0, 0, tolerance);
    EXPECT_RGB_NEAR(frame.at(215, 264), 0, 0, 0, tolerance);

    const Frame left = shootFrame([&] { drawer->drawTextureRegion(key, 200, 200, 0, 0, 0.5f, 1, 1, 1, 1, 1, 1, 1); });
    EXPECT_RGB_NEAR(left.at(200, 200), 255, 0, 0, tolerance);
    EXPECT_RGB_NEAR(left.at(231, 263), 255, 0, 0, tolerance);
}

TEST_F(DrawerPixels, LineIsASoftEightUnitBand)
{
    const Frame frame = shootFrame([&] { drawer->drawLine(100, 300, 300, 300, 1, 1, 1, 1); });
    // Across the band, the line picture's alphas over black.
    const int profile[] = {2, 33, 192, 255, 255, 192, 33, 2};
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(296 + i);
        EXPECT_RGB_NEAR(frame.at(200, 296 + i), profile[i], profile[i], profile[i], 3);
    }
    EXPECT_RGB_NEAR(frame.at(200, 295), 0, 0, 0, 1);
    EXPECT_RGB_NEAR(frame.at(200, 304), 0, 0, 0, 1);
    EXPECT_RGB_NEAR(frame.at(100, 300), 255, 255, 255, 3);
    EXPECT_RGB_NEAR(frame.at(299, 300), 255, 255, 255, 3);
    EXPECT_RGB_NEAR(frame.at(99, 300), 0, 0, 0, 1);
    EXPECT_RGB_NEAR(frame.at(300, 300), 0, 0, 0, 1);

    // Coloured, vertical: the band runs along x.
    const Frame vertical = shootFrame([&] { drawer->drawLine(500, 100, 500, 200, 1, 0, 0, 1); });
    EXPECT_RGB_NEAR(vertical.at(500, 150), 255, 0, 0, 3);
    EXPECT_RGB_NEAR(vertical.at(496, 150), 2, 0, 0, 3);
    EXPECT_RGB_NEAR(vertical.at(505, 150), 0, 0, 0, 1);
}

TEST_F(DrawerPixels, ZeroLengthLineDrawsNothing)
{
    const Frame frame = shootFrame([&] { drawer->drawLine(400, 400, 400, 400, 1, 1, 1, 1); });
    for (int y = 390; y < 410; ++y)
        for (int x = 390; x < 410; ++x)
            ASSERT_EQ(frame.at(x, y), (std::array<int, 3>{0, 0, 0})) << x << "," << y;
}

TEST_F(DrawerPixels, GradientRunsFromTopColourToBottomColour)
{
    const Frame frame = shootFrame([&] { drawer->fillGradientRect(0, 0, 100, 720, 255, 0, 0, 255, 0, 0, 255, 255); });
    EXPECT_RGB_NEAR(frame.at(50, 0), 255, 0, 0, 2);
    EXPECT_RGB_NEAR(frame.at(50, 360), 127, 0, 128, 2);
    EXPECT_RGB_NEAR(frame.at(50, 180), 191, 0, 64, 2);
    EXPECT_RGB_NEAR(frame.at(50, 719), 0, 0, 255, 2);
    EXPECT_RGB_NEAR(frame.at(100, 360), 0, 0, 0, 0);

    const Frame plain = shootFrame([&] { drawer->fillRect(10, 10, 20, 30, 10, 200, 30, 255); });
    EXPECT_RGB_NEAR(plain.at(10, 10), 10, 200, 30, 1);
    EXPECT_RGB_NEAR(plain.at(29, 39), 10, 200, 30, 1);
    EXPECT_RGB_NEAR(plain.at(30, 39), 0, 0, 0, 0);
    EXPECT_RGB_NEAR(plain.at(29, 40), 0, 0, 0, 0);
}

TEST_F(DrawerPixels, BlendModesOnKnownColours)
{
    const Frame frame = shootFrame([&] {
        for (int i = 0; i < 4; ++i)
            drawer->fillRect(i * 100.0f, 0, 100, 100, 100, 100, 100, 255);
        drawer->setBlendMode(0); // ordinary transparency
        drawer->fillRect(0, 0, 100, 100, 200, 0, 0, 128);
        drawer->setBlendMode(1); // additive
        drawer->fillRect(100, 0, 100, 100, 100, 50, 0, 128);
        drawer->setBlendMode(2); // darkening: destination × (source − source alpha)
        drawer->fillRect(200, 0, 100, 100, 255, 128, 0, 128);
        drawer->setBlendMode(1);
        drawer->setBlendMode(3); // unknown: additive stays
        drawer->fillRect(300, 0, 100, 100, 100, 50, 0, 128);
        drawer->setBlendMode(0);
    });
    EXPECT_RGB_NEAR(frame.at(50, 50), 150, 50, 50, 2);
    EXPECT_RGB_NEAR(frame.at(150, 50), 150, 125, 100, 2);
    EXPECT_RGB_NEAR(frame.at(250, 50), 49, 0, 0, 2);
    EXPECT_RGB_NEAR(frame.at(350, 50), 150, 125, 100, 2);
}

TEST_F(DrawerPixels, SquarePolygonFillsAsAFan)
{
    const float square[] = {0, 0, 10, 0, 10, 10, 0, 10};
    const int index = drawer->createPolygon(square, 4);
    const PolygonRecord* record = drawer->polygon(index);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->count, 5);
    EXPECT_FLOAT_EQ(record->x[0], 5.0f);
    EXPECT_FLOAT_EQ(record->u[0], 0.5f);

    drawer->setLinearFiltering(false);
    const uint32_t key = drawer->createTexture(halvesPicture(64), 64, 64);
    drawer->setLinearFiltering(true);
    const Frame frame = shootFrame([&] { drawer->drawPolygon(index, key, 400, 400, 10, 10, 1, 1, 1, 1); });
    // u spans the box, so the left half is red and the right half green.
    EXPECT_RGB_NEAR(frame.at(401, 401), 255, 0, 0, tolerance);
    EXPECT_RGB_NEAR(frame.at(401, 498), 255, 0, 0, tolerance);
    EXPECT_RGB_NEAR(frame.at(498, 401), 0, 255, 0, tolerance);
    EXPECT_RGB_NEAR(frame.at(498, 498), 0, 255, 0, tolerance);
    EXPECT_RGB_NEAR(frame.at(450, 420), 0, 255, 0, tolerance); // centre column is where green starts
    EXPECT_RGB_NEAR(frame.at(399, 450), 0, 0, 0, 0);
    EXPECT_RGB_NEAR(frame.at(500, 450), 0, 0, 0, 0);
    EXPECT_RGB_NEAR(frame.at(450, 500), 0, 0, 0, 0);
}

TEST_F(DrawerPixels, ViewportQuarterConfinesAndRescales)
{
    const Frame frame = shootFrame([&] {
        drawer->setViewport(0, 0, 640, 360);
        GLint viewport[4] = {};
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[0], 0);
        EXPECT_EQ(viewport[1], 360);
        EXPECT_EQ(viewport[2], 640);
        EXPECT_EQ(viewport[3], 360);
        // The viewport's own coordinates run 0..640, 0..360.
        drawer->fillRect(0, 0, 640, 360, 255, 255, 255, 255);
        drawer->fillRect(320, 180, 320, 180, 255, 0, 0, 255);
        drawer->resetViewport();
        drawer->fillRect(1270, 710, 10, 10, 0, 0, 255, 255);
    });
    EXPECT_RGB_NEAR(frame.at(0, 0), 255, 255, 255, 0);
    EXPECT_RGB_NEAR(frame.at(319, 179), 255, 255, 255, 0);
    EXPECT_RGB_NEAR(frame.at(320, 180), 255, 0, 0, 0);
    EXPECT_RGB_NEAR(frame.at(639, 359), 255, 0, 0, 0);
    EXPECT_RGB_NEAR(frame.at(640, 100), 0, 0, 0, 0);
    EXPECT_RGB_NEAR(frame.at(100, 360), 0, 0, 0, 0);
    EXPECT_RGB_NEAR(frame.at(1275, 715), 0, 0, 255, 0);
}

TEST_F(DrawerPixels, TranslateAddsUpUntilTheNextFrame)
{
    const Frame moved = shootFrame([&] {
        drawer->translate(100, 50);
        drawer->translate(10, 5);
        drawer->fillRect(0, 0, 10, 10, 255, 255, 255, 255);
    });
    EXPECT_RGB_NEAR(moved.at(110, 55), 255, 255, 255, 0);
    EXPECT_RGB_NEAR(moved.at(109, 55), 0, 0, 0, 0);
    const Frame next = shootFrame([&] { drawer->fillRect(0, 0, 10, 10, 255, 255, 255, 255); });
    EXPECT_RGB_NEAR(next.at(0, 0), 255, 255, 255, 0);
    EXPECT_RGB_NEAR(next.at(110, 55), 0, 0, 0, 0);
}

TEST_F(DrawerPixels, OffscreenBufferRoundTripIsUpright)
{
    const Frame frame = shootFrame([&] {
        drawer->beginOffscreen();
        drawer->fillRect(0, 0, 1280, 720, 0, 0, 0, 255);
        // y grows upward in the buffer: these are its bottom ten rows.
        drawer->fillRect(0, 0, 1280, 10, 255, 0, 0, 255);
        drawer->fillRect(0, 700, 100, 20, 0, 255, 0, 255);
        drawer->endOffscreen();
        drawer->drawTexture(drawer->getOffscreenTexture(), 0, 0, 1, 1, 1, 1, 1, 1);
    });
    EXPECT_RGB_NEAR(frame.at(640, 0), 255, 0, 0, 1);
    EXPECT_RGB_NEAR(frame.at(640, 9), 255, 0, 0, 1);
    EXPECT_RGB_NEAR(frame.at(640, 10), 0, 0, 0, 1);
    EXPECT_RGB_NEAR(frame.at(50, 710), 0, 255, 0, 1);
    EXPECT_RGB_NEAR(frame.at(50, 699), 0, 0, 0, 1);
}

TEST_F(DrawerPixels, GrabScreenReadsTheFrameJustShown)
{
    const Frame first = shootFrame([&] { drawer->fillRect(0, 0, 1280, 720, 0, 128, 255, 255); });
    EXPECT_RGB_NEAR(first.at(640, 360), 0, 128, 255, 0);
    // Nothing drawn since: a second grab still shows the same frame.
    const Frame again = grab(*drawer, width, height);
    EXPECT_RGB_NEAR(again.at(0, 0), 0, 128, 255, 0);
    EXPECT_RGB_NEAR(again.at(1279, 719), 0, 128, 255, 0);
    // Drawing of the next frame has begun but is not shown yet.
    drawer->beginFrame();
    drawer->fillRect(0, 0, 1280, 720, 255, 0, 0, 255);
    const Frame during = grab(*drawer, width, height);
    EXPECT_RGB_NEAR(during.at(640, 360), 0, 128, 255, 0);
    drawer->endFrame();
    EXPECT_RGB_NEAR(grab(*drawer, width, height).at(640, 360), 255, 0, 0, 0);
}

TEST_F(DrawerPixels, GrabScreenReadsTheFrontBufferWithoutCopyingEveryFrame)
{
    // A virtual X server's swaps copy, so the shown frame stays in the back
    // buffer and no frame is copied before its swap until someone grabs;
    // the copying way must give the same frames.
    drawer->keepShownFrameCopies(false);
    EXPECT_FALSE(drawer->copiesEveryFrame());
    for (const bool copies : {false, true}) {
        drawer->keepShownFrameCopies(copies);
        SCOPED_TRACE(copies ? "copying every frame" : "reading the front buffer");
        const Frame first = shootFrame([&] { drawer->fillRect(0, 0, 1280, 720, 0, 128, 255, 255); });
        EXPECT_RGB_NEAR(first.at(640, 360), 0, 128, 255, 0);
        EXPECT_TRUE(drawer->copiesEveryFrame()); // a grab starts them
        drawer->beginFrame();
        drawer->fillRect(0, 0, 640, 720, 255, 255, 0, 255);
        EXPECT_RGB_NEAR(grab(*drawer, width, height).at(100, 100), 0, 128, 255, 0);
        drawer->endFrame();
        const Frame second = grab(*drawer, width, height);
        EXPECT_RGB_NEAR(second.at(100, 100), 255, 255, 0, 0);
        EXPECT_RGB_NEAR(second.at(1000, 100), 0, 0, 0, 0);
    }
    drawer->keepShownFrameCopies(false);
}

TEST_F(DrawerPixels, AKeptStillShowsTheSameFrameAgainWithoutItsDrawing)
{
    EXPECT_FALSE(drawer->drawStill(0));
    drawer->beginFrame();
    drawer->fillGradientRect(0, 0, 1280, 720, 96, 96, 255, 255, 255, 255, 255, 255);
    drawer->fillRect(100, 100, 200, 50, 255, 0, 0, 128);
    const uint32_t still = drawer->keepStill();
    ASSERT_NE(still, 0u);
    drawer->fillRect(600, 300, 40, 40, 0, 255, 0, 255); // not part of the still
    drawer->endFrame();
    const Frame drawn = grab(*drawer, width, height);

    const Frame copied = shootFrame([&] { ASSERT_TRUE(drawer->drawStill(still)); });
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {150, 120}, {1279, 719}, {640, 700}}) {
        EXPECT_EQ(copied.at(x, y), drawn.at(x, y)) << x << "," << y;
    }
    EXPECT_EQ(copied.rgb.size(), drawn.rgb.size());
    // The green square was drawn after the still was kept: the sky is there.
    EXPECT_RGB_NEAR(drawn.at(620, 320), 0, 255, 0, 0);
    EXPECT_EQ(copied.at(620, 320), drawn.at(700, 320));
    // A second still gets its own key; an unknown key shows nothing.
    drawer->beginFrame();
    const uint32_t other = drawer->keepStill();
    drawer->endFrame();
    EXPECT_NE(other, still);
    EXPECT_FALSE(drawer->drawStill(other + 100));
}

TEST_F(DrawerPixels, AKeptStillShownInAreasFillsOnlyThosePixelsAndThemExactly)
{
    drawer->beginFrame();
    drawer->fillGradientRect(0, 0, 1280, 720, 96, 96, 255, 255, 255, 255, 255, 255);
    drawer->fillRect(100, 100, 200, 50, 255, 0, 0, 128);
    const uint32_t still = drawer->keepStill();
    drawer->endFrame();
    const Frame drawn = grab(*drawer, width, height);
    const ScreenArea areas[] = {{90, 95, 30, 20}, {-50, 600, 100, 200}};
    const Frame shown = shootFrame([&] { ASSERT_TRUE(drawer->drawStillAreas(still, areas, 2)); });
    const std::tuple<int, int, bool> points[] = {{90, 95, true},    {119, 114, true},  {105, 105, true},
                                                 {89, 100, false},  {120, 100, false}, {100, 115, false},
                                                 {0, 719, true},   {49, 600, true},   {50, 650, false}};
    for (const auto& [x, y, inside] : points) {
        SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
        if (inside)
            EXPECT_EQ(shown.at(x, y), drawn.at(x, y));
        else
            EXPECT_RGB_NEAR(shown.at(x, y), 0, 0, 0, 0);
    }
}

TEST_F(DrawerPixels, UnknownKeysIndicesAndFontsDrawNothing)
{
    const float triangle[] = {0, 0, 10, 0, 5, 10};
    const int index = drawer->createPolygon(triangle, 3);
    const uint32_t key = drawer->createTexture(solidPixels(8, 8, 255, 255, 255, 255), 8, 8);
    const Frame frame = shootFrame([&] {
        drawer->drawTexture(99999, 0, 0, 10, 10, 1, 1, 1, 1);
        drawer->drawTextureTransformed(99999, 0, 0, 30, 0, 0, 10, 10, 1, 1, 1, 1);
        drawer->drawTextureRegion(0, 0, 0, 0, 0, 1, 1, 10, 10, 1, 1, 1, 1);
        drawer->drawPolygon(index + 100, key, 0, 0, 10, 10, 1, 1, 1, 1);
        drawer->drawPolygon(-1, key, 0, 0, 10, 10, 1, 1, 1, 1);
        drawer->drawPolygon(index, 99999, 0, 0, 10, 10, 1, 1, 1, 1);
        drawer->drawText("HELLO", 1, 0, 0, 1000, 1, 1, 1, 1, 1);
        drawer->drawText("HELLO", 7, 0, 0, 1000, 1, 1, 1, 1, 1);
        drawer->drawText("HELLO", -1, 0, 0, 1000, 1, 1, 1, 1, 1);
        drawer->setGlyph(44, solidPixels(16, 16, 255, 0, 0, 255), 16);
        drawer->setGlyph(-1, solidPixels(16, 16, 255, 0, 0, 255), 16);
        drawer->setGlyph(1000000, nullptr, 16);
        drawer->setSecondTexture(4242); // unknown second texture: left out
        drawer->drawTexture(key, 600, 600, 1, 1, 1, 1, 1, 1);
    });
    EXPECT_EQ(drawer->polygon(index + 100), nullptr);
    EXPECT_EQ(drawer->polygon(-1), nullptr);
    EXPECT_EQ(drawer->glyphSlot(44).glName, 0u);
    EXPECT_EQ(drawer->glyphSlot(-3).glName, 0u);
    for (int y = 0; y < 120; y += 3)
        for (int x = 0; x < 120; x += 3)
            ASSERT_EQ(frame.at(x, y), (std::array<int, 3>{0, 0, 0})) << x << "," << y;
    EXPECT_RGB_NEAR(frame.at(603, 603), 255, 255, 255, 0);
}

TEST_F(DrawerPixels, LowerAndUpperCaseDrawTheSameGlyphAndFontZeroScales)
{
    drawer->setGlyph(7, solidPixels(64, 64, 0, 255, 0, 255), 64);   // 'H'
    drawer->setGlyph(43, solidPixels(32, 32, 0, 0, 255, 255), 32);  // '_'
    const Frame frame = shootFrame([&] {
        drawer->drawGlyphText("h H", 0, 0, 32, 1, 1, 1, 1);
        drawer->drawText("H_", 0, 0, 100, 500, 1.5f, 1, 1, 1, 1);
        drawer->drawText("H", 0, 0, 200, 0, 0.5f, 1, 1, 1, 1);
    });
    EXPECT_RGB_NEAR(frame.at(16, 16), 0, 255, 0, tolerance);
    EXPECT_RGB_NEAR(frame.at(48, 16), 0, 0, 0, 0); // the space draws nothing
    EXPECT_RGB_NEAR(frame.at(80, 16), 0, 255, 0, tolerance);
    // Font 0 at scale 1.5: 48 × 48 glyphs, each step 48.
    EXPECT_RGB_NEAR(frame.at(47, 147), 0, 255, 0, tolerance);
    EXPECT_RGB_NEAR(frame.at(48, 110), 0, 0, 255, tolerance);
    EXPECT_RGB_NEAR(frame.at(95, 147), 0, 0, 255, tolerance);
    EXPECT_RGB_NEAR(frame.at(96, 110), 0, 0, 0, 0);
    EXPECT_RGB_NEAR(frame.at(20, 148), 0, 0, 0, 0);
    // Scale 0.5 gives 16 × 16.
    EXPECT_RGB_NEAR(frame.at(8, 207), 0, 255, 0, tolerance);
    EXPECT_RGB_NEAR(frame.at(8, 217), 0, 0, 0, 0);
}

TEST_F(DrawerPixels, FeatureQueriesReportTheirAnswers)
{
    testing::internal::CaptureStdout();
    const bool shaders = drawer->canSupport(0);
    const bool framebuffer = drawer->canSupport(1);
    const bool other = drawer->canSupport(2);
    const bool negative = drawer->canSupport(-1);
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(shaders); // Mesa has the ARB shader objects
    EXPECT_TRUE(framebuffer);
    EXPECT_FALSE(other);
    EXPECT_FALSE(negative);
    EXPECT_EQ(output, "canSupport(Shaders) => 1\ncanSupport(FrameBuffer) => 1\n");
    EXPECT_TRUE(drawer->hasShaders());
}

namespace {

class ShaderFiles {
public:
    ShaderFiles() : folder(testpictures::tempFolder()) {}
    ~ShaderFiles() { std::filesystem::remove_all(folder); }
    std::string write(const std::string& name, const std::string& text)
    {
        const std::string path = folder + "/" + name;
        std::ofstream(path) << text;
        return path;
    }
    const std::string folder;
};

constexpr const char* passVertex =
    "void main() {\n"
    "  gl_TexCoord[0] = gl_MultiTexCoord0;\n"
    "  gl_TexCoord[1] = gl_MultiTexCoord1;\n"
    "  gl_Position = ftransform();\n"
    "}\n";

} // namespace

TEST_F(DrawerPixels, ShaderFromTwoFilesChangesTheOutput)
{
    ShaderFiles files;
    const std::string vertex = files.write("pass.vert", passVertex);
    const std::string fragment = files.write("param.frag",
                                             "uniform sampler2D base;\n"
                                             "uniform float shaderParam;\n"
                                             "void main() {\n"
                                             "  vec4 texel = texture2D(base, gl_TexCoord[0].st);\n"
                                             "  gl_FragColor = vec4(shaderParam, texel.g * 0.5, 1.0 - shaderParam, 1.0);\n"
                                             "}\n");
    testing::internal::CaptureStdout();
    const uint32_t program = drawer->loadShader(vertex, fragment);
    const std::string output = testing::internal::GetCapturedStdout();
    ASSERT_NE(program, 0u);
    EXPECT_EQ(output, "OpenGLDrawer Shader InfoLog:\n----------------------------\n" + vertex + ":\n" + fragment + ":\n");

    const uint32_t key = drawer->createTexture(solidPixels(64, 64, 255, 255, 255, 255), 64, 64);
    const Frame shaded = shootFrame([&] {
        drawer->useShader(program, 1.0f);
        drawer->drawTexture(key, 0, 0, 1, 1, 1, 1, 1, 1);
        drawer->useShader(program, 0.0f);
        drawer->drawTexture(key, 100, 0, 1, 1, 1, 1, 1, 1);
        drawer->useShader(0, 0.0f);
        drawer->drawTexture(key, 200, 0, 1, 1, 1, 1, 1, 1);
    });
    EXPECT_RGB_NEAR(shaded.at(32, 32), 255, 128, 0, tolerance);
    EXPECT_RGB_NEAR(shaded.at(132, 32), 0, 128, 255, tolerance);
    EXPECT_RGB_NEAR(shaded.at(232, 32), 255, 255, 255, tolerance); // fixed function again
}

TEST_F(DrawerPixels, SecondTextureFeedsTheSecondSamplerUntilTheFrameEnds)
{
    ShaderFiles files;
    const std::string vertex = files.write("pass.vert", passVertex);
    const std::string fragment = files.write("second.frag",
                                             "uniform sampler2D base;\n"
                                             "uniform sampler2D second;\n"
                                             "void main() {\n"
                                             "  gl_FragColor = texture2D(base, gl_TexCoord[0].st) * texture2D(second, gl_TexCoord[1].st);\n"
                                             "}\n");
    testing::internal::CaptureStdout();
    const uint32_t program = drawer->loadShader(vertex, fragment);
    testing::internal::GetCapturedStdout();
    ASSERT_NE(program, 0u);
    const uint32_t white = drawer->createTexture(solidPixels(32, 32, 255, 255, 255, 255), 32, 32);
    const uint32_t yellow = drawer->createTexture(solidPixels(32, 32, 255, 255, 0, 255), 32, 32);

    const Frame with = shootFrame([&] {
        drawer->useShader(program, 0.0f);
        drawer->setSecondTexture(yellow);
        drawer->drawTexture(white, 0, 0, 1, 1, 1, 1, 1, 1);
        drawer->drawTextureRegion(white, 100, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1);
    });
    EXPECT_RGB_NEAR(with.at(16, 16), 255, 255, 0, tolerance);
    EXPECT_RGB_NEAR(with.at(116, 16), 255, 255, 0, tolerance);
    // endFrame dropped the second texture: an unbound sampler reads black.
    const Frame without = shootFrame([&] { drawer->drawTexture(white, 0, 0, 1, 1, 1, 1, 1, 1); });
    drawer->useShader(0, 0.0f);
    EXPECT_RGB_NEAR(without.at(16, 16), 0, 0, 0, tolerance);
}

TEST_F(DrawerPixels, MissingShaderFilesStillPrintTheirNames)
{
    testing::internal::CaptureStdout();
    drawer->loadShader("/no/such/folder/a.vert", "");
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(output, "OpenGLDrawer Shader InfoLog:\n----------------------------\n/no/such/folder/a.vert:\n:\n");
    // The broken program was not made current: drawing is unaffected.
    const uint32_t key = drawer->createTexture(solidPixels(16, 16, 255, 255, 255, 255), 16, 16);
    const Frame frame = shootFrame([&] { drawer->drawTexture(key, 0, 0, 1, 1, 1, 1, 1, 1); });
    EXPECT_RGB_NEAR(frame.at(8, 8), 255, 255, 255, 0);
}

TEST_F(DrawerPixels, ShaderFilesThatAreAFifoOrADeviceAreReadAsEmpty)
{
    // Neither blocks nor reads without end; the test's timeout is the guard.
    const std::string folder = testpictures::tempFolder();
    const std::string fifo = folder + "/a.vert";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    testing::internal::CaptureStdout();
    drawer->loadShader(fifo, "/dev/zero");
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(output, "OpenGLDrawer Shader InfoLog:\n----------------------------\n" + fifo + ":\n/dev/zero:\n");
    std::filesystem::remove_all(folder);
}

TEST_F(DrawerPixels, LoadFontThatIsNowhereGivesZeroAndFallsBackToGlyphs)
{
    testing::internal::CaptureStdout();
    const int number = drawer->loadFont("NoSuchFontAnywhere.ttf", 48);
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(number, 0);
    EXPECT_EQ(drawer->fontCount(), 0);
    EXPECT_NE(output.find("NoSuchFontAnywhere.ttf"), std::string::npos);
    // Text asked for in font 0 is drawn with the glyph placeholders.
    const Frame frame = shootFrame([&] { drawer->drawText("?", number, 0, 0, 100, 1, 1, 1, 1, 1); });
    EXPECT_RGB_NEAR(frame.at(16, 16), 255, 255, 255, tolerance);
}

// Last: the glyph padding it leaves behind is drawer-wide.
TEST_F(DrawerPixels, GlyphsArePaddedAndStepByTheirVisibleWidth)
{
    // Slot 0 ('A') gets a 48 × 48 red picture: uploaded 64 × 64, padding 16.
    drawer->setGlyph(0, solidPixels(48, 48, 255, 0, 0, 255), 48);
    EXPECT_EQ(drawer->glyphSlot(0).width, 64);
    EXPECT_EQ(drawer->glyphSlot(0).height, 64);
    EXPECT_FLOAT_EQ(drawer->glyphSlot(0).uMax, 1.0f);
    EXPECT_EQ(drawer->glyphPadding(), 16);
    // '.' keeps its 16 × 16 white placeholder.
    EXPECT_EQ(drawer->glyphSlot(36).width, 16);

    const Frame frame = shootFrame([&] { drawer->drawGlyphText("A.", 0, 0, 32, 1, 1, 1, 1); });
    EXPECT_RGB_NEAR(frame.at(2, 2), 255, 0, 0, tolerance);
    EXPECT_RGB_NEAR(frame.at(22, 20), 255, 0, 0, tolerance);
    // The second glyph starts 24 units on and covers a full 32 × 32 square.
    EXPECT_RGB_NEAR(frame.at(25, 2), 255, 255, 255, tolerance);
    EXPECT_RGB_NEAR(frame.at(55, 30), 255, 255, 255, tolerance);
    EXPECT_RGB_NEAR(frame.at(57, 10), 0, 0, 0, 0);
    // The lower quarter of the padded glyph is transparent.
    EXPECT_RGB_NEAR(frame.at(10, 29), 0, 0, 0, tolerance);

    // Unpadded glyphs leave the padding as it was; put both back to 64.
    drawer->setGlyph(0, solidPixels(64, 64, 255, 0, 0, 255), 64);
    EXPECT_EQ(drawer->glyphPadding(), 16);
}

TEST_F(DrawerPixels, LoadedFontsAreNumberedFromOneAndDrawThroughTheirAtlas)
{
    testing::internal::CaptureStdout();
    const int number = drawer->loadFont("MarsNeedsCunnilingus.ttf", 48);
    testing::internal::GetCapturedStdout();
    if (number == 0)
        GTEST_SKIP() << "no font laid beside the test";
    EXPECT_EQ(number, drawer->fontCount());
    const Frame frame = shootFrame([&] {
        drawer->drawText("HELLO", number, 0, 0, 1000, 1, 1, 1, 1, 1);
        drawer->drawText("HELLO", number + 1, 0, 200, 1000, 1, 1, 1, 1, 1); // never handed out
    });
    int lit = 0;
    int litBelow = 0;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 400; ++x)
            if (frame.at(x, y)[0] > 128)
                ++(y < 150 ? lit : litBelow);
    EXPECT_GT(lit, 100);
    EXPECT_EQ(litBelow, 0);
}
