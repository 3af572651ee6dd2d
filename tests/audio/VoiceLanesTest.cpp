#include "audio/FastTanh.h"
#include "audio/SimpleSynth.h"
#include "audio/VoiceEnvelope.h"
#include "audio/VoiceLanes.h"
#include "audio/WaveTables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace {

std::vector<StereoFrame> silence(int frames)
{
    return std::vector<StereoFrame>(static_cast<size_t>(frames), StereoFrame{0.0f, 0.0f});
}

// The voice written plainly, one sample at a time: the filter in double
// precision straight from its formulas, the library's tanh, the table read
// with an explicit wrap. What the fast voice must still sound like.
class ReferenceVoice {
public:
    explicit ReferenceVoice(const SimpleSynth& voice)
    {
        for (int i = 0; i < SimpleSynth::parameterTotal; ++i)
            parameter[i] = voice.getParameter(i);
    }

    void noteOn(float frequency)
    {
        freqMain = parameter[14] * frequency;
        freqDetuned = freqMain * 0.999f;
        saw = WaveTables::shared().saw(SimpleSynth::bandFor(freqMain));
        square = WaveTables::shared().square(SimpleSynth::bandFor(freqMain));
        time = 0.0f;
        active = true;
    }

    bool isActive() const { return active; }

    void render(StereoFrame* out, int frames)
    {
        const float total = 2.0f * parameter[12];
        const VoiceEnvelope amplitude =
            VoiceEnvelope::make(total, parameter[10], parameter[11], parameter[8] > 0.5f, parameter[9] > 0.5f);
        const VoiceEnvelope cutoffShape =
            VoiceEnvelope::make(total, parameter[5], parameter[6], parameter[3] > 0.5f, parameter[4] > 0.5f);
        const float base = parameter[1] * 10975.0f;
        for (int i = 0; i < frames && active; ++i) {
            time = time + 1.0f / 44100.0f;
            if (time > total) {
                active = false;
                break;
            }
            const float a = amplitude.at(time);
            const float fe = cutoffShape.at(time) * parameter[7];
            float s = (1.0f - parameter[0]) * read(saw, phase) + parameter[0] * read(square, phase);
            if (parameter[15] > 0.0f)
                s = s + parameter[15] * read(saw, phaseDetuned);
            phase = wrap(phase + 1024.0f / (44100.0f / freqMain));
            phaseDetuned = wrap(phaseDetuned + 1024.0f / (44100.0f / freqDetuned));
            const float cutoff = base + fe * (fe < 0.0f ? base : 11025.0f - base) + 50.0f;
            const float y = filter(s, std::max(50.0, static_cast<double>(cutoff)), parameter[2]);
            const float o = 0.5f * a * std::tanh(parameter[13] * y);
            out[i].left += o;
            out[i].right += o;
        }
    }

private:
    static float read(const float* table, float at)
    {
        const int n = static_cast<int>(at);
        const float f = at - static_cast<float>(n);
        return table[n] * (1.0f - f) + f * table[n == 1023 ? 0 : n + 1];
    }

    static float wrap(float at) { return at >= 1024.0f ? at - 1024.0f : at; }

    float filter(double input, double cutoff, double res)
    {
        const double f = 2.0 * cutoff / 44100.0;
        const double p = (1.8 - 0.8 * f) * f;
        const double k = 2.0 * p - 1.0;
        const double t = (1.0 - p) * 1.386249;
        const double r = res * (t * t + 6.0 * t + 12.0) / (t * t - 6.0 * t + 12.0);
        x = input - r * y4;
        y1 = p * x + p * oldX - k * y1;
        y2 = p * y1 + p * oldY1 - k * y2;
        y3 = p * y2 + p * oldY2 - k * y3;
        y4 = p * y3 + p * oldY3 - k * y4;
        y4 = y4 - y4 * y4 * y4 / 6.0;
        oldX = x;
        oldY1 = y1;
        oldY2 = y2;
        oldY3 = y3;
        return static_cast<float>(y4);
    }

    float parameter[SimpleSynth::parameterTotal] = {};
    float freqMain = 0.0f, freqDetuned = 0.0f;
    const float* saw = nullptr;
    const float* square = nullptr;
    float time = 0.0f, phase = 0.0f, phaseDetuned = 0.0f;
    bool active = false;
    double x = 0.0, y1 = 0.0, y2 = 0.0, y3 = 0.0, y4 = 0.0;
    double oldX = 0.0, oldY1 = 0.0, oldY2 = 0.0, oldY3 = 0.0;
};

// The sixteen parameters in index order.
using Patch = std::vector<float>;

