#pragma once
#include <string>
#include <vector>

// One host API as PortAudio lists it.
struct HostApiOffer {
    int type;         // PortAudio host API type id
    std::string name; // PortAudio's own name for it
};

// The host API a stream opens on, and the line to print about the choice.
struct HostApiChoice {
    int index;           // into the offers; -1 when none can be used
    std::string message; // empty when there is nothing to say
};

// The wanted type when PortAudio offers it. Otherwise PortAudio's default:
// silently when the wish was only the built-in default (which names an API of
// another system), with one line naming the wish when a player made it.
HostApiChoice chooseHostApi(int wantedType, const std::string& wantedName, bool builtInDefault,
                            const std::vector<HostApiOffer>& offers, int defaultIndex);
