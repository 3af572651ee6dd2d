#include "audio/SimpleSynth.h"

#include "audio/ShapeCurve.h"
#include "audio/WaveTables.h"

namespace {

constexpr float detuneRatio = 0.999f;
// Upper frequency of bands 0..5 in Hz; above the last, band 6.
constexpr float bandTops[] = {440.0f, 660.0f, 880.0f, 1100.0f, 1320.0f, 1540.0f};

constexpr const char* names[SimpleSynth::parameterTotal] = {
    "waveAmount",       "filterCutoff",      "filterRes",       "filterAttackCurve",
    "filterReleaseCurve", "filterAttackTime", "filterReleaseTime", "filterEnvAmount",
    "attackCurve",      "releaseCurve",      "attackTime",      "releaseTime",
    "noteLength",       "distGain",          "octave",          "detunedSawAmount"};

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

void SimpleSynth::setSampleRate(SampleRate rate)
{
    timeStep = rate.framePeriod();
    framesPerSecond = rate.hertz();
    filter.setSampleRate(rate);
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
