// Steps that run without being shown (the main loop's catch-up steps) go to
// a StepOnlyDrawer: the screens' layers must advance exactly as when drawn,
// while textures and fonts are made once, by the drawer behind it.
#include "RecordingDrawer.h"
#include "data/Pictures.h"
#include "game/CloudLayer.h"
#include "game/LevelGrid.h"
#include "game/PictureTexture.h"
#include "game/PilotBody.h"
#include "game/TileSet.h"
#include "game/TrailParticles.h"
#include "game/WarpOverlay.h"
#include "base/RandomGenerator.h"
#include "render/StepOnlyDrawer.h"

#include <gtest/gtest.h>

TEST(UnseenSteps, TexturesAndFontsAreMadeOnceByTheShownDrawerWhicheverStepComesFirst)
{
    ProcessTexture::forgetAll();
    RecordingDrawer shown;
    StepOnlyDrawer unseen(shown);
    ProcessTexture texture;
    ProcessFont font;
    const uint32_t key = texture.key(unseen, pictures::cloud(), true);
    const int number = font.number(unseen, "SomeFont.ttf", 48.0f);
    EXPECT_EQ(key, 1u);
    EXPECT_EQ(number, 1);
    for (int step = 0; step < 3; ++step) {
        EXPECT_EQ(texture.key(shown, pictures::cloud(), true), key);
        EXPECT_EQ(texture.key(unseen, pictures::cloud(), true), key);
        EXPECT_EQ(font.number(shown, "SomeFont.ttf", 48.0f), number);
        EXPECT_EQ(font.number(unseen, "SomeFont.ttf", 48.0f), number);
    }
    ASSERT_EQ(shown.callsOf("createTexture").size(), 1u);
    EXPECT_EQ(shown.callsOf("createTexture")[0].args, (std::vector<float>{132.0f, 68.0f}));
    ASSERT_EQ(shown.callsOf("loadFont").size(), 1u);
    EXPECT_EQ(shown.callsOf("loadFont")[0].text, "SomeFont.ttf");
}

TEST(UnseenSteps, NothingIsDrawnButTheLastingStateIsPassedOn)
{
    RecordingDrawer shown;
    StepOnlyDrawer unseen(shown);
    EXPECT_EQ(&unseen.resourceHolder(), &shown);
    EXPECT_EQ(unseen.getWidth(), 1280);
    EXPECT_EQ(unseen.getHeight(), 720);
    unseen.fillGradientRect(0, 0, 1280, 720, 1, 2, 3, 4, 5, 6, 7, 8);
    unseen.setBlendMode(1);
    unseen.drawTexture(3, 0, 0, 1, 1, 1, 1, 1, 1);
    unseen.drawTextureTransformed(3, 0, 0, 45, 4, 4, 1, 1, 1, 1, 1, 1);
    unseen.drawTextureRegion(3, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1);
    unseen.drawText("Speed:", 1, 0, 0, 100, 1, 1, 1, 1, 1);
    unseen.fillRect(0, 0, 10, 10, 255, 0, 0, 255);
    unseen.setBlendMode(0);
    EXPECT_TRUE(unseen.drawStill(7)); // nothing to draw, so nothing is missing
    EXPECT_EQ(unseen.keepStill(), 0u);
    ASSERT_EQ(shown.calls.size(), 2u);
    EXPECT_EQ(shown.calls[0].op, "setBlendMode");
    EXPECT_EQ(shown.calls[0].args, (std::vector<float>{1.0f}));
    EXPECT_EQ(shown.calls[1].args, (std::vector<float>{0.0f}));
}

namespace {

std::vector<RecordingDrawer::Call> drawingOf(const RecordingDrawer& drawer)
{
    std::vector<RecordingDrawer::Call> drawing;
    for (const RecordingDrawer::Call& call : drawer.calls)
        if (call.op != "createTexture" && call.op != "loadFont")
            drawing.push_back(call);
    return drawing;
}

} // namespace

TEST(UnseenSteps, EveryLayerAdvancesPerStepWhetherShownOrNot)
{
    // Two sets of the same layers: one drawn every step, one with only every
    // third step shown. After each shown step both draw the same picture.
    ProcessTexture::forgetAll();
    RecordingDrawer allShown;
    RecordingDrawer someShown;
    StepOnlyDrawer unseen(someShown);

    // Open space with a burning floor and a stone block on it.
    std::vector<uint8_t> cells(64, 255);
    for (int column = 0; column < 8; ++column)
        cells[6 * 8 + column] = TileSet::burningCell;
    cells[5 * 8 + 6] = 64;
    LevelGrid grid;
    grid.assign(8, 8, cells.data());
    RandomGenerator randomA(77);
    RandomGenerator randomB(77);
    CloudLayer cloudsA(randomA);
    CloudLayer cloudsB(randomB);
    TileSet tilesA;
    TileSet tilesB;
    TrailParticles trailA;
    TrailParticles trailB;
    WarpOverlay warpA(false);
    WarpOverlay warpB(false);
    PilotBody bodyA(3.0f, 2.0f);
    PilotBody bodyB(3.0f, 2.0f);
    const Camera camera{4.0f, 3.0f};

    for (int step = 1; step <= 30; ++step) {
        const bool shownB = step % 3 == 0;
        Drawer& b = shownB ? static_cast<Drawer&>(someShown) : static_cast<Drawer&>(unseen);
        allShown.clear();
        someShown.clear();
        trailA.spawn(2.0f + 0.1f * static_cast<float>(step), 2.0f, randomA);
        trailB.spawn(2.0f + 0.1f * static_cast<float>(step), 2.0f, randomB);
        cloudsA.draw(allShown, camera);
        cloudsB.draw(b, camera);
        tilesA.draw(allShown, grid, camera);
        tilesB.draw(b, grid, camera);
        trailA.draw(allShown, camera);
        trailB.draw(b, camera);
        bodyA.update(PilotInput{}, grid);
        bodyB.update(PilotInput{}, grid);
        bodyA.draw(allShown);
        bodyB.draw(b);
        warpA.draw(allShown);
        warpB.draw(b);
        // Both sets share the layers' process-wide textures, which follow
        // whichever drawer asked last; only the drawing is compared.
        const std::vector<RecordingDrawer::Call> a = drawingOf(allShown);
        const std::vector<RecordingDrawer::Call> b2 = drawingOf(someShown);
        if (!shownB) {
            ASSERT_TRUE(b2.empty()) << "step " << step;
            continue;
        }
        ASSERT_GT(a.size(), 10u);
        ASSERT_EQ(b2.size(), a.size()) << "step " << step;
        for (std::size_t i = 0; i < a.size(); ++i) {
            ASSERT_EQ(b2[i].op, a[i].op) << "step " << step << " call " << i;
            ASSERT_EQ(b2[i].args, a[i].args) << "step " << step << " call " << i;
        }
        EXPECT_EQ(tilesB.currentOverlayFrame(), tilesA.currentOverlayFrame());
        EXPECT_EQ(bodyB.frameNumber(), bodyA.frameNumber());
    }
    // 30 steps: the flames went round 30 / 6 = 5 frames (back to frame 2).
    EXPECT_EQ(tilesB.currentOverlayFrame(), 2);
}
