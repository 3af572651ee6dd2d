#include "RecordingDrawer.h"
#include "base/RandomGenerator.h"
#include "game/Backdrop.h"
#include "game/CloudLayer.h"
#include "game/PictureTexture.h"
#include "game/PilotBody.h"
#include "game/SpeedHud.h"
#include "game/TrailParticles.h"
#include "game/WarpOverlay.h"

#include <gtest/gtest.h>

// ---- Pilot sprite frames ----

TEST(PilotSprite, StandingShowsTheStandingLoopFourFramesEach)
{
    PilotBody body(60.0f, 984.0f);
    body.airborne = false;
    RecordingDrawer drawer;
    const int expected[] = {10, 11, 12, 13, 10, 11};
    std::vector<uint32_t> keys;
    for (int phase : expected) {
        for (int frame = 0; frame < 4; ++frame) {
            ASSERT_EQ(body.frameNumber(), phase);
            body.draw(drawer);
            body.advanceAnimation();
        }
        keys.push_back(drawer.calls.back().key);
    }
    // p q r q: frame 13 shows the picture of frame 11, so the loop swings back.
    EXPECT_EQ(keys[3], keys[1]);
    EXPECT_NE(keys[2], keys[1]);
    EXPECT_NE(keys[0], keys[1]);
    EXPECT_EQ(keys[4], keys[0]);
}

TEST(PilotSprite, FrameFollowsAirborneThenRunningThenStanding)
{
    PilotBody body(0.0f, 0.0f);
    body.runPhase = 3;
    body.airPhase = 2;
    body.idlePhase = 1;
    EXPECT_EQ(body.frameNumber(), 8); // airborne wins, whatever vx
    body.airborne = false;
    body.vx = -0.2f;
    EXPECT_EQ(body.frameNumber(), 3); // a landing pilot runs on mid-cycle
    body.vx = 0.0f;
    EXPECT_EQ(body.frameNumber(), 11);
}

TEST(PilotSprite, AllThreeLoopsAdvanceTogetherEveryFourDraws)
{
    PilotBody body(0.0f, 0.0f);
    for (int draw = 0; draw < 3; ++draw) {
        body.advanceAnimation();
    }
    EXPECT_EQ(body.runPhase, 0);
    body.advanceAnimation();
    EXPECT_EQ(body.runPhase, 1);
    EXPECT_EQ(body.airPhase, 1);
    EXPECT_EQ(body.idlePhase, 1);
    EXPECT_EQ(body.phaseCountdown, 4);
    for (int draw = 0; draw < 20; ++draw) {
        body.advanceAnimation();
    }
    EXPECT_EQ(body.runPhase, 0); // 6 advances: run wraps at 6
    EXPECT_EQ(body.airPhase, 2); // air and idle wrap at 4
    EXPECT_EQ(body.idlePhase, 2);
}

TEST(PilotSprite, FacingLeftMirrorsAboutTheSameSquare)
{
    ProcessTexture::forgetAll(); // this drawer may sit where an earlier test's did
    PilotBody body(0.0f, 0.0f);
    RecordingDrawer drawer;
    body.draw(drawer);
    body.facingRight = false;
    body.draw(drawer);
    const auto draws = drawer.callsOf("drawTexture");
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].args[0], 608.0f);
    EXPECT_EQ(draws[0].args[1], 480.0f);
    EXPECT_EQ(draws[0].args[2], 2.0f);
    EXPECT_EQ(draws[0].args[3], 2.0f);
    EXPECT_EQ(draws[1].args[0], 672.0f);
    EXPECT_EQ(draws[1].args[2], -2.0f);
    EXPECT_EQ(draws[1].key, draws[0].key); // the same picture
    // Twelve pictures for 14 frame numbers, all uploaded on the first draw only.
    const auto uploads = drawer.callsOf("createTexture");
    ASSERT_EQ(uploads.size(), 12u);
    for (const auto& upload : uploads) {
        EXPECT_EQ(upload.args, (std::vector<float>{32, 32}));
    }
}

TEST(PilotSprite, AfterTheWinThePilotSpinsAwayRising)
{
    PilotBody body(0.0f, 0.0f);
    body.airborne = false;
    body.airPhase = 1;
    body.beginWarp();
    EXPECT_FLOAT_EQ(body.warpScale, 0.99f);
    RecordingDrawer drawer;
    body.stepLook(); // the first step shows the pilot as it was made
    EXPECT_FLOAT_EQ(body.warpScale, 0.99f);
    body.draw(drawer);
    body.stepLook();
    const auto spins = drawer.callsOf("drawTextureTransformed");
    ASSERT_EQ(spins.size(), 1u);
    EXPECT_EQ(spins[0].args[0], 608.0f);
    EXPECT_FLOAT_EQ(spins[0].args[1], 180.0f * 0.99f + 300.0f);
    EXPECT_FLOAT_EQ(spins[0].args[2], 720.0f * 0.99f);
    EXPECT_EQ(spins[0].args[3], 16.0f);
    EXPECT_EQ(spins[0].args[5], 2.0f);
    EXPECT_FLOAT_EQ(body.warpScale, 0.98f);
}

