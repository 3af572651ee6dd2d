#include "audio/DenormalGuard.h"
#include "audio/LadderFilter.h"
#include "audio/SimpleSynth.h"
#include "audio/VoiceEnvelope.h"
#include "audio/WaveTables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

std::vector<StereoFrame> silence(int frames)
{
    return std::vector<StereoFrame>(static_cast<size_t>(frames), StereoFrame{0.0f, 0.0f});
}

} // namespace

TEST(WaveTables, BandsHoldTheirNumberOfHarmonics)
{
    const WaveTables& tables = WaveTables::shared();
    // j = 256 is a quarter turn, j = 128 an eighth.
    EXPECT_FLOAT_EQ(tables.saw(6)[256], 0.5f);            // harmonic 1 only
    EXPECT_NEAR(tables.square(6)[256], 0.5f * (1.0f - 1.0f / 3.0f), 1e-6f);  // 1 and 3
    const float r = std::sqrt(0.5f);
    // Saw band 5: harmonics 1..3.
    EXPECT_NEAR(tables.saw(5)[128], 0.5f * (r + 0.5f + r / 3.0f), 1e-5f);
    // Square band 5: odd harmonics below 8.
    EXPECT_NEAR(tables.square(5)[128], 0.5f * (r + r / 3.0f - r / 5.0f - r / 7.0f), 1e-5f);
    EXPECT_FLOAT_EQ(tables.saw(0)[0], 0.0f);
    // Band 0 of the saw: 127 harmonics, near the ideal ramp pi/4 * ... at an eighth.
    double ideal = 0.0;
    for (int h = 1; h <= 127; ++h)
        ideal += 0.5 * std::sin(2.0 * 3.14159265358979 * h * 128.0 / 1024.0) / h;
    EXPECT_NEAR(tables.saw(0)[128], ideal, 1e-4);
    EXPECT_EQ(&WaveTables::shared(), &tables);
}

TEST(VoiceEnvelope, DefaultNoteRisesHoldsAndFalls)
{
    const VoiceEnvelope env = VoiceEnvelope::make(1.0f, 0.25f, 0.5f, false, false);
    EXPECT_FLOAT_EQ(env.riseEnd, 0.24975f);
    EXPECT_FLOAT_EQ(env.fallStart, 0.624875f);
    EXPECT_FLOAT_EQ(env.fallLength, 0.375125f);
    EXPECT_NEAR(env.at(0.24975f / 2.0f), 0.75f, 1e-5f);  // soft rise
    EXPECT_FLOAT_EQ(env.at(0.3f), 1.0f);
    EXPECT_FLOAT_EQ(env.at(0.6f), 1.0f);
    EXPECT_NEAR(env.at(0.624875f + 0.375125f / 2.0f), 0.9f, 1e-5f);  // steep fall: 1 - 0.1
    EXPECT_NEAR(env.at(1.0f), 0.0f, 1e-5f);
}

TEST(VoiceEnvelope, CurveFlagsSwapTheBends)
{
    const VoiceEnvelope env = VoiceEnvelope::make(1.0f, 0.25f, 0.5f, true, true);
    EXPECT_NEAR(env.at(0.24975f / 2.0f), 0.1f, 1e-5f);
    EXPECT_NEAR(env.at(0.624875f + 0.375125f / 2.0f), 0.25f, 1e-5f);
}

TEST(VoiceEnvelope, ZeroLengthSegmentsAreSkipped)
{
    const VoiceEnvelope noRise = VoiceEnvelope::make(1.0f, 0.0f, 0.5f, false, false);
    EXPECT_FLOAT_EQ(noRise.at(0.0f), 1.0f);
    EXPECT_FLOAT_EQ(noRise.at(1e-6f), 1.0f);
    const VoiceEnvelope noFall = VoiceEnvelope::make(1.0f, 0.25f, 0.0f, false, false);
    EXPECT_FLOAT_EQ(noFall.fallStart, 1.0f);
    EXPECT_FLOAT_EQ(noFall.at(0.999f), 1.0f);
    const float atEnd = noFall.at(1.0f);
    EXPECT_TRUE(std::isfinite(atEnd));
}

