#include "base/RandomGenerator.h"

#include <gtest/gtest.h>
#include <set>

TEST(RandomGenerator, KnownDraws)
{
    RandomGenerator generator(0);
    EXPECT_EQ(generator.nextUnit(), 0.38681346f);
    EXPECT_EQ(generator.currentCounter(), 1);
    EXPECT_EQ(generator.nextUnit(), 0.64681643f);

    generator.setCounter(0);
    EXPECT_EQ(generator.nextInt(8), 3);
    EXPECT_EQ(generator.nextInt(8), 5);
    EXPECT_EQ(generator.currentCounter(), 2);
}

TEST(RandomGenerator, RangesAndSmallArguments)
{
    RandomGenerator generator(-5000);
    std::set<int> seen;
    for (int i = 0; i < 10000; ++i) {
        const int value = generator.nextInt(8);
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 7);
        seen.insert(value);
        const float unit = generator.nextUnit();
        ASSERT_GT(unit, 0.0f);
        ASSERT_LE(unit, 1.0f);
        ASSERT_EQ(generator.nextInt(1), 0);
        ASSERT_EQ(generator.nextInt(0), 0);
    }
    EXPECT_EQ(seen.size(), 8u);
    EXPECT_EQ(generator.currentCounter(), -5000 + 40000);
}

TEST(RandomGenerator, CounterWrapsAround)
{
    RandomGenerator generator(2147483647);
    const float unit = generator.nextUnit();
    EXPECT_GT(unit, 0.0f);
    EXPECT_EQ(generator.currentCounter(), -2147483647 - 1);
}

TEST(RandomGenerator, InstanceIsOneObject)
{
    EXPECT_EQ(&RandomGenerator::instance(), &RandomGenerator::instance());
    const int32_t before = RandomGenerator::instance().currentCounter();
    RandomGenerator::instance().nextUnit();
    EXPECT_EQ(RandomGenerator::instance().currentCounter(), before + 1);
}
