#pragma once
#include <atomic>
#include <cstddef>

// Fixed-capacity single-producer/single-consumer ring. push only on the
// producer's thread, pop only on the consumer's; neither ever waits or
// allocates. A full queue refuses the item.
template <typename T, size_t Capacity>
class SpscQueue {
    static_assert(Capacity >= 2 && (Capacity & (Capacity - 1)) == 0, "capacity must be a power of two");

public:
    bool push(const T& item)
    {
        const size_t tail = writePosition.load(std::memory_order_relaxed);
        if (tail - readPosition.load(std::memory_order_acquire) >= Capacity)
            return false;
        slots[tail & (Capacity - 1)] = item;
        writePosition.store(tail + 1, std::memory_order_release);
        return true;
    }

    bool pop(T& item)
    {
        const size_t head = readPosition.load(std::memory_order_relaxed);
        if (head == writePosition.load(std::memory_order_acquire))
            return false;
        item = slots[head & (Capacity - 1)];
        readPosition.store(head + 1, std::memory_order_release);
        return true;
    }

    size_t size() const
    {
        return writePosition.load(std::memory_order_acquire) - readPosition.load(std::memory_order_acquire);
    }

private:
    T slots[Capacity] = {};
    // Apart, so the two threads do not fight over one cache line.
    alignas(64) std::atomic<size_t> writePosition{0};
    alignas(64) std::atomic<size_t> readPosition{0};
};
