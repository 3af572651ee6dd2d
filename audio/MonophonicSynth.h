#pragma once
#include "audio/StereoFrame.h"

#include <string>

// A one-note voice that plays a whole note of fixed length per noteOn.
class MonophonicSynth {
public:
    virtual ~MonophonicSynth() = default;
    virtual void render(StereoFrame* out, int frames) = 0;
    virtual bool noteOn(float frequency, int frameOffset) = 0;
    // raw: store the value as it is; otherwise map a 0..1 control value.
    virtual void setParameter(const std::string& name, float value, bool raw) = 0;
    virtual int parameterCount() const = 0;
    virtual float getParameter(int index) const = 0;
    virtual std::string parameterName(int index) const = 0;
};
