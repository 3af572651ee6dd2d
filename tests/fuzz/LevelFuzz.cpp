// The level loader: the input is a level picture file, decoded the way the
// game decodes pilot.png and kept as a cell grid.
#include "FuzzSupport.h"

#include "game/LevelGrid.h"
#include "base/PngChunkCheck.h"

namespace {
std::string filePath;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::quietStandardOutput();
    filePath = fuzzsupport::scratchFolder() + "/pilot.png";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::writeBytes(filePath, data, size);
    LevelGrid grid;
    const bool loaded = grid.load(FilePath(filePath));
    fuzzsupport::require(loaded == !grid.empty(), "load result disagrees with the grid");
    if (loaded) {
        fuzzsupport::require(grid.getWidth() > 0 && grid.getHeight() > 0, "negative size");
        fuzzsupport::require(static_cast<unsigned>(grid.getWidth()) <= pngcheck::maxSide &&
                                 static_cast<unsigned>(grid.getHeight()) <= pngcheck::maxSide,
                             "picture beyond the size limit");
        // Touch the corners: the grid must own every cell it claims.
        volatile uint8_t sink = grid.cell(0, 0);
        sink = grid.cell(grid.getWidth() - 1, grid.getHeight() - 1);
        (void)sink;
    }
    return 0;
}
