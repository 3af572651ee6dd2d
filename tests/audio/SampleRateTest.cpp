#include "TempFolder.h"

#include "base/RandomGenerator.h"
#include "audio/AudioSingleton.h"

#include <ebur128.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

namespace {

// Every voice group, both variants of every drum and the impact, or one
// sound alone (track 0..3: a note, 4: the impact, 5: a kick on step 0).
std::vector<float> render(double rate, double seconds, int only = -1)
{
    TempFolder folder;
    RandomGenerator::instance().setCounter(77);
    AudioSingleton engine(FilePath::executableDirectory());
    EXPECT_TRUE(engine.loadPitchFile(folder.write("p.txt", "82.4\n98\n110\n130.8\n146.8\n164.8\n196\n220\n")));
    engine.setSampleRate(SampleRate(rate));
    if (only < 0) {
        for (int step = 0; step < 16; step += 2)
            engine.toggleStep(0, step, 7);
        engine.toggleStep(1, 0, 4);
        for (int step : {0, 3, 6, 9, 13})
            engine.toggleStep(2, step, step % 8);
        engine.toggleStep(3, 8, 2);
        for (int drum = 0; drum < 4; ++drum) {
            engine.toggleStep(4 + drum, 4 * drum, 0);
            engine.toggleStep(4 + drum, 4 * drum + 2, 1);
        }
    } else if (only != 4) {
        engine.toggleStep(only == 5 ? 4 : only, 0, 2);
    }
    if (only < 0 || only == 4)
        engine.playBoom();
    engine.restartSequence();
    std::vector<float> out(2 * static_cast<size_t>(seconds * rate), 0.0f);
    for (size_t at = 0; at < out.size(); at += 1024)
        engine.render(out.data() + at, static_cast<int>(std::min<size_t>(1024, out.size() - at) / 2));
    return out;
}

// The frequency from 40 to 2000 Hz with the most energy in the left channel
// from 20 ms on: Hann-windowed Goertzel scans, down to 0.002 Hz steps.
double strongestFrequency(const std::vector<float>& out, double rate)
{
    const size_t from = static_cast<size_t>(0.02 * rate), count = static_cast<size_t>(0.5 * rate);
    auto power = [&](double f) {
        const double c = 2.0 * std::cos(2.0 * M_PI * f / rate);
        double a = 0.0, b = 0.0;
        for (size_t i = 0; i < count; ++i)
            b = std::exchange(a, out[2 * (from + i)] * (0.5 - 0.5 * std::cos(2.0 * M_PI * i / count)) + c * a - b);
        return a * a + b * b - c * a * b;
    };
    double best = 1020.0, most = 0.0;
    for (double span : {980.0, 2.0, 0.05})
        for (double f = best - span, centre = best, step = span / 40.0 * (span > 900.0 ? 0.1 : 1.0);
             f <= centre + span; f += step)
            if (const double p = power(f); p > most)
                std::tie(best, most) = std::pair(f, p);
    return best;
}

double loudness(const std::vector<float>& out, double rate)
{
    ebur128_state* state = ebur128_init(2, static_cast<unsigned long>(rate), EBUR128_MODE_I);
    ebur128_add_frames_float(state, out.data(), out.size() / 2);
    double lufs = 0.0;
    ebur128_loudness_global(state, &lufs);
    ebur128_destroy(&state);
    return lufs;
}

} // namespace

// Pinned from the engine as it was before its rate could change: any drift
// at 44100 Hz (a step rounded another way, a coefficient recomputed in other
// precision, a noise value drawn more or less often) changes the hash.
TEST(SampleRate, EngineOutputAt44100IsUnchanged)
{
    uint64_t hash = 14695981039346656037ull;
    for (float sample : render(44100.0, 3.0)) {
        uint32_t bits;
        std::memcpy(&bits, &sample, sizeof bits);
        for (int byte = 0; byte < 4; ++byte)
            hash = (hash ^ ((bits >> (8 * byte)) & 0xFF)) * 1099511628211ull;
    }
    EXPECT_EQ(hash, 0x1c1efa1f9dd0af25ull);
}

// A rate ignored in any one place (a voice's clock, a filter, the sequencer,
// a drum) detunes, speeds up or dulls what plays.
TEST(SampleRate, RendersAt48000And96000SoundLikeTheReference)
{
    for (double rate : {48000.0, 96000.0}) {
        SCOPED_TRACE(rate);
        for (int sound = 0; sound < 5; ++sound) {
            const double reference = strongestFrequency(render(44100.0, 0.6, sound), 44100.0);
            EXPECT_NEAR(1200.0 * std::log2(strongestFrequency(render(rate, 0.6, sound), rate) / reference), 0.0, 2.0)
                << "sound " << sound << " at " << reference << " Hz";
        }
        // A kick starts each loop; the last of five after four loop lengths.
        double loops[2];
        for (double hz : {44100.0, rate}) {
            const std::vector<float> out = render(hz, 8.5, 5);
            size_t last = out.size() / 2 - 1;
            while (last > 0 && !(out[2 * last] != 0.0f && out[2 * last - 2] == 0.0f && out[2 * last - 4] == 0.0f))
                --last;
            loops[hz == rate] = static_cast<double>(last) / hz / 4.0;
        }
        EXPECT_NEAR(loops[1] / loops[0], 1.0, 0.001) << loops[0] << " s, then " << loops[1] << " s";
        EXPECT_NEAR(loudness(render(rate, 6.0), rate), loudness(render(44100.0, 6.0), 44100.0), 0.5);
    }
}