TEST(SimpleSynth, DefaultNoteGoesIdleInTheFrameTimePassesOneSecond)
{
    // Independent float count of 1/44100 steps until the sum exceeds 1 s.
    const float step = 1.0f / 44100.0f;
    float t = 0.0f;
    int idleFrame = 0;
    while (true) {
        t = t + step;
        if (t > 1.0f)
            break;
        ++idleFrame;
    }
    // Float accumulation lets the sum lag behind: some twenty frames late.
    ASSERT_GE(idleFrame, 44100);
    ASSERT_LE(idleFrame, 44130);

    SimpleSynth voice;
    voice.noteOn(220.0f, 0);
    auto out = silence(idleFrame);
    voice.render(out.data(), idleFrame);
    EXPECT_TRUE(voice.isActive());
    voice.render(out.data(), 1);
    EXPECT_FALSE(voice.isActive());
}

TEST(SimpleSynth, IdleFrameAddsNothingAndLeavesTheRestOfTheBuffer)
{
    SimpleSynth voice;
    voice.setParameter("noteLength", 0.01f, true);  // 882 frames
    voice.noteOn(220.0f, 0);
    auto out = silence(2000);
    voice.render(out.data(), 2000);
    EXPECT_FALSE(voice.isActive());
    for (int i = 882; i < 2000; ++i)
        ASSERT_EQ(out[i].left, 0.0f) << i;
    bool sounded = false;
    for (int i = 0; i < 882; ++i)
        sounded = sounded || out[i].left != 0.0f;
    EXPECT_TRUE(sounded);
}

TEST(SimpleSynth, StartOffsetSoundsOneFrameEarlierExceptAtZero)
{
    SimpleSynth voice;
    voice.noteOn(440.0f, 5);
    auto out = silence(4);
    voice.render(out.data(), 4);  // frames 0..3: waiting
    EXPECT_TRUE(voice.isWaiting());
    EXPECT_EQ(voice.elapsed(), 0.0f);

    SimpleSynth second;
    second.noteOn(440.0f, 5);
    auto five = silence(5);
    second.render(five.data(), 5);  // frame 4 is the first sounding frame
    EXPECT_FALSE(second.isWaiting());
    EXPECT_FLOAT_EQ(second.elapsed(), 1.0f / 44100.0f);

    SimpleSynth atZero;
    atZero.noteOn(440.0f, 0);
    auto one = silence(1);
    atZero.render(one.data(), 1);
    EXPECT_FLOAT_EQ(atZero.elapsed(), 1.0f / 44100.0f);
}

TEST(SimpleSynth, BandFollowsTheSoundingFrequency)
{
    EXPECT_EQ(SimpleSynth::bandFor(440.0f), 0);
    EXPECT_EQ(SimpleSynth::bandFor(440.001f), 1);
    EXPECT_EQ(SimpleSynth::bandFor(880.0f), 2);
    EXPECT_EQ(SimpleSynth::bandFor(880.001f), 3);
    EXPECT_EQ(SimpleSynth::bandFor(1540.0f), 5);
    EXPECT_EQ(SimpleSynth::bandFor(1541.0f), 6);

    SimpleSynth voice;
    voice.noteOn(880.001f, 0);
    EXPECT_EQ(voice.sawTable(), WaveTables::shared().saw(3));
    EXPECT_EQ(voice.squareTable(), WaveTables::shared().square(3));
    voice.setParameter("octave", 2.0f, true);
    voice.noteOn(440.0f, 0);
    EXPECT_FLOAT_EQ(voice.mainFrequency(), 880.0f);
    EXPECT_FLOAT_EQ(voice.detunedFrequency(), 880.0f * 0.999f);
    EXPECT_EQ(voice.sawTable(), WaveTables::shared().saw(2));
}

TEST(SimpleSynth, ParameterNamesAndDefaults)
{
    SimpleSynth voice;
    ASSERT_EQ(voice.parameterCount(), 16);
    const char* names[] = {"waveAmount",    "filterCutoff",    "filterRes",        "filterAttackCurve",
                           "filterReleaseCurve", "filterAttackTime", "filterReleaseTime", "filterEnvAmount",
                           "attackCurve",   "releaseCurve",    "attackTime",       "releaseTime",
                           "noteLength",    "distGain",        "octave",           "detunedSawAmount"};
    const float defaults[] = {0.0f, 0.5f, 0.0f, 0.0f, 0.0f, 0.25f, 0.5f, 0.01f,
                              0.0f, 0.0f, 0.25f, 0.5f, 0.5f, 1.0f, 1.0f, 0.0f};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(voice.parameterName(i), names[i]);
        EXPECT_EQ(voice.getParameter(i), defaults[i]) << names[i];
    }
    EXPECT_EQ(voice.parameterName(16), "");
    EXPECT_EQ(voice.parameterName(-1), "");
    EXPECT_EQ(voice.getParameter(16), 0.0f);
}

