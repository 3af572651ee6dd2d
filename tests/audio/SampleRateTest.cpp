#include "TempFolder.h"

#include "app/RandomGenerator.h"
#include "audio/AudioSingleton.h"

#include <ebur128.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <memory>
#include <vector>

namespace {

constexpr int bufferFrames = 512;

constexpr double pi = 3.14159265358979323846;
const char* const pitchText = "82.4\n98\n110\n130.8\n146.8\n164.8\n196\n220\n";

std::unique_ptr<AudioSingleton> engineAt(const std::string& pitchFile, double rate)
{
    auto engine = std::make_unique<AudioSingleton>(FilePath::executableDirectory());
    EXPECT_TRUE(engine->loadPitchFile(pitchFile));
    engine->setSampleRate(SampleRate(rate));
    return engine;
}

// Every voice group and both variants of every drum, and the impact sound.
std::unique_ptr<AudioSingleton> busyEngine(const std::string& pitchFile, double rate = SampleRate::reference)
{
    auto engine = engineAt(pitchFile, rate);
    for (int step = 0; step < 16; step += 2)
        engine->toggleStep(0, step, 7);
    engine->toggleStep(1, 0, 4);
    for (int step : {0, 3, 6, 9, 13})
        engine->toggleStep(2, step, step % 8);
    engine->toggleStep(3, 8, 2);
    for (int drum = 0; drum < 4; ++drum) {
        engine->toggleStep(4 + drum, 4 * drum, 0);
        engine->toggleStep(4 + drum, 4 * drum + 2, 1);
    }
    engine->restartSequence();
    engine->playBoom();
    return engine;
}

std::vector<float> render(AudioSingleton& engine, long long frames)
{
    std::vector<float> out(static_cast<size_t>(frames) * 2, 0.0f);
    for (long long at = 0; at < frames; at += bufferFrames)
        engine.render(out.data() + 2 * at, static_cast<int>(std::min<long long>(bufferFrames, frames - at)));
    return out;
}

uint64_t fnv1a(const std::vector<float>& samples)
{
    uint64_t hash = 14695981039346656037ull;
    for (float s : samples) {
        unsigned char bytes[sizeof s];
        std::memcpy(bytes, &s, sizeof s);
        for (unsigned char b : bytes)
            hash = (hash ^ b) * 1099511628211ull;
    }
    return hash;
}

// The frequency in [low, high] Hz with the most energy in the left channel
// of frames [from, from + count): a Hann-windowed Goertzel scan in 0.5 Hz
// steps, then in 0.002 Hz steps around the best.
double strongestFrequency(const std::vector<float>& samples, double rate, size_t from, size_t count, double low,
                          double high)
{
    std::vector<double> x(count);
    for (size_t i = 0; i < count; ++i)
        x[i] = samples[2 * (from + i)] * (0.5 - 0.5 * std::cos(2.0 * pi * static_cast<double>(i) / (count - 1)));
    auto power = [&](double f) {
        const double c = 2.0 * std::cos(2.0 * pi * f / rate);
        double a = 0.0, b = 0.0;
        for (double v : x) {
            const double next = v + c * a - b;
            b = a;
            a = next;
        }
        return a * a + b * b - c * a * b;
    };
    double best = low;
    for (double f = low; f <= high; f += 0.5)
        best = power(f) > power(best) ? f : best;
    const double coarse = best;
    for (double f = coarse - 0.5; f <= coarse + 0.5; f += 0.002)
        best = power(f) > power(best) ? f : best;
    return best;
}

// The first frame of each sound that follows at least a second of silence.
std::vector<size_t> onsetsAfterSilence(const std::vector<float>& samples, double rate)
{
    std::vector<size_t> found;
    size_t quiet = static_cast<size_t>(rate);
    for (size_t frame = 0; frame < samples.size() / 2; ++frame) {
        if (samples[2 * frame] == 0.0f) {
            ++quiet;
            continue;
        }
        if (quiet >= static_cast<size_t>(rate) / 2)
            found.push_back(frame);
        quiet = 0;
    }
    return found;
}

double loudness(const std::vector<float>& samples, double rate)
{
    ebur128_state* state = ebur128_init(2, static_cast<unsigned long>(rate), EBUR128_MODE_I);
    ebur128_add_frames_float(state, samples.data(), samples.size() / 2);
    double lufs = 0.0;
    ebur128_loudness_global(state, &lufs);
    ebur128_destroy(&state);
    return lufs;
}

double cents(double f, double reference) { return 1200.0 * std::log2(f / reference); }

} // namespace

