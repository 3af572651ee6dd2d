#pragma once
#include "render/TextureRecord.h"
#include <cstdint>
#include <map>

// The drawer's textures by key. Keys start at 1 and only grow, so a key that
// was freed is never handed out again and a stale key cannot reach a newer
// picture.
class TextureTable {
public:
    // Stores the record under the smallest free key at or above the counter.
    uint32_t add(const TextureRecord& record);
    // The record of a key, or nullptr when the key is not in the table.
    const TextureRecord* find(uint32_t key) const;
    // The record of a key, inserting an all-zero one when absent.
    TextureRecord& recordFor(uint32_t key);
    // Removes the key; false when it was not there.
    bool remove(uint32_t key, TextureRecord* removed);
    std::size_t size() const { return records.size(); }
    uint32_t nextKey() const { return counter; }

private:
    std::map<uint32_t, TextureRecord> records;
    uint32_t counter = 1;
};
