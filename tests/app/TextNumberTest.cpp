#include "base/TextNumber.h"

#include <climits>
#include <gtest/gtest.h>

TEST(TextNumber, IntegersAfterAnyWhiteSpaceWithTrailingTextIgnored)
{
    EXPECT_EQ(leadingInteger("800"), 800);
    EXPECT_EQ(leadingInteger(" \t\r\n\v\f-42px"), -42);
    EXPECT_EQ(leadingInteger("+7"), 7);
    EXPECT_EQ(leadingInteger("007 9"), 7);
    for (const char* text : {"", " ", "-", "+", "x1", "+-5", "-+5", "+ 5", "- 5", ".5", "\xEF\xBB\xBF" "5"})
        EXPECT_EQ(leadingInteger(text), std::nullopt) << text;
}

TEST(TextNumber, IntegersBeyondTheRangeClampInsteadOfWrapping)
{
    EXPECT_EQ(leadingInteger("2147483647"), INT_MAX);
    EXPECT_EQ(leadingInteger("2147483648"), INT_MAX);
    EXPECT_EQ(leadingInteger("99999999999"), INT_MAX);
    EXPECT_EQ(leadingInteger("4294967296"), INT_MAX);
    EXPECT_EQ(leadingInteger("-2147483648"), INT_MIN);
    EXPECT_EQ(leadingInteger("-99999999999999999999999"), INT_MIN);
}

TEST(TextNumber, BooleansAreZeroOrOneOnly)
{
    EXPECT_EQ(leadingBoolean("1"), true);
    EXPECT_EQ(leadingBoolean(" 0\r"), false);
    EXPECT_EQ(leadingBoolean("+1"), true);
    for (const char* text : {"2", "-1", "yes", "", "99999999999"})
        EXPECT_EQ(leadingBoolean(text), std::nullopt) << text;
}

TEST(TextNumber, FloatsAfterWhiteSpaceAndAPlusSign)
{
    EXPECT_EQ(leadingFloat("0.25f,"), 0.25f);
    EXPECT_EQ(leadingFloat("\t +440 Hz"), 440.0f);
    EXPECT_EQ(leadingFloat("-1.5e2x"), -150.0f);
    EXPECT_EQ(leadingFloat(".5"), 0.5f);
    EXPECT_EQ(leadingFloat("3e38"), 3e38f);
    EXPECT_EQ(leadingFloat("0x10"), 0.0f); // the 0 before the x
    for (const char* text : {"", "f", "+", "+-1", "- 1", "x1"})
        EXPECT_EQ(leadingFloat(text), std::nullopt) << text;
}

TEST(TextNumber, NonFiniteOrOutOfRangeFloatsAreNoNumber)
{
    for (const char* text : {"inf", "-inf", "infinity", "nan", "NaN", "+inf", "1e39", "-1e39", "1e-50"})
        EXPECT_EQ(leadingFloat(text), std::nullopt) << text;
}