// ---- Clouds ----

TEST(Clouds, WindowOriginFollowsTheCameraAtOneSixteenth)
{
    const CloudLayer::Origin low = CloudLayer::windowOrigin(Camera{10.0f, 10.0f});
    EXPECT_EQ(low.x, 0.0f); // raised from negative
    EXPECT_EQ(low.y, 0.0f);
    const CloudLayer::Origin high = CloudLayer::windowOrigin(Camera{1000.0f, 900.0f});
    EXPECT_EQ(high.x, 1000.0f * 0.0625f - 24.0f);
    EXPECT_EQ(high.y, 900.0f * 0.0625f - 16.0f);
}

TEST(Clouds, ScatteredWithThreeDrawsPerCloud)
{
    RandomGenerator random(1234);
    RandomGenerator replay(1234);
    const CloudLayer layer(random);
    for (const auto& cloud : layer.clouds) {
        ASSERT_EQ(cloud.x, 64.0f * replay.nextUnit());
        ASSERT_EQ(cloud.y, 64.0f * replay.nextUnit());
        ASSERT_EQ(cloud.movingRight, replay.nextUnit() > 0.5f);
    }
    EXPECT_EQ(random.currentCounter(), 1234 + 3 * 128);
}

TEST(Clouds, DrawnOnlyInsideTheWindowAndDriftingEveryFrame)
{
    RandomGenerator random(1);
    CloudLayer layer(random);
    for (auto& cloud : layer.clouds) {
        cloud = {60.0f, 60.0f, true}; // outside the window at camera (10, 10)
    }
    layer.clouds[0] = {10.0f, 5.0f, true};
    layer.clouds[1] = {48.0f, 5.0f, false}; // on the window's edge: not drawn
    RecordingDrawer drawer;
    layer.step(); // the first step shows the clouds where they were scattered
    EXPECT_EQ(layer.clouds[0].x, 10.0f);
    layer.draw(drawer, Camera{10.0f, 10.0f});
    layer.step();
    const auto draws = drawer.callsOf("drawTexture");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].args[0], 10.0f * 80.0f - 132.0f);
    EXPECT_EQ(draws[0].args[1], 5.0f * 45.0f - 68.0f);
    EXPECT_EQ(draws[0].args[2], 1.0f);
    EXPECT_EQ(layer.clouds[0].x, 10.0f + 0.001f);
    EXPECT_EQ(layer.clouds[1].x, 48.0f - 0.001f);
    EXPECT_EQ(layer.clouds[5].x, 60.0f + 0.001f); // undrawn clouds drift too
    // Only where some shown area reaches into its 132 × 68 picture at (668, 157).
    const std::pair<ScreenArea, std::size_t> shown[] = {
        {{0, 0, 668, 720}, 0}, {{0, 0, 669, 720}, 1}, {{800, 225, 10, 10}, 0}, {{799, 224, 10, 10}, 1}};
    for (const auto& [area, drawn] : shown) {
        drawer.clear();
        layer.draw(drawer, Camera{10.0f, 10.0f}, &area, 1);
        EXPECT_EQ(drawer.callsOf("drawTexture").size(), drawn) << area.x << "," << area.y;
    }
}

TEST(Clouds, TurnAroundAtTheFieldEdges)
{
    RandomGenerator random(1);
    CloudLayer layer(random);
    layer.clouds[0] = {63.9995f, 1.0f, true};
    layer.clouds[1] = {0.0005f, 1.0f, false};
    layer.drift();
    EXPECT_GT(layer.clouds[0].x, 64.0f);
    EXPECT_FALSE(layer.clouds[0].movingRight);
    EXPECT_LT(layer.clouds[1].x, 0.0f);
    EXPECT_TRUE(layer.clouds[1].movingRight);
    const float beyond = layer.clouds[0].x;
    layer.drift();
    EXPECT_EQ(layer.clouds[0].x, beyond - 0.001f);
    EXPECT_FALSE(layer.clouds[0].movingRight);
}

// ---- Trail ----

