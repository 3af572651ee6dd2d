#include "audio/AudioSingleton.h"

#include "audio/DenormalGuard.h"
#include "audio/SoftClip.h"

#include <algorithm>

// The audio thread counts its frames without ever waiting.
static_assert(std::atomic<int64_t>::is_always_lock_free);

AudioSingleton& AudioSingleton::instance()
{
    // Each folder on its own: one missing beside the game may be installed.
    static AudioSingleton engine(FilePath::dataFolder(patchFolder), FilePath::dataFolder(pitchFolder));
    return engine;
}

AudioSingleton::AudioSingleton(const FilePath& dataDirectory)
    : AudioSingleton(dataDirectory.join(std::string(patchFolder)), dataDirectory.join(std::string(pitchFolder)))
{
}

AudioSingleton::AudioSingleton(const FilePath& patches, const FilePath& pitches)
{
    for (int group = 0; group < groupCount; ++group)
        voiceGroups[group].loadParameters(patches.join(std::string(patchNames[group]) + patchExtension).text());
    clearSteps();
    pitchTable.loadRandomFile(pitches);
    cursor.setCallback(this);
}

void AudioSingleton::render(float* out, int frames)
{
    if (out == nullptr || frames <= 0)
        return;
    const DenormalGuard flushDenormals;
    if (restartPending.exchange(false, std::memory_order_acq_rel))
        cursor.reset();
    takePendingNotes();
    // All notes and drums of this buffer start before anything renders it.
    cursor.advance(frames);

    StereoFrame* buffer = reinterpret_cast<StereoFrame*>(out);
    for (int group = 0; group < groupCount; ++group) {
        voiceGroups[group].render(buffer, frames);
        // Each drum mixes right after the group that shares its track row.
        if (group < drumCount && drums[group]->isActive())
            drums[group]->render(buffer, frames);
    }
    effects.render(buffer, frames, pitchTable.values());
    // Whatever the voices added up to, the device gets at most full scale.
    SoftClip::apply(out, 2 * frames);
    if (fadeRequested.load(std::memory_order_acquire))
        applyFadeOut(out, frames);
    renderedFrames.store(renderedFrames.load(std::memory_order_relaxed) + frames, std::memory_order_relaxed);
}

void AudioSingleton::applyFadeOut(float* out, int frames)
{
    const float step = rate.framePeriod() / fadeOutSeconds;
    for (int frame = 0; frame < frames; ++frame) {
        out[2 * frame] *= fadeGain;
        out[2 * frame + 1] *= fadeGain;
        fadeGain = fadeGain > step ? fadeGain - step : 0.0f;
    }
    if (fadeGain == 0.0f)
        fadeFinished.store(true, std::memory_order_release);
}

void AudioSingleton::takePendingNotes()
{
    NoteRequest request;
    while (pendingNotes.pop(request))
        startNote(request.group, request.frequency, 0);
}

void AudioSingleton::startNote(int group, float frequency, int frameOffset)
{
    voiceGroups[group].startNote(frequency, frameOffset);
}

void AudioSingleton::onStep(int step, int frameOffset)
{
    if (step == 0)
        listener.call([](Callback& receiver) { receiver.onLoopStart(); });
    if (!music.load(std::memory_order_relaxed))
        return;
    for (int track = 0; track < melodicTracks; ++track) {
        const int value = steps[track][step].load(std::memory_order_relaxed);
        if (value >= 0 && value < PitchTable::size)
            startNote(track, pitchTable[value], frameOffset);
    }
    for (int track = melodicTracks; track < trackCount; ++track) {
        const int value = steps[track][step].load(std::memory_order_relaxed);
        if (value >= 0)
            drums[track - melodicTracks]->trigger(true, frameOffset, value % 2 == 1);
    }
}

void AudioSingleton::toggleStep(int track, int step, int value)
{
    if (track < 0 || track >= trackCount || step < 0 || step >= SequencerCursor::stepCount)
        return;
    std::atomic<int>& cell = steps[track][step];
    int held = cell.load(std::memory_order_relaxed);
    // Both threads toggle cells; the exchange keeps a toggle whole.
    while (!cell.compare_exchange_weak(held, held == value ? emptyCell : value, std::memory_order_relaxed)) {
    }
}

void AudioSingleton::clearSteps()
{
    for (auto& track : steps)
        for (std::atomic<int>& cell : track)
            cell.store(emptyCell, std::memory_order_relaxed);
}

void AudioSingleton::restartSequence()
{
    restartPending.store(true, std::memory_order_release);
}

void AudioSingleton::setLoopListener(Callback* receiver)
{
    listener.set(receiver);
}

void AudioSingleton::playBoom()
{
    for (float frequency : boomFrequencies)
        pendingNotes.push({boomGroup, frequency});
}

void AudioSingleton::awaitStream(double outputLatencySeconds)
{
    const double seconds = 2.0 * std::max(outputLatencySeconds, 0.0) + heardAfterSeconds;
    framesBeforeHeard.store(renderedFrames.load(std::memory_order_relaxed) + static_cast<int64_t>(seconds * rate.hertz()),
                            std::memory_order_relaxed);
}

void AudioSingleton::setMusicEnabled(bool enabled)
{
    music.store(enabled, std::memory_order_relaxed);
}

void AudioSingleton::setSampleRate(SampleRate newRate)
{
    // Setting the rate again recomputes nothing: the filters keep the
    // coefficients they were left with.
    if (newRate == rate)
        return;
    rate = newRate;
    cursor.setSampleRate(rate);
    for (PolyphonicSynth& group : voiceGroups)
        group.setSampleRate(rate);
    for (Synthesizer* drum : drums)
        drum->setSampleRate(rate);
    effects.setSampleRate(rate);
}

int AudioSingleton::activeVoices(int group) const
{
    return voiceGroups[group].activeCount();
}
