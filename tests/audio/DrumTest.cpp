#include "base/RandomGenerator.h"
#include "audio/ClapSynth.h"
#include "audio/CrashSynth.h"
#include "audio/HatSynth.h"
#include "audio/KickSynth.h"
#include "audio/ShapeCurve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr double pi = 3.14159265358979323846;

// Renders one frame at a time until the drum falls silent; returns the
// number of frames that added sound (the ending frame adds nothing).
int soundingFrames(Synthesizer& drum, int limit = 100000)
{
    int frames = 0;
    while (drum.isActive() && frames < limit) {
        StereoFrame frame{0.0f, 0.0f};
        drum.render(&frame, 1);
        if (drum.isActive())
            ++frames;
    }
    return frames;
}

std::vector<StereoFrame> silence(int frames, float fill = 0.0f)
{
    return std::vector<StereoFrame>(static_cast<size_t>(frames), StereoFrame{fill, fill});
}

} // namespace

TEST(ShapeCurve, SteepAndSoftBendsMeetTheirMidpoints)
{
    EXPECT_FLOAT_EQ(shapeCurve(0.0f, steepCurve), 0.0f);
    EXPECT_NEAR(shapeCurve(0.5f, steepCurve), 0.1f, 1e-6f);
    EXPECT_FLOAT_EQ(shapeCurve(1.0f, steepCurve), 1.0f);
    EXPECT_FLOAT_EQ(shapeCurve(0.0f, softCurve), 0.0f);
    EXPECT_NEAR(shapeCurve(0.5f, softCurve), 0.75f, 1e-6f);
    EXPECT_FLOAT_EQ(shapeCurve(1.0f, softCurve), 1.0f);
}

TEST(KickSynth, PitchCoefficientsAreTheStartAndEndFrequencies)
{
    KickSynth kick;
    auto frequency = [](float coef) { return std::asin(coef / 2.0) * 44100.0 / pi; };
    EXPECT_NEAR(frequency(kick.startCoefficient(0)), 146.832, 0.01);
    EXPECT_NEAR(frequency(kick.startCoefficient(1)), 110.0, 0.01);
    EXPECT_NEAR(frequency(kick.endCoefficient()), 50.0, 0.01);
    EXPECT_FALSE(kick.isActive());
    kick.trigger(true, 0, true);
    EXPECT_EQ(kick.coefficient(), kick.startCoefficient(1));
    kick.trigger(true, 0, false);
    EXPECT_EQ(kick.coefficient(), kick.startCoefficient(0));
}

TEST(KickSynth, SoundsFor5512FramesAndTheEndingFrameAddsNothing)
{
    KickSynth kick;
    kick.trigger(true, 0, false);
    auto out = silence(6000);
    kick.render(out.data(), 6000);
    EXPECT_FALSE(kick.isActive());
    EXPECT_NE(out[5511].left, 0.0f);
    EXPECT_EQ(out[5512].left, 0.0f);
    EXPECT_EQ(out[5512].right, 0.0f);
    for (const StereoFrame& frame : out) {
        EXPECT_EQ(frame.left, frame.right);  // mono
        EXPECT_LE(std::fabs(frame.left), 1.0f);
    }
}

TEST(KickSynth, TriggerOffsetLeavesEarlierFramesAndNextBufferStartsAtZero)
{
    KickSynth kick;
    kick.trigger(true, 100, false);
    EXPECT_EQ(kick.pendingOffset(), 100);
    auto first = silence(512, 0.25f);
    kick.render(first.data(), 512);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(first[i].left, 0.25f) << "frame " << i;
    EXPECT_NE(first[100].left, 0.25f);
    EXPECT_EQ(kick.pendingOffset(), 0);
    auto second = silence(512, 0.25f);
    kick.render(second.data(), 512);
    EXPECT_NE(second[0].left, 0.25f);
}

TEST(KickSynth, RetriggerRestartsAndTriggerOffSilencesAtOnce)
{
    KickSynth kick;
    kick.trigger(true, 0, false);
    auto out = silence(3000);
    kick.render(out.data(), 3000);
    kick.trigger(true, 0, true);
    EXPECT_EQ(kick.envelope(), 1.0f);
    EXPECT_EQ(soundingFrames(kick), 5512);
    kick.trigger(true, 0, false);
    kick.trigger(false, 0, false);
    EXPECT_FALSE(kick.isActive());
}

TEST(HatSynth, SoundsFor5512FramesInBothVariants)
{
    RandomGenerator::instance().setCounter(0);
    for (bool variant : {false, true}) {
        HatSynth hat;
        hat.trigger(true, 0, variant);
        EXPECT_FLOAT_EQ(hat.coefficient(), variant ? 0.7f : 1.0f);
        auto out = silence(6000);
        hat.render(out.data(), 6000);
        EXPECT_FALSE(hat.isActive());
        EXPECT_NE(out[5511].left, 0.0f);
        EXPECT_EQ(out[5512].left, 0.0f);
    }
}

