#pragma once
#include <cmath>

// The rate the engine renders at, in frames per second. Every sound was
// tuned at the reference rate, and every voice, drum and the sequencer derive
// their steps from the one value the engine holds (AudioSingleton), so the
// game sounds the same, in tune and in time, at whatever rate the device
// opened. At the reference rate every derived step is the number the engine
// used before the rate could change, bit for bit.
class SampleRate {
public:
    static constexpr double reference = 44100.0;  // Hz: the rate asked of a device first
    static constexpr double lowest = 8000.0;      // Hz: below this a rate is refused
    static constexpr double highest = 192000.0;   // Hz: the crash drum's delay line holds this much

    constexpr SampleRate() = default;
    // Rounded to whole frames per second; a rate outside lowest..highest (or
    // not a number) gives the reference.
    constexpr explicit SampleRate(double framesPerSecond)
        : hz(accepts(framesPerSecond) ? static_cast<double>(static_cast<long long>(framesPerSecond + 0.5)) : reference)
    {
    }

    static constexpr bool accepts(double framesPerSecond)
    {
        return framesPerSecond >= lowest && framesPerSecond <= highest;
    }

    constexpr double framesPerSecond() const { return hz; }
    // Seconds per frame, rounded to float once.
    constexpr float framePeriod() const { return 1.0f / static_cast<float>(hz); }
    // Frames at this rate for each frame at the reference rate.
    constexpr double ratio() const { return hz / reference; }

    // The rate in float, as the voices, the kick drum and the effects
    // derive their per-frame steps from it.
    constexpr float hertz() const { return static_cast<float>(hz); }
    // Whole frames in a span of seconds, rounded down.
    constexpr int framesIn(float seconds) const { return static_cast<int>(seconds * hertz()); }
    // The factor per frame of an exponential fall with this time constant
    // (s): after it the level stands at 1/e.
    float fallPerFrame(float timeConstantSeconds) const { return std::exp(-1.0f / (timeConstantSeconds * hertz())); }

    friend constexpr bool operator==(SampleRate a, SampleRate b) { return a.hz == b.hz; }

private:
    double hz = reference;
};
