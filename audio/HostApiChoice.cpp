#include "audio/HostApiChoice.h"

HostApiChoice chooseHostApi(int wantedType, const std::string& wantedName, bool builtInDefault,
                            const std::vector<HostApiOffer>& offers, int defaultIndex)
{
    for (size_t i = 0; i < offers.size(); ++i)
        if (offers[i].type == wantedType)
            return {static_cast<int>(i), {}};
    const bool hasDefault = defaultIndex >= 0 && static_cast<size_t>(defaultIndex) < offers.size();
    HostApiChoice choice{hasDefault ? defaultIndex : -1, {}};
    if (!builtInDefault)
        choice.message = "PortAudioDevice: " + wantedName + " is not available, using " +
                         (hasDefault ? offers[static_cast<size_t>(defaultIndex)].name : std::string("no host API")) +
                         ".";
    return choice;
}
