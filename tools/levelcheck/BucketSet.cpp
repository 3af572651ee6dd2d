#include "BucketSet.h"

namespace {

constexpr uint64_t emptySlot = ~uint64_t{0};
constexpr std::size_t initialSlots = std::size_t{1} << 16;
constexpr std::size_t loadPercent = 60; // grow beyond this fill

// Spreads neighbouring keys over the table (the finaliser of splitmix64).
uint64_t mix(uint64_t key)
{
    key ^= key >> 30;
    key *= 0xbf58476d1ce4e5b9ull;
    key ^= key >> 27;
    key *= 0x94d049bb133111ebull;
    return key ^ (key >> 31);
}

} // namespace

BucketSet::BucketSet() : keys(initialSlots, emptySlot), values(initialSlots, 0), mask(initialSlots - 1) {}

bool BucketSet::improve(uint64_t key, uint16_t freedom)
{
    if ((count + 1) * 100 > keys.size() * loadPercent) {
        grow();
    }
    for (std::size_t slot = mix(key) & mask;; slot = (slot + 1) & mask) {
        if (keys[slot] == key) {
            if (values[slot] >= freedom) {
                return false;
            }
            values[slot] = freedom;
            return true;
        }
        if (keys[slot] == emptySlot) {
            keys[slot] = key;
            values[slot] = freedom;
            ++count;
            return true;
        }
    }
}

std::size_t BucketSet::peakBytesFor(std::size_t more) const
{
    std::size_t slots = keys.size();
    std::size_t peak = slots;
    while ((count + more) * 100 > slots * loadPercent) {
        slots *= 2;
        peak = slots + slots / 2; // the new table and the one it replaces
    }
    return peak * (sizeof(uint64_t) + sizeof(uint16_t));
}

void BucketSet::grow()
{
    std::vector<uint64_t> oldKeys(keys.size() * 2, emptySlot);
    std::vector<uint16_t> oldValues(values.size() * 2, 0);
    oldKeys.swap(keys);
    oldValues.swap(values);
    mask = keys.size() - 1;
    for (std::size_t old = 0; old < oldKeys.size(); ++old) {
        if (oldKeys[old] == emptySlot) {
            continue;
        }
        std::size_t slot = mix(oldKeys[old]) & mask;
        while (keys[slot] != emptySlot) {
            slot = (slot + 1) & mask;
        }
        keys[slot] = oldKeys[old];
        values[slot] = oldValues[old];
    }
}
