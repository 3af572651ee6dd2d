#include "game/LevelGrid.h"

#include "base/ImageLoader.h"

#include <cstdio>
#include <string>

namespace {

// FNV-1a, 64 bits: stable across machines and builds, and quick enough for
// the million cells of the play level on every start.
constexpr uint64_t fnvOffset = 14695981039346656037ull;
constexpr uint64_t fnvPrime = 1099511628211ull;

uint64_t mix(uint64_t hash, uint8_t byte) { return (hash ^ byte) * fnvPrime; }

} // namespace

bool LevelGrid::load(const FilePath& path)
{
    std::string refusal;
    RgbaImage image = ImageLoader().loadFromFile(path.text(), &refusal);
    assign(image);
    delete[] image.pixels;
    if (empty()) {
        // Play goes on in an all-solid world; say which file was wrong, and
        // why when the player can do something about it.
        const std::string why = refusal.empty() ? std::string() : " (" + refusal + ")";
        std::printf("LevelGrid: Could not load level picture: %s%s\n", path.text().c_str(), why.c_str());
        std::fflush(stdout);
        return false;
    }
    return true;
}

void LevelGrid::assign(const RgbaImage& image)
{
    cells.clear();
    width = 0;
    height = 0;
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
}

void LevelGrid::assign(int32_t newWidth, int32_t newHeight, const uint8_t* redValues)
{
    cells.clear();
    width = 0;
    height = 0;
    if (redValues == nullptr || newWidth <= 0 || newHeight <= 0) {
        return;
    }
    cells.assign(redValues, redValues + static_cast<std::size_t>(newWidth) * static_cast<std::size_t>(newHeight));
    width = newWidth;
    height = newHeight;
}

std::string LevelGrid::contentHash() const
{
    uint64_t hash = fnvOffset;
    for (const int32_t side : {width, height})
        for (int shift = 0; shift < 32; shift += 8)
            hash = mix(hash, static_cast<uint8_t>(static_cast<uint32_t>(side) >> shift));
    for (const uint8_t value : cells)
        hash = mix(hash, value);
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}
