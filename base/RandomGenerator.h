#pragma once
#include <atomic>
#include <cstdint>

// Process-wide counter-and-hash random source. Both threads draw from it; the
// counter is a single atomic so neither ever waits for the other.
class RandomGenerator {
public:
    static RandomGenerator& instance();

    explicit RandomGenerator(int32_t counter = 0) : counter(counter) {}

    // Advances the counter; a value in (0, 1].
    float nextUnit();
    // Advances the counter; 0 .. n-1 for n >= 1, 0 for n = 0.
    int nextInt(int n);

    int32_t currentCounter() const { return counter.load(std::memory_order_relaxed); }
    void setCounter(int32_t value) { counter.store(value, std::memory_order_relaxed); }

private:
    std::atomic<int32_t> counter;
};