// Pinned from the engine as it was before its rate could change: any drift
// at 44100 Hz (a step rounded another way, a coefficient recomputed in other
// precision, a noise value drawn more or less often) changes the hash.
TEST(SampleRate, EngineOutputAt44100IsUnchanged)
{
    TempFolder folder;
    const std::string pitches = folder.write("p.txt", pitchText);
    RandomGenerator::instance().setCounter(77);
    auto engine = busyEngine(pitches);
    EXPECT_EQ(fnv1a(render(*engine, 3 * 44100)), 0x1c1efa1f9dd0af25ull);
}

// A rate the engine ignored in any one place (a voice's clock, a filter, the
// sequencer, a drum) detunes, speeds up or dulls what plays.
TEST(SampleRate, RendersAt48000And96000SoundLikeTheReference)
{
    TempFolder folder;
    const std::string pitches = folder.write("p.txt", pitchText);
    const double reference = SampleRate::reference;
    for (double rate : {48000.0, 96000.0}) {
        SCOPED_TRACE(rate);
        double worstCents = 0.0;
        // Pitch: one note of each melodic group, and the impact sound.
        for (int track = 0; track < 5; ++track) {
            SCOPED_TRACE(track);
            double measured[2];
            for (int i = 0; i < 2; ++i) {
                const double hz = i == 0 ? reference : rate;
                auto engine = engineAt(pitches, hz);
                if (track < 4) {
                    engine->toggleStep(track, 0, 2);
                    engine->restartSequence();
                } else {
                    engine->playBoom();
                }
                const std::vector<float> out = render(*engine, static_cast<long long>(0.6 * hz));
                const double note = engine->voice(track, 0).mainFrequency();
                measured[i] = strongestFrequency(out, hz, static_cast<size_t>(0.02 * hz),
                                                 static_cast<size_t>(0.5 * hz), 0.9 * note, 1.1 * note);
            }
            worstCents = std::max(worstCents, std::fabs(cents(measured[1], measured[0])));
            EXPECT_LE(std::fabs(cents(measured[1], measured[0])), 2.0) << measured[0] << " Hz, then " << measured[1];
        }
        // Tempo: a kick on step 0 of each loop, five loops.
        double loopSeconds[2];
        for (int i = 0; i < 2; ++i) {
            const double hz = i == 0 ? reference : rate;
            auto engine = engineAt(pitches, hz);
            engine->toggleStep(4, 0, 0);
            engine->restartSequence();
            const std::vector<size_t> onsets = onsetsAfterSilence(render(*engine, static_cast<long long>(9 * hz)), hz);
            ASSERT_EQ(onsets.size(), 5u);
            loopSeconds[i] = static_cast<double>(onsets[4] - onsets[0]) / 4.0 / hz;
        }
        EXPECT_NEAR(loopSeconds[1] / loopSeconds[0], 1.0, 0.001) << loopSeconds[0] << " s, then " << loopSeconds[1];
        // Loudness: everything at once for six seconds.
        double lufs[2];
        for (int i = 0; i < 2; ++i) {
            const double hz = i == 0 ? reference : rate;
            RandomGenerator::instance().setCounter(77);
            lufs[i] = loudness(render(*busyEngine(pitches, hz), static_cast<long long>(6 * hz)), hz);
        }
        EXPECT_NEAR(lufs[1], lufs[0], 0.5);
        std::cout << rate << " Hz: pitch within " << worstCents << " cents, loop " << loopSeconds[1] << " s (reference "
                  << loopSeconds[0] << " s), " << lufs[1] - lufs[0] << " LU" << std::endl;
    }
}