TEST(SimpleSynth, NormalisedValuesAreMappedRawValuesStored)
{
    SimpleSynth voice;
    voice.setParameter("octave", 1.5f, false);
    EXPECT_EQ(voice.getParameter(14), 2.0f);
    voice.setParameter("octave", 1.5f, true);
    EXPECT_EQ(voice.getParameter(14), 1.5f);
    const float octaves[][2] = {{0.5f, 4.0f}, {0.9f, 2.0f}, {2.5f, 1.0f}, {3.5f, 0.5f}, {3.9f, 0.25f}, {10.0f, 0.25f}};
    for (const auto& pair : octaves) {
        voice.setParameter("octave", pair[0], false);
        EXPECT_EQ(voice.getParameter(14), pair[1]) << pair[0];
    }
    voice.setParameter("attackCurve", 0.5f, true);
    EXPECT_EQ(voice.getParameter(8), 0.0f);
    voice.setParameter("attackCurve", 0.51f, false);
    EXPECT_EQ(voice.getParameter(8), 1.0f);
    voice.setParameter("filterCutoff", 0.5f, false);
    EXPECT_NEAR(voice.getParameter(1), 0.5f * 0.1f + 0.25f, 1e-6f);
    voice.setParameter("noteLength", 0.0f, false);
    EXPECT_FLOAT_EQ(voice.getParameter(12), 0.05f);
    voice.setParameter("noteLength", 1.0f, false);
    EXPECT_FLOAT_EQ(voice.getParameter(12), 1.0f);
    voice.setParameter("distGain", 1.0f, false);
    EXPECT_FLOAT_EQ(voice.getParameter(13), 4.0f);
    voice.setParameter("waveAmount", 0.7f, false);
    EXPECT_FLOAT_EQ(voice.getParameter(0), 0.7f);
    // Names are exact and case-sensitive.
    voice.setParameter("Octave", 4.0f, true);
    voice.setParameter("octave ", 4.0f, true);
    voice.setParameter("", 4.0f, true);
    EXPECT_EQ(voice.getParameter(14), 0.25f);
}

TEST(SimpleSynth, ZeroPitchKeepsTheOscillatorsStill)
{
    SimpleSynth voice;
    voice.noteOn(0.0f, 0);
    auto out = silence(512);
    voice.render(out.data(), 512);
    EXPECT_EQ(voice.mainPhase(), 0.0f);
    EXPECT_EQ(voice.detunedPhase(), 0.0f);
}

TEST(SimpleSynth, DetunedSawAdvancesEvenWhenUnheard)
{
    SimpleSynth plain;
    plain.noteOn(100.0f, 0);
    auto out = silence(100);
    plain.render(out.data(), 100);
    EXPECT_GT(plain.detunedPhase(), 0.0f);

    // The detuned saw only adds when its amount is above 0.
    SimpleSynth layered;
    layered.setParameter("detunedSawAmount", 0.5f, true);
    layered.noteOn(100.0f, 0);
    auto both = silence(100);
    layered.render(both.data(), 100);
    bool differs = false;
    for (int i = 0; i < 100; ++i)
        differs = differs || both[i].left != out[i].left;
    EXPECT_TRUE(differs);
}

TEST(SimpleSynth, PhaseIncrementIsTableLengthPerPeriod)
{
    SimpleSynth voice;
    voice.noteOn(441.0f, 0);  // 1024 / (44100 / 441) = 10.24 per frame
    auto out = silence(10);
    voice.render(out.data(), 10);
    EXPECT_NEAR(voice.mainPhase(), 102.4f, 1e-3f);
    EXPECT_NEAR(voice.detunedPhase(), 102.4f * 0.999f, 1e-3f);
}

TEST(SimpleSynth, AbsurdPitchesNeverReadOutsideTheTables)
{
    const float pitches[] = {1e9f, 50000.0f, -300.0f, std::numeric_limits<float>::infinity(),
                             std::numeric_limits<float>::quiet_NaN()};
    for (float pitch : pitches) {
        SimpleSynth voice;
        voice.noteOn(pitch, 0);
        auto out = silence(2048);
        voice.render(out.data(), 2048);
        EXPECT_GE(voice.mainPhase(), 0.0f) << pitch;
        EXPECT_LT(voice.mainPhase(), 1024.0f) << pitch;
        for (const StereoFrame& frame : out)
            ASSERT_TRUE(std::isfinite(frame.left)) << pitch;
    }
}

