#include "game/LevelGrid.h"

#include "game/LevelPicture.h"

#include <algorithm>

#include <cstdio>
#include <string>

namespace {

// FNV-1a, 64 bits: stable across machines and builds, and quick enough for
// the million cells of the play level on every start.
constexpr uint64_t fnvOffset = 14695981039346656037ull;
constexpr uint64_t fnvPrime = 1099511628211ull;
// What a refused level's pocket around the start cell is made of (earth), and
// the farthest start it is built for, cells: the game's starts lie near 1000.
constexpr uint8_t pocketWall = 0;
constexpr int32_t pocketLargestSide = 16384;

uint64_t mix(uint64_t hash, uint8_t byte) { return (hash ^ byte) * fnvPrime; }

} // namespace

bool LevelGrid::load(const FilePath& path)
{
    LevelPicture picture = LevelPicture::read(path.text());
    cells = std::move(picture.red);
    width = picture.width;
    height = picture.height;
    refused = std::move(picture.refusal);
    if (!refused.empty()) {
        cells.clear();
        width = 0;
        height = 0;
        std::printf("LevelGrid: Could not load level picture: %s: %s\n", path.text().c_str(), refused.c_str());
        std::fflush(stdout);
    }
    hash = hashOf(width, height, cells);
    return refused.empty();
}

bool LevelGrid::load(const FilePath& path, int32_t startColumn, int32_t startRow)
{
    if (load(path)) {
        refused = whyUnplayable(startColumn, startRow);
        if (refused.empty())
            return true;
        std::printf("LevelGrid: Could not load level picture: %s: %s\n", path.text().c_str(), refused.c_str());
        std::fflush(stdout);
    }
    wallIn(startColumn, startRow);
    return false;
}

std::string LevelGrid::whyUnplayable(int32_t startColumn, int32_t startRow) const
{
    const std::string start = "start cell (" + std::to_string(startColumn) + ", " + std::to_string(startRow) + ")";
    // The movement looks at the pilot's cell and its four neighbours.
    if (startColumn < 1 || startRow < 1 || startColumn > width - 2 || startRow > height - 2)
        return "a level of " + std::to_string(width) + " x " + std::to_string(height) + " cells; the " + start +
               " and its four neighbours must lie inside the picture, which takes at least " +
               std::to_string(std::max(int64_t{startColumn} + 2, int64_t{3})) + " x " +
               std::to_string(std::max(int64_t{startRow} + 2, int64_t{3})) + " cells";
    if (solid(startColumn, startRow))
        return "the " + start + " is solid (red " + std::to_string(cell(startColumn, startRow)) +
               "); the pilot must start in open space (red 255)";
    return {};
}

void LevelGrid::wallIn(int32_t startColumn, int32_t startRow)
{
    cells.clear();
    width = 0;
    height = 0;
    hash = hashOf(0, 0, cells);
    if (startColumn < 1 || startRow < 1 || startColumn > pocketLargestSide || startRow > pocketLargestSide)
        return;
    width = startColumn + 2;
    height = startRow + 2;
    cells.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), pocketWall);
    cells[static_cast<std::size_t>(startRow) * static_cast<std::size_t>(width) + static_cast<std::size_t>(startColumn)] =
        openCell;
    hash = hashOf(width, height, cells);
}

void LevelGrid::assign(const RgbaImage& image)
{
    refused.clear();
    cells.clear();
    width = 0;
    height = 0;
    hash = hashOf(0, 0, cells);
    if (image.pixels == nullptr || image.width <= 0 || image.height <= 0) {
        return;
    }
    const std::size_t count = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
    cells.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        cells[i] = image.pixels[i * 4]; // only the red channel counts
    }
    width = image.width;
    height = image.height;
    hash = hashOf(width, height, cells);
}

void LevelGrid::assign(int32_t newWidth, int32_t newHeight, const uint8_t* redValues)
{
    refused.clear();
    cells.clear();
    width = 0;
    height = 0;
    hash = hashOf(0, 0, cells);
    if (redValues == nullptr || newWidth <= 0 || newHeight <= 0) {
        return;
    }
    cells.assign(redValues, redValues + static_cast<std::size_t>(newWidth) * static_cast<std::size_t>(newHeight));
    width = newWidth;
    height = newHeight;
    hash = hashOf(width, height, cells);
}

std::string LevelGrid::hashOf(int32_t columns, int32_t rows, const std::vector<uint8_t>& values)
{
    uint64_t hash = fnvOffset;
    for (const int32_t side : {columns, rows})
        for (int shift = 0; shift < 32; shift += 8)
            hash = mix(hash, static_cast<uint8_t>(static_cast<uint32_t>(side) >> shift));
    for (const uint8_t value : values)
        hash = mix(hash, value);
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}
