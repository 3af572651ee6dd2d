#pragma once
#include <cstdint>

// Receiver of the audio stream's buffer requests, called on the audio thread.
class PortAudioCallback {
public:
    virtual ~PortAudioCallback() = default;
    // The stream's real rate, told on the opening thread after the stream
    // opened and before the first process call.
    virtual void prepare(double framesPerSecond) { (void)framesPerSecond; }
    // Fills `frames` interleaved stereo float frames of `output`.
    virtual void process(const void* input, void* output, uint32_t frames) = 0;
};
