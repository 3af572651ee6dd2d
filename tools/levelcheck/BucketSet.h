#pragma once
#include <cstdint>
#include <vector>

// Bucket keys of the search, each with the most frames since a jump press
// that any state in the bucket has had. Open addressing: the search asks tens
// of millions of times, and a node-based map would spend more on memory than
// on the movement it guards. The all-ones key cannot be stored.
class BucketSet {
public:
    BucketSet();
    // True when the key is new, or when `freedom` beats what it held (and
    // is then kept instead).
    bool improve(uint64_t key, uint16_t freedom);
    std::size_t size() const { return count; }
    // The most bytes its table holds while taking `more` new keys (a growth
    // keeps the old table until the new one is filled).
    std::size_t peakBytesFor(std::size_t more) const;

private:
    void grow();

    std::vector<uint64_t> keys;
    std::vector<uint16_t> values;
    std::size_t count = 0;
    std::size_t mask = 0;
};
