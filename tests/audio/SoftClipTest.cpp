#include "audio/SoftClip.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

TEST(SoftClip, EverySampleUpToTheKneePassesBitForBit)
{
    // Every float from -knee to +knee, in steps that visit each exponent.
    int checked = 0;
    for (float x = SoftClip::knee; x > 1e-30f; x = std::nextafter(x, 0.0f) * 0.999f) {
        ASSERT_TRUE(sameBits(SoftClip::bend(x), x)) << x;
        ASSERT_TRUE(sameBits(SoftClip::bend(-x), -x)) << -x;
        ++checked;
    }
    EXPECT_GT(checked, 1000);
    for (float x : {0.0f, -0.0f, std::numeric_limits<float>::denorm_min(), 0.5f, 0.899999976f, 0.9f, -0.9f})
        EXPECT_TRUE(sameBits(SoftClip::bend(x), x)) << x;
}

TEST(SoftClip, AboveTheKneeItBendsSmoothlyAndNeverPassesFullScale)
{
    const float justAbove = std::nextafter(SoftClip::knee, 1.0f);
    EXPECT_NEAR(SoftClip::bend(justAbove), justAbove, 1e-6f); // no step at the knee
    // The slope at the knee is 1, like below it.
    EXPECT_NEAR((SoftClip::bend(0.9001f) - SoftClip::bend(0.9f)) / 0.0001f, 1.0f, 0.01f);
    EXPECT_NEAR(SoftClip::bend(1.0f), 0.9f + 0.1f * std::tanh(1.0f), 1e-6f);
    float previous = SoftClip::knee;
    for (float x = 0.9f; x < 1e6f; x *= 1.001f) {
        const float y = SoftClip::bend(x);
        ASSERT_GE(y, previous) << "not rising at " << x;
        ASSERT_LE(y, 1.0f) << x;
        ASSERT_LT(y, x + 1e-6f) << "louder than it came at " << x;
        ASSERT_EQ(SoftClip::bend(-x), -y) << "not symmetric at " << x;
        previous = y;
    }
    EXPECT_EQ(SoftClip::bend(2.45f), 1.0f);
    EXPECT_EQ(SoftClip::bend(std::numeric_limits<float>::max()), 1.0f);
}

TEST(SoftClip, NotANumberIsSilenceAndInfinityFullScale)
{
    EXPECT_EQ(SoftClip::bend(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_EQ(SoftClip::bend(-std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_EQ(SoftClip::bend(std::numeric_limits<float>::infinity()), 1.0f);
    EXPECT_EQ(SoftClip::bend(-std::numeric_limits<float>::infinity()), -1.0f);
}

TEST(SoftClip, ABufferUnderTheKneeIsLeftAloneAndAnyOtherBentWhole)
{
    std::vector<float> quiet = {0.1f, -0.9f, 0.9f, 0.0f, -0.3f};
    const std::vector<float> before = quiet;
    SoftClip::apply(quiet.data(), static_cast<int>(quiet.size()));
    EXPECT_EQ(quiet, before);

    std::vector<float> loud = {0.5f, 1.7f, -3.0f, std::numeric_limits<float>::quiet_NaN(), -0.2f,
                               -std::numeric_limits<float>::infinity()};
    SoftClip::apply(loud.data(), static_cast<int>(loud.size()));
    EXPECT_EQ(loud[0], 0.5f);
    EXPECT_EQ(loud[1], SoftClip::bend(1.7f));
    EXPECT_EQ(loud[2], SoftClip::bend(-3.0f));
    EXPECT_EQ(loud[3], 0.0f);
    EXPECT_EQ(loud[4], -0.2f);
    EXPECT_EQ(loud[5], -1.0f);
    for (float s : loud)
        EXPECT_TRUE(s >= -1.0f && s <= 1.0f) << s;

    // Only the samples asked for are touched.
    std::vector<float> partial = {5.0f, 5.0f};
    SoftClip::apply(partial.data(), 1);
    EXPECT_EQ(partial[1], 5.0f);
    EXPECT_LE(partial[0], 1.0f);
}
