#include "render/TextureTable.h"

uint32_t TextureTable::add(const TextureRecord& record)
{
    // Skip keys taken directly through recordFor, and never hand out 0.
    while (counter == 0 || records.count(counter) != 0)
        ++counter;
    const uint32_t key = counter++;
    records[key] = record;
    return key;
}

const TextureRecord* TextureTable::find(uint32_t key) const
{
    const auto it = records.find(key);
    return it == records.end() ? nullptr : &it->second;
}

TextureRecord& TextureTable::recordFor(uint32_t key)
{
    return records[key];
}

bool TextureTable::remove(uint32_t key, TextureRecord* removed)
{
    const auto it = records.find(key);
    if (it == records.end())
        return false;
    if (removed != nullptr)
        *removed = it->second;
    records.erase(it);
    return true;
}