TEST(Trail, OneSpawnPerFrameAndTheRingWraps)
{
    RandomGenerator random(77);
    TrailParticles trail;
    RecordingDrawer drawer;
    trail.spawn(5.0f, 6.0f, random);
    EXPECT_EQ(trail.next, 1);
    EXPECT_EQ(trail.cooldown, 1);
    trail.spawn(7.0f, 8.0f, random); // same frame: nothing
    EXPECT_EQ(trail.next, 1);
    EXPECT_EQ(trail.particles[1].size, 0.0f);
    trail.draw(drawer, Camera{0.0f, 0.0f});
    trail.step();
    EXPECT_EQ(trail.cooldown, 0);
    for (int frame = 1; frame < 128; ++frame) {
        trail.spawn(static_cast<float>(frame), 0.0f, random);
        trail.draw(drawer, Camera{0.0f, 0.0f});
        trail.step();
    }
    EXPECT_EQ(trail.next, 0);
    trail.spawn(99.0f, 0.0f, random);
    EXPECT_EQ(trail.particles[0].x, 99.0f); // the oldest slot is overwritten
    EXPECT_EQ(trail.next, 1);
}

TEST(Trail, SpawnDrawsSixRandomValuesInOrder)
{
    RandomGenerator random(500);
    RandomGenerator replay(500);
    TrailParticles trail;
    trail.spawn(3.0f, 4.0f, random);
    const auto& star = trail.particles[0];
    EXPECT_EQ(star.x, 3.0f);
    EXPECT_EQ(star.y, 4.0f);
    EXPECT_EQ(star.size, 1.0f + 3.0f * replay.nextUnit());
    EXPECT_EQ(star.red, replay.nextUnit() > 0.5f ? 1.0f : 0.0f);
    EXPECT_EQ(star.green, replay.nextUnit() > 0.5f ? 1.0f : 0.0f);
    EXPECT_EQ(star.blue, replay.nextUnit() > 0.5f ? 1.0f : 0.0f);
    EXPECT_EQ(star.angle, 360.0f * replay.nextUnit());
    EXPECT_EQ(star.spin, 2.0f * replay.nextUnit() - 1.0f);
    EXPECT_GT(star.size, 1.0f);
    EXPECT_LE(star.size, 4.0f);
}

TEST(Trail, StarsStayOpaqueDownToSizeOneThenFade)
{
    EXPECT_EQ(TrailParticles::fade(1.6f), 1.0f);
    EXPECT_EQ(TrailParticles::fade(1.0f), 1.0f);
    EXPECT_FLOAT_EQ(TrailParticles::fade(0.5f), 0.75f);
    EXPECT_FLOAT_EQ(TrailParticles::fade(0.1f), 0.25f);

    TrailParticles trail;
    trail.particles[3].size = 1.6f;
    trail.particles[3].red = 1.0f;
    RecordingDrawer drawer;
    std::vector<float> alphas;
    for (int frame = 0; frame < 40; ++frame) {
        drawer.clear();
        trail.draw(drawer, Camera{0.0f, 0.0f});
        trail.step();
        const auto draws = drawer.callsOf("drawTextureTransformed");
        if (!draws.empty()) {
            alphas.push_back(draws[0].args[10]);
        }
    }
    ASSERT_EQ(alphas.size(), 22u); // 1.6 / 0.075 = 21.3: drawn 22 times
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(alphas[i], 1.0f) << i; // sizes 1.6 … 1.075
    }
    EXPECT_LT(alphas[9], 1.0f);
    for (std::size_t i = 10; i < alphas.size(); ++i) {
        EXPECT_LT(alphas[i], alphas[i - 1]);
    }
}

TEST(Trail, LifetimeBetweenFourteenAndFiftyFourFrames)
{
    for (const auto& [size, lifetime] : {std::pair{4.0f, 54}, std::pair{1.0001f, 14}}) {
        TrailParticles trail;
        trail.particles[0].size = size;
        RecordingDrawer drawer;
        int drawn = 0;
        for (int frame = 0; frame < 80; ++frame) {
            drawer.clear();
            trail.draw(drawer, Camera{0.0f, 0.0f});
            trail.step();
            drawn += static_cast<int>(drawer.callsOf("drawTextureTransformed").size());
        }
        EXPECT_EQ(drawn, lifetime) << "size " << size;
    }
}

