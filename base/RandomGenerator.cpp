#include "base/RandomGenerator.h"

#include <ctime>

namespace {

// The hash of one counter value to u in (0, 1]; all 32-bit integer steps wrap.
float unitFromCounter(uint32_t value)
{
    uint32_t x = value;
    x ^= x << 13;
    uint32_t h = x * (x * x * 15731u + 789221u) - 771171059u;
    h &= 0x7fffffffu;
    const float f = static_cast<float>(1.0 - static_cast<double>(h) * (1.0 / 1073741824.0));
    return (f + 1.0f) * 0.5f;
}

} // namespace

RandomGenerator& RandomGenerator::instance()
{
    // Seeded with the calendar time in whole seconds, low 32 bits.
    static RandomGenerator generator(static_cast<int32_t>(static_cast<uint32_t>(std::time(nullptr))));
    return generator;
}

float RandomGenerator::nextUnit()
{
    // fetch_add on a signed atomic wraps; +1 gives the new counter value.
    const uint32_t next = static_cast<uint32_t>(counter.fetch_add(1, std::memory_order_relaxed)) + 1u;
    return unitFromCounter(next);
}

int RandomGenerator::nextInt(int n)
{
    // The factor sits just below n so that u = 1 never yields n.
    const double u = nextUnit();
    const double limit = static_cast<double>(n) - static_cast<double>(0.00001f);
    return static_cast<int>(u * limit);
}
