#include "audio/SimpleSynth.h"

#include "audio/ShapeCurve.h"
#include "audio/VoiceEnvelope.h"
#include "audio/WaveTables.h"

#include <cmath>

namespace {

constexpr float engineRate = 44100.0f;    // Hz, whatever the device runs at
constexpr float cutoffSpan = 10975.0f;    // filterCutoff 1 = 10975 Hz
constexpr float cutoffCeiling = 11025.0f; // a full positive envelope ends at 11025 + 50 Hz
constexpr float cutoffFloor = 50.0f;      // added to every cutoff
constexpr float detuneRatio = 0.999f;
constexpr float outputLevel = 0.5f;
// Upper frequency of bands 0..5 in Hz; above the last, band 6.
constexpr float bandTops[] = {440.0f, 660.0f, 880.0f, 1100.0f, 1320.0f, 1540.0f};

constexpr const char* names[SimpleSynth::parameterTotal] = {
    "waveAmount",       "filterCutoff",      "filterRes",       "filterAttackCurve",
    "filterReleaseCurve", "filterAttackTime", "filterReleaseTime", "filterEnvAmount",
    "attackCurve",      "releaseCurve",      "attackTime",      "releaseTime",
    "noteLength",       "distGain",          "octave",          "detunedSawAmount"};

inline float readTable(const float* table, float phase, int length)
{
    const int n = static_cast<int>(phase);
    const float f = phase - static_cast<float>(n);
    const int next = (n == length - 1) ? 0 : n + 1;
    return table[n] * (1.0f - f) + f * table[next];
}

// One wrap per frame suffices for any frequency below the engine rate; a
// pitch file with absurd or non-finite values must not push the read outside
// the table, so the rare remainder is folded back here.
inline float wrapPhase(float phase, float length)
{
    if (phase >= length)
        phase -= length;
    if (!(phase >= 0.0f && phase < length)) {
        phase = std::fmod(phase, length);
        if (phase < 0.0f)
            phase += length;
        if (!(phase >= 0.0f && phase < length))
            phase = 0.0f;
    }
    return phase;
}

} // namespace

SimpleSynth::SimpleSynth()
    : tableLength(WaveTables::tableLength),
      tableA(WaveTables::shared().saw(0)),
      tableB(WaveTables::shared().square(0))
{
}

int SimpleSynth::bandFor(float frequency)
{
    int band = 0;
    for (float top : bandTops) {
        if (frequency <= top)
            return band;
        ++band;
    }
    return band;
}

bool SimpleSynth::noteOn(float frequency, int frameOffset)
{
    freqMain = octave * frequency;
    freqDetuned = freqMain * detuneRatio;
    const int band = bandFor(freqMain);
    tableA = WaveTables::shared().saw(band);
    tableB = WaveTables::shared().square(band);
    envTime = 0.0f;
    waiting = true;
    startDelay = frameOffset;
    active = true;
    return true;
}

void SimpleSynth::render(StereoFrame* out, int frames)
{
    const float total = 2.0f * noteLength;
    const VoiceEnvelope amplitude = VoiceEnvelope::make(total, attackTime, releaseTime, attackCurve, releaseCurve);
    const VoiceEnvelope cutoffShape =
        VoiceEnvelope::make(total, filterAttackTime, filterReleaseTime, filterAttackCurve, filterReleaseCurve);
    if (!active)
        return;

    const float length = static_cast<float>(tableLength);
    const float incMain = length / (engineRate / freqMain);
    const float incDetuned = length / (engineRate / freqDetuned);
    const float base = filterCutoff * cutoffSpan;
    const float mix = waveAmount, detuned = detunedSawAmount, envAmount = filterEnvAmount;
    const float gain = distGain, step = timeStep;
    const double resonance = filterRes;
    const float* saw = tableA;
    const float* square = tableB;
    float time = envTime, phase = phaseMain, phase2 = phaseDetuned;
    bool wait = waiting;
    int delay = startDelay;
    bool ended = false;

    for (int i = 0; i < frames; ++i) {
        if (wait && delay >= 0) {
            --delay;
            if (delay > 0)
                continue;
            wait = false;
        }
        time = time + step;
        if (time > total) {
            ended = true;
            break;
        }
        const float a = amplitude.at(time);
        const float fe = cutoffShape.at(time) * envAmount;

        float s = (1.0f - mix) * readTable(saw, phase, tableLength) + mix * readTable(square, phase, tableLength);
        if (detuned > 0.0f)
            s = s + detuned * readTable(saw, phase2, tableLength);
        phase = wrapPhase(phase + incMain, length);
        phase2 = wrapPhase(phase2 + incDetuned, length);

        const float cutoff = base + fe * (fe < 0.0f ? base : cutoffCeiling - base) + cutoffFloor;
        filter.set(cutoff, resonance);
        const float y = filter.process(s);
        const float o = outputLevel * a * std::tanh(gain * y);
        out[i].left += o;
        out[i].right += o;
    }
    envTime = time;
    phaseMain = phase;
    phaseDetuned = phase2;
    waiting = wait;
    startDelay = delay;
    if (ended)
        active = false;
}

int SimpleSynth::parameterIndex(std::string_view name)
{
    for (int i = 0; i < parameterTotal; ++i)
        if (name == names[i])
            return i;
    return -1;
}

std::string SimpleSynth::parameterName(int index) const
{
    if (index < 0 || index >= parameterTotal)
        return {};
    return names[index];
}

float SimpleSynth::getParameter(int index) const
{
    switch (index) {
    case 0: return waveAmount;
    case 1: return filterCutoff;
    case 2: return filterRes;
    case 3: return filterAttackCurve ? 1.0f : 0.0f;
    case 4: return filterReleaseCurve ? 1.0f : 0.0f;
    case 5: return filterAttackTime;
    case 6: return filterReleaseTime;
    case 7: return filterEnvAmount;
    case 8: return attackCurve ? 1.0f : 0.0f;
    case 9: return releaseCurve ? 1.0f : 0.0f;
    case 10: return attackTime;
    case 11: return releaseTime;
    case 12: return noteLength;
    case 13: return distGain;
    case 14: return octave;
    case 15: return detunedSawAmount;
    default: return 0.0f;
    }
}

void SimpleSynth::setParameter(const std::string& name, float value, bool raw)
{
    const bool flag = value > 0.5f;
    switch (parameterIndex(name)) {
    case 0: waveAmount = value; break;
    case 1: filterCutoff = raw ? value : 0.5f * shapeCurve(value, steepCurve) + 0.5f * value; break;
    case 2: filterRes = value; break;
    case 3: filterAttackCurve = flag; break;
    case 4: filterReleaseCurve = flag; break;
    case 5: filterAttackTime = value; break;
    case 6: filterReleaseTime = value; break;
    case 7: filterEnvAmount = value; break;
    case 8: attackCurve = flag; break;
    case 9: releaseCurve = flag; break;
    case 10: attackTime = value; break;
    case 11: releaseTime = value; break;
    case 12: noteLength = raw ? value : 0.05f + 0.95f * value; break;
    case 13: distGain = raw ? value : 1.0f + 3.0f * value; break;
    case 14:
        if (raw)
            octave = value;
        else if (value < 0.9f)
            octave = 4.0f;
        else if (value < 1.9f)
            octave = 2.0f;
        else if (value < 2.9f)
            octave = 1.0f;
        else if (value < 3.9f)
            octave = 0.5f;
        else
            octave = 0.25f;
        break;
    case 15: detunedSawAmount = value; break;
    default: break;
    }
}