TEST(Trail, StarsStayFixedInTheWorldAndTurn)
{
    TrailParticles trail;
    auto& star = trail.particles[0];
    star = {60.0f, 984.0f, 2.0f, 1.0f, 0.0f, 1.0f, 359.5f, 0.75f};
    RecordingDrawer drawer;
    trail.draw(drawer, Camera{61.5f, 982.5f});
    trail.step();
    const auto draws = drawer.callsOf("drawTextureTransformed");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].args[0], 64.0f * (60.0f - 50.5f) - 1.0f); // the pilot's square, less half the size
    EXPECT_EQ(draws[0].args[1], 64.0f * (984.0f - 976.5f) - 1.0f);
    EXPECT_EQ(draws[0].args[2], 359.5f);
    EXPECT_EQ(draws[0].args[3], 8.0f);
    EXPECT_EQ(draws[0].args[5], 2.0f);
    EXPECT_EQ(draws[0].args[7], 1.0f);
    EXPECT_EQ(draws[0].args[8], 0.0f);
    EXPECT_EQ(star.size, 2.0f - 0.075f);
    EXPECT_FLOAT_EQ(star.angle, 0.25f); // 360.25 wrapped
    star.spin = -0.5f;
    trail.draw(drawer, Camera{61.5f, 982.5f});
    trail.step();
    EXPECT_FLOAT_EQ(star.angle, 359.75f); // −0.25 wrapped
}

// ---- Warp rings ----

TEST(Warp, ColoursRotateEveryEightFrames)
{
    WarpOverlay warp(false);
    RecordingDrawer drawer;
    for (int frame = 0; frame < 9; ++frame) {
        drawer.clear();
        warp.draw(drawer);
        warp.step();
        const auto rings = drawer.callsOf("fillRectsTransformed");
        ASSERT_EQ(rings.size(), 4u);
        // Frames 0..7 show red, green, orange, blue; frame 8 green, orange, blue, yellow.
        const float expected[2][4][3] = {
            {{1, 0, 0}, {0, 0.75f, 0}, {1, 0.5f, 0}, {0, 0, 1}},
            {{0, 0.75f, 0}, {1, 0.5f, 0}, {0, 0, 1}, {1, 1, 0}},
        };
        const int set = frame < 8 ? 0 : 1;
        for (int ring = 0; ring < 4; ++ring) {
            EXPECT_EQ(rings[ring].args[7], expected[set][ring][0]) << frame << " " << ring;
            EXPECT_EQ(rings[ring].args[8], expected[set][ring][1]) << frame << " " << ring;
            EXPECT_EQ(rings[ring].args[9], expected[set][ring][2]) << frame << " " << ring;
            EXPECT_EQ(rings[ring].args[10], 1.0f);
        }
    }
    WarpOverlay later(false);
    for (int frame = 0; frame < 48; ++frame) {
        later.draw(drawer);
        later.step();
    }
    EXPECT_EQ(later.ringColour(0).r, 1.0f); // six rotations: red again
    EXPECT_EQ(later.ringColour(0).g, 0.0f);
}

TEST(Warp, GrowingRingsAreCentredAndCoverTheScreenAfterTwoHundredFrames)
{
    WarpOverlay warp(false);
    RecordingDrawer drawer;
    warp.draw(drawer);
    warp.step();
    EXPECT_FLOAT_EQ(warp.getProgress(), 0.005f);
    EXPECT_EQ(warp.getAngle(), 4.0f);
    drawer.clear();
    warp.draw(drawer);
    warp.step();
    const auto rings = drawer.callsOf("fillRectsTransformed");
    ASSERT_EQ(rings.size(), 4u);
    // Only the lit texels of the four ring pictures, each once.
    const float litTexels[4] = {20.0f, 12.0f, 8.0f, 4.0f};
    for (int ring = 0; ring < 4; ++ring)
        EXPECT_EQ(rings[ring].args[11], litTexels[ring]) << ring;
    EXPECT_FLOAT_EQ(rings[0].args[0], 640.0f - 4.0f * 1.0f); // scale 0.005 × 200 = 1
    EXPECT_FLOAT_EQ(rings[0].args[1], 360.0f - 4.0f * 1.0f);
    EXPECT_EQ(rings[0].args[2], 4.0f);
    EXPECT_EQ(rings[0].args[3], 4.0f);
    EXPECT_FLOAT_EQ(rings[0].args[5], 1.0f);
    int frames = 2;
    while (warp.getProgress() < 1.0f && frames < 1000) {
        warp.draw(drawer);
        warp.step();
        ++frames;
    }
    EXPECT_GE(frames, 199);
    EXPECT_LE(frames, 201);
    for (int frame = 0; frame < 200; ++frame) {
        warp.draw(drawer);
        warp.step();
        ASSERT_GE(warp.getAngle(), 0.0f);
        ASSERT_LE(warp.getAngle(), 360.0f);
    }
}