// The shipped patches (bass, pad, high, duck, boom; the long ones with
// shorter notes) and two harsh ones:
// a resonant sweep with a steep closing envelope, and a loud, bright square.
const Patch patches[] = {
    {0.3f, 0.04f, 0.35f, 0.0f, 1.0f, 0.02f, 0.9f, 0.2f, 0.0f, 1.0f, 0.03f, 0.8f, 0.11f, 0.9f, 0.5f, 0.0f},
    {0.5f, 0.06f, 0.2f, 0.0f, 0.0f, 0.45f, 0.5f, 0.12f, 0.0f, 1.0f, 0.4f, 0.6f, 0.3f, 0.5f, 2.0f, 0.6f},
    {0.7f, 0.12f, 0.3f, 0.0f, 1.0f, 0.01f, 0.9f, 0.25f, 0.0f, 1.0f, 0.02f, 0.9f, 0.16f, 0.65f, 4.0f, 0.0f},
    {0.2f, 0.03f, 0.8f, 0.0f, 0.0f, 0.2f, 0.6f, 0.3f, 0.0f, 1.0f, 0.05f, 0.7f, 0.15f, 0.6f, 1.0f, 0.0f},
    {0.0f, 0.02f, 0.5f, 0.0f, 1.0f, 0.005f, 0.95f, 0.5f, 0.0f, 1.0f, 0.004f, 0.97f, 0.3f, 0.6f, 0.5f, 0.5f},
    {0.1f, 0.6f, 0.95f, 1.0f, 0.0f, 0.3f, 0.5f, -0.9f, 1.0f, 0.0f, 0.1f, 0.5f, 0.1f, 3.0f, 1.0f, 0.3f},
    {1.0f, 0.9f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.5f, 0.05f, 4.0f, 1.0f, 1.0f},
};

constexpr size_t shippedPatches = 5;

void apply(SimpleSynth& voice, const Patch& patch)
{
    for (int i = 0; i < SimpleSynth::parameterTotal; ++i)
        voice.setParameter(voice.parameterName(i), patch[static_cast<size_t>(i)], true);
}

} // namespace

TEST(FastTanh, WithinOneHundredThousandthOfTanhEverywhere)
{
    float worst = 0.0f;
    for (int i = -200000; i <= 200000; ++i) {
        const float x = static_cast<float>(i) * 1e-4f;  // -20 .. 20
        const float fast = fastTanh(x);
        worst = std::max(worst, std::fabs(fast - static_cast<float>(std::tanh(static_cast<double>(x)))));
        ASSERT_LE(std::fabs(fast), 1.0f) << x;
        ASSERT_EQ(fastTanh(-x), -fast) << x;
    }
    EXPECT_LT(worst, 1e-5f);
    EXPECT_GT(worst, 0.0f);  // an approximation, not the library's function
    EXPECT_EQ(fastTanh(0.0f), 0.0f);
    // Far out it stands still just below 1, as close as everywhere else.
    const float inf = std::numeric_limits<float>::infinity();
    for (float far : {7.0f, 1e30f, inf}) {
        EXPECT_NEAR(fastTanh(far), 1.0f, 1e-5f) << far;
        EXPECT_LE(fastTanh(far), 1.0f) << far;
        EXPECT_EQ(fastTanh(-far), -fastTanh(far)) << far;
    }
    // Near zero tanh x is x: the approximation keeps the small values.
    EXPECT_FLOAT_EQ(fastTanh(1e-6f), 1e-6f);
    EXPECT_FLOAT_EQ(fastTanh(0.5f), static_cast<float>(std::tanh(0.5)));
}

