// The patch file reader: the input is a whole .patch file.
#include "FuzzSupport.h"

#include "audio/PolyphonicSynth.h"

#include <memory>

namespace {
std::string filePath;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::quietStandardOutput();
    filePath = fuzzsupport::scratchFolder() + "/Input.patch";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::writeBytes(filePath, data, size);
    auto group = std::make_unique<PolyphonicSynth>();
    const SimpleSynth reference;
    const bool loaded = group->loadParameters(filePath);
    for (const SimpleSynth& voice : group->voices) {
        for (int p = 0; p < SimpleSynth::parameterTotal; ++p) {
            const float value = voice.getParameter(p);
            // Every voice of a group carries the same patch, and a refused
            // file leaves the built-in one.
            fuzzsupport::require(value == group->voices[0].getParameter(p) || (value != value), "voices differ");
            if (!loaded)
                fuzzsupport::require(value == reference.getParameter(p), "refused file changed a voice");
        }
    }
    return 0;
}