TEST(Warp, ShrinkingRingsStartAtTwiceTheScreenAndVanishInFortyFrames)
{
    WarpOverlay warp(true);
    EXPECT_EQ(warp.getProgress(), 2.0f);
    RecordingDrawer drawer;
    warp.draw(drawer);
    warp.step();
    const auto rings = drawer.callsOf("fillRectsTransformed");
    EXPECT_EQ(rings[0].args[5], 400.0f); // 8 × 400 = 3200 pixels
    EXPECT_EQ(rings[0].args[0], 640.0f - 1600.0f);
    for (int frame = 1; frame < 38; ++frame) {
        warp.draw(drawer);
        warp.step();
    }
    EXPECT_GT(warp.getProgress(), 0.0f);
    for (int frame = 38; frame < 45; ++frame) {
        warp.draw(drawer);
        warp.step();
        ASSERT_GE(warp.getProgress(), 0.0f);
    }
    EXPECT_EQ(warp.getProgress(), 0.0f);
}

// ---- Backdrop and speed bar ----

TEST(Backdrop, SkyGradientThenAddedGrain)
{
    RecordingDrawer drawer;
    backdrop::draw(drawer, backdrop::playSky, 42);
    ASSERT_EQ(drawer.calls.size(), 4u);
    EXPECT_EQ(drawer.calls[0].op, "fillGradientRect");
    const std::vector<float> sky = {0, 0, 1280, 720, 96, 96, 255, 255, 255, 255, 255, 255};
    EXPECT_EQ(drawer.calls[0].args, sky);
    EXPECT_EQ(drawer.calls[1].op, "setBlendMode");
    EXPECT_EQ(drawer.calls[1].args[0], 1.0f);
    EXPECT_EQ(drawer.calls[2].op, "drawTexture");
    EXPECT_EQ(drawer.calls[2].key, 42u);
    const std::vector<float> grain = {0, 0, 1.25f, 1.25f, 1, 1, 1, 0.5f};
    EXPECT_EQ(drawer.calls[2].args, grain);
    EXPECT_EQ(drawer.calls[3].op, "setBlendMode");
    EXPECT_EQ(drawer.calls[3].args[0], 0.0f);
}

TEST(SpeedBar, LabelsFrameFillAndMarkInOrder)
{
    RecordingDrawer drawer;
    speedHud::draw(drawer, 3, 1.5f);
    // Each label is its dark outline (eight copies) and the white text on top.
    ASSERT_EQ(drawer.calls.size(), 25u);
    EXPECT_EQ(drawer.calls[0].text, "Speed:");
    EXPECT_EQ(drawer.calls[0].args[7], 0.85f);
    EXPECT_EQ(drawer.calls[8].text, "Speed:");
    EXPECT_EQ(drawer.calls[8].font, 3);
    EXPECT_EQ(drawer.calls[8].args, (std::vector<float>{384, 40, 1024, 1, 1, 1, 1, 1}));
    EXPECT_EQ(drawer.calls[17].text, "88mph");
    EXPECT_EQ(drawer.calls[17].args, (std::vector<float>{1024, 112, 512, 1, 1, 1, 1, 1}));
    // The white frame's four strips meet the black inside edge to edge.
    EXPECT_EQ(drawer.calls[18].args, (std::vector<float>{640, 32, 608, 4, 255, 255, 255, 255}));
    EXPECT_EQ(drawer.calls[19].args, (std::vector<float>{640, 92, 608, 4, 255, 255, 255, 255}));
    EXPECT_EQ(drawer.calls[20].args, (std::vector<float>{640, 36, 4, 56, 255, 255, 255, 255}));
    EXPECT_EQ(drawer.calls[21].args, (std::vector<float>{1244, 36, 4, 56, 255, 255, 255, 255}));
    EXPECT_EQ(drawer.calls[22].args, (std::vector<float>{644, 36, 600, 56, 0, 0, 0, 255}));
    EXPECT_EQ(drawer.calls[23].args, (std::vector<float>{648, 40, 450, 48, 255, 0, 0, 255}));
    EXPECT_EQ(drawer.calls[24].args, (std::vector<float>{1098, 28, 8, 72, 255, 255, 255, 255}));
    // The winning speed fills the bar exactly to the mark's left edge.
    EXPECT_EQ(drawer.calls[23].args[0] + drawer.calls[23].args[2], drawer.calls[24].args[0]);

    drawer.clear();
    speedHud::draw(drawer, 3, 0.0f);
    EXPECT_EQ(drawer.calls[23].args[2], 0.0f); // empty outside a wall kick
}