TEST(FastTanh, NotANumberGivesZero)
{
    EXPECT_EQ(fastTanh(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    LaneFloat lanes{};
    for (int lane = 0; lane < laneWidth; ++lane)
        lanes[lane] = static_cast<float>(lane) - 2.0f;
    lanes[1] = std::numeric_limits<float>::quiet_NaN();
    const LaneFloat out = fastTanh(lanes);
    for (int lane = 0; lane < laneWidth; ++lane) {
        const float expected = lane == 1 ? 0.0f : fastTanh(static_cast<float>(lane) - 2.0f);
        EXPECT_EQ(out[lane], expected) << lane;
    }
}

TEST(VoiceLanes, EachVoiceSoundsAsThePlainVoiceWithinATinyError)
{
    const float pitches[] = {55.0f, 220.0f, 659.0f, 1760.0f};
    for (size_t n = 0; n < std::size(patches); ++n) {
        for (float pitch : pitches) {
            SimpleSynth voice;
            apply(voice, patches[n]);
            ReferenceVoice reference(voice);
            voice.noteOn(pitch, 0);
            reference.noteOn(pitch);
            // Odd buffer sizes, so notes end and cross buffers anywhere.
            const int frames = 44100 * 2;
            auto fast = silence(frames);
            auto plain = silence(frames);
            for (int at = 0; at < frames;) {
                const int size = std::min(frames - at, 97 + at % 389);
                voice.render(fast.data() + at, size);
                reference.render(plain.data() + at, size);
                at += size;
            }
            EXPECT_EQ(voice.isActive(), reference.isActive());
            float worst = 0.0f, loudest = 0.0f;
            for (int i = 0; i < frames; ++i) {
                worst = std::max(worst, std::fabs(fast[i].left - plain[i].left));
                loudest = std::max(loudest, std::fabs(plain[i].left));
                ASSERT_EQ(fast[i].left, fast[i].right);
            }
            EXPECT_GT(loudest, 0.01f) << "patch " << n << " at " << pitch;
            // The shipped patches stay within a few float roundings; the
            // near-oscillating filter driven hard amplifies them, still to
            // far below anything audible (-74 dB).
            const float bound = n < shippedPatches ? 1e-6f : 2e-4f;
            EXPECT_LT(worst, bound) << "patch " << n << " at " << pitch;
        }
    }
}

TEST(VoiceLanes, SideBySideEqualsOneAfterAnother)
{
    // Voices with different patches, pitches, start frames and lengths, some
    // ending inside a buffer, for every count up to one more than a lane
    // vector holds and buffer sizes that are no multiple of the lane width.
    const int sizes[] = {1, 7, 13, 333, 1000};
    for (int count = 1; count <= laneWidth + 1; ++count) {
        for (int frames : sizes) {
            std::vector<std::unique_ptr<SimpleSynth>> together, alone;
            for (int v = 0; v < count; ++v) {
                for (auto* list : {&together, &alone}) {
                    list->push_back(std::make_unique<SimpleSynth>());
                    SimpleSynth& voice = *list->back();
                    apply(voice, patches[static_cast<size_t>(v) % std::size(patches)]);
                    voice.setParameter("noteLength", 0.002f + 0.003f * static_cast<float>(v), true);
                    voice.noteOn(100.0f + 37.0f * static_cast<float>(v), (v * 5) % (frames + 3));
                }
            }
            auto mixed = silence(frames);
            auto expected = silence(frames);
            std::vector<SimpleSynth*> list;
            for (auto& voice : together)
                list.push_back(voice.get());
            // Enough buffers for every note to start, sound and end.
            const int buffers = 1 + 2 * 44100 * 3 / 100 / frames + 2;
            for (int b = 0; b < buffers; ++b) {
                std::fill(mixed.begin(), mixed.end(), StereoFrame{0.0f, 0.0f});
                std::fill(expected.begin(), expected.end(), StereoFrame{0.0f, 0.0f});
                VoiceLanes::render(list.data(), count, mixed.data(), frames);
                for (auto& voice : alone)
                    if (voice->isActive())
                        voice->render(expected.data(), frames);
                ASSERT_EQ(std::memcmp(mixed.data(), expected.data(), mixed.size() * sizeof(StereoFrame)), 0)
                    << count << " voices, " << frames << " frames, buffer " << b;
                for (int v = 0; v < count; ++v) {
                    ASSERT_EQ(together[v]->isActive(), alone[v]->isActive()) << v;
                    ASSERT_EQ(together[v]->elapsed(), alone[v]->elapsed()) << v;
                    ASSERT_EQ(together[v]->mainPhase(), alone[v]->mainPhase()) << v;
                    ASSERT_EQ(together[v]->ladder().lastStage(), alone[v]->ladder().lastStage()) << v;
                }
            }
            for (int v = 0; v < count; ++v)
                EXPECT_FALSE(together[v]->isActive()) << count << " voices, voice " << v;
        }
    }
}

TEST(VoiceLanes, IdleVoicesInTheListAreSkipped)
{
    SimpleSynth idle, sounding, single;
    sounding.noteOn(330.0f, 0);
    single.noteOn(330.0f, 0);
    SimpleSynth* list[] = {&idle, &sounding, &idle};
    auto both = silence(300);
    auto one = silence(300);
    VoiceLanes::render(list, 3, both.data(), 300);
    single.render(one.data(), 300);
    EXPECT_FALSE(idle.isActive());
    EXPECT_EQ(idle.elapsed(), 0.0f);
    EXPECT_EQ(std::memcmp(both.data(), one.data(), both.size() * sizeof(StereoFrame)), 0);
    VoiceLanes::render(list, 0, both.data(), 300);
    VoiceLanes::render(list, 3, both.data(), 0);
}