TEST(SimpleSynth, CutoffBelowFiftyHertzIsRaised)
{
    SimpleSynth voice;
    voice.setParameter("filterCutoff", -0.1f, true);
    voice.noteOn(110.0f, 0);
    auto out = silence(64);
    voice.render(out.data(), 64);
    EXPECT_EQ(voice.ladder().currentCutoff(), 50.0);

    SimpleSynth closing;
    closing.setParameter("filterCutoff", 0.0f, true);
    closing.setParameter("filterEnvAmount", -1.0f, true);
    closing.noteOn(110.0f, 0);
    closing.render(out.data(), 64);
    EXPECT_EQ(closing.ladder().currentCutoff(), 50.0);
}

TEST(SimpleSynth, OutputStaysBelowHalfScale)
{
    SimpleSynth voice;
    voice.setParameter("distGain", 50.0f, true);
    voice.setParameter("filterRes", 1.2f, true);
    voice.noteOn(55.0f, 0);
    auto out = silence(44100);
    voice.render(out.data(), 44100);
    for (const StereoFrame& frame : out) {
        ASSERT_LE(std::fabs(frame.left), 0.5f);
        ASSERT_EQ(frame.left, frame.right);
    }
}

TEST(LadderFilter, CoefficientsFollowCutoffAndResonance)
{
    LadderFilter filter;
    EXPECT_EQ(filter.currentCutoff(), 440.0);
    EXPECT_EQ(filter.resonance(), 0.9);
    const double f = 2.0 * 440.0 / 44100.0;
    const double p = (1.8 - 0.8 * f) * f;
    EXPECT_DOUBLE_EQ(filter.stageCoefficient(), p);
    EXPECT_DOUBLE_EQ(filter.poleCoefficient(), 2.0 * p - 1.0);
    // The feedback gain approximates res * e^((1 - p) * 1.386249).
    const double exact = 0.9 * std::exp((1.0 - p) * 1.386249);
    EXPECT_NEAR(filter.feedbackGain() / exact, 1.0, 0.01);
    filter.set(10.0, 0.3);
    EXPECT_EQ(filter.currentCutoff(), 50.0);
    EXPECT_EQ(filter.resonance(), 0.3);
}

TEST(LadderFilter, PassesLowFrequenciesAndStopsHighOnes)
{
    LadderFilter filter;
    filter.set(2000.0, 0.0);
    double lowPeak = 0.0, highPeak = 0.0;
    for (int i = 0; i < 44100; ++i) {
        const double y = filter.process(0.5 * std::sin(2.0 * 3.14159265358979 * 100.0 * i / 44100.0));
        if (i > 22050)
            lowPeak = std::max(lowPeak, std::fabs(y));
    }
    filter.reset();
    filter.set(500.0, 0.0);
    for (int i = 0; i < 44100; ++i) {
        const double y = filter.process(0.5 * std::sin(2.0 * 3.14159265358979 * 8000.0 * i / 44100.0));
        if (i > 22050)
            highPeak = std::max(highPeak, std::fabs(y));
    }
    EXPECT_GT(lowPeak, 0.4);
    EXPECT_LT(highPeak, 0.001);
}

TEST(LadderFilter, NonFiniteStatesRestartFromSilence)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double bad : {-inf, inf, nan, 1e200, -1e200}) {
        LadderFilter filter;
        filter.set(1000.0, 0.5);
        for (int i = 0; i < 10; ++i)
            filter.process(0.3);
        const float out = filter.process(bad);
        EXPECT_TRUE(std::isfinite(out)) << bad;
        // The next ordinary samples are ordinary again.
        for (int i = 0; i < 100; ++i) {
            const float y = filter.process(0.3);
            ASSERT_TRUE(std::isfinite(y)) << bad;
            ASSERT_LT(std::fabs(y), 2.0f);
        }
        EXPECT_TRUE(std::isfinite(filter.previousInput()));
    }
}

TEST(DenormalGuard, FlushesSubnormalsWhileAliveAndRestoresAfter)
{
    volatile float tiny = 1e-39f;  // below the smallest normal float
    volatile float one = 1.0f;
    ASSERT_NE(tiny * one, 0.0f);
    {
        const DenormalGuard guard;
        EXPECT_EQ(tiny * one, 0.0f);
    }
    EXPECT_NE(tiny * one, 0.0f);
}
