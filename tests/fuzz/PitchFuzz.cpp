// The pitch file reader: the input is a whole pitch .txt file.
#include "FuzzSupport.h"

#include "audio/PitchTable.h"

#include <cmath>

namespace {
std::string filePath;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::quietStandardOutput();
    filePath = fuzzsupport::scratchFolder() + "/input.txt";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::writeBytes(filePath, data, size);
    PitchTable table;
    fuzzsupport::require(table.loadFile(filePath), "an existing file was not read");
    for (int i = 0; i < PitchTable::size; ++i)
        fuzzsupport::require(std::isfinite(table[i]), "pitch not finite");
    return 0;
}