TEST(HatSynth, DrawsOneNoiseValuePerSoundingFrame)
{
    RandomGenerator::instance().setCounter(1000);
    HatSynth hat;
    hat.trigger(true, 10, false);
    auto out = silence(64);
    hat.render(out.data(), 64);
    EXPECT_EQ(RandomGenerator::instance().currentCounter(), 1000 + 54);
}

TEST(ClapSynth, EvenVariantHasFivePeaksOddVariantThree)
{
    for (bool variant : {false, true}) {
        ClapSynth clap;
        clap.trigger(true, 0, variant);
        EXPECT_EQ(clap.burstsLeft(), variant ? 2 : 4);
        EXPECT_FLOAT_EQ(clap.coefficient(), variant ? 0.999f : 0.1f);
        int restarts = 0;
        int frame = 0;
        int lastRestart = -1;
        std::vector<int> gaps;
        while (clap.isActive() && frame < 100000) {
            StereoFrame out{0.0f, 0.0f};
            clap.render(&out, 1);
            if (clap.isActive() && clap.envelope() == 1.0f) {
                ++restarts;
                gaps.push_back(frame - lastRestart);
                lastRestart = frame;
            }
            ++frame;
        }
        // The trigger itself is the first peak.
        EXPECT_EQ(1 + restarts, variant ? 3 : 5);
        // Restarts after drops of 0.025, 0.0375, 0.05 and 0.0625 (5512.5 frames per unit).
        const std::vector<int> expectedEven = {138, 207, 276, 345};
        const std::vector<int> expectedOdd = {276, 345};
        const auto& expected = variant ? expectedOdd : expectedEven;
        ASSERT_EQ(gaps.size(), expected.size());
        for (size_t i = 0; i < gaps.size(); ++i)
            EXPECT_NEAR(gaps[i], expected[i], 1) << "burst " << i;
        // The tail after the last restart: 5512 sounding frames, then the end.
        EXPECT_EQ(frame - 1 - lastRestart, 5512 + 1);
    }
}

TEST(ClapSynth, OutputIsScaledNoise)
{
    RandomGenerator::instance().setCounter(7);
    ClapSynth clap;
    clap.trigger(true, 0, false);
    auto out = silence(8000);
    clap.render(out.data(), 8000);
    float peak = 0.0f;
    for (const StereoFrame& frame : out) {
        EXPECT_EQ(frame.left, frame.right);
        peak = std::max(peak, std::fabs(frame.left));
    }
    // Noise in (0, 1] through two one-zero stages of 0.1 stays below 1.21; times 0.15.
    EXPECT_GT(peak, 0.0f);
    EXPECT_LE(peak, 1.21f * 0.15f);
}

TEST(CrashSynth, OddVariantLasts14701FramesEvenVariant22047)
{
    RandomGenerator::instance().setCounter(0);
    CrashSynth odd;
    odd.trigger(true, 0, true);
    EXPECT_FLOAT_EQ(odd.envelope(), 1.0f);
    EXPECT_FLOAT_EQ(odd.coefficient(), 0.999f);
    EXPECT_EQ(soundingFrames(odd), 14701);

    CrashSynth even;
    even.trigger(true, 0, false);
    EXPECT_FLOAT_EQ(even.envelope(), 1.5f);
    EXPECT_FLOAT_EQ(even.coefficient(), 0.9f);
    EXPECT_EQ(soundingFrames(even), 22047);
}

TEST(CrashSynth, StaysBoundedAndFinite)
{
    RandomGenerator::instance().setCounter(42);
    CrashSynth crash;
    crash.trigger(true, 0, false);
    auto out = silence(23000);
    crash.render(out.data(), 23000);
    for (const StereoFrame& frame : out) {
        ASSERT_TRUE(std::isfinite(frame.left));
        ASSERT_LT(std::fabs(frame.left), 2.0f);
    }
    EXPECT_FALSE(crash.isActive());
}

TEST(Drums, TriggerOffSilencesEveryDrumImmediately)
{
    KickSynth kick;
    ClapSynth clap;
    HatSynth hat;
    CrashSynth crash;
    Synthesizer* drums[] = {&kick, &clap, &hat, &crash};
    for (Synthesizer* drum : drums) {
        drum->trigger(true, 0, false);
        auto out = silence(100);
        drum->render(out.data(), 100);
        EXPECT_TRUE(drum->isActive());
        drum->trigger(false, 0, false);
        EXPECT_FALSE(drum->isActive());
    }
}
