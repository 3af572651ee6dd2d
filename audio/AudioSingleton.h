#pragma once
#include "audio/ClapSynth.h"
#include "audio/CrashSynth.h"
#include "audio/HatSynth.h"
#include "audio/KickSynth.h"
#include "audio/ListenerSlot.h"
#include "audio/PitchTable.h"
#include "audio/PolyphonicSynth.h"
#include "audio/SequencerCursor.h"
#include "audio/SoundEffects.h"
#include "audio/SpscQueue.h"
#include "base/FilePath.h"

#include <atomic>
#include <cstdint>

// The process-wide audio engine: five voice groups, four drums and a 16-step
// sequencer whose grid the game edits while the audio thread renders, and
// the sound effects. render is the audio thread's; toggleStep, clearSteps
// and restartSequence may be called from either thread (the loop listener
// edits the grid on the audio thread); setLoopListener, playBoom and the
// effects' play calls belong to the game thread.
// Nothing here locks, and the audio thread never waits.
class AudioSingleton : public SequencerCursor::Callback {
public:
    static constexpr int groupCount = 5;
    static constexpr int trackCount = 8;
    static constexpr int melodicTracks = 4;
    static constexpr int drumCount = 4;
    static constexpr int boomGroup = 4;
    static constexpr int emptyCell = -1;
    static constexpr int pendingNoteCapacity = 64;  // booms waiting for the audio thread
    // Impact notes in Hz, started in this order.
    static constexpr float boomFrequencies[3] = {110.0f, 220.0f, 223.0f};
    // Patch file of each group, in loading order; the extension is ours.
    static constexpr const char* patchNames[groupCount] = {"SeqBass", "SeqPad", "SeqHi", "SeqDuck", "Bom"};
    static constexpr const char* patchExtension = ".patch";
    static constexpr const char* patchFolder = "synthPatches";
    static constexpr const char* pitchFolder = "pitches";

    // Told on the audio thread each time the 16-step loop starts again.
    class Callback {
    public:
        virtual ~Callback() = default;
        virtual void onLoopStart() = 0;
    };

    static AudioSingleton& instance();

    // An engine reading its patches and pitches below `dataDirectory`;
    // instance() looks each folder up on its own (FilePath::dataFolder).
    explicit AudioSingleton(const FilePath& dataDirectory);
    AudioSingleton(const FilePath& patches, const FilePath& pitches);
    ~AudioSingleton() override = default;
    AudioSingleton(const AudioSingleton&) = delete;
    AudioSingleton& operator=(const AudioSingleton&) = delete;

    // Audio thread: advance the sequencer and add every sounding voice to
    // `out` (two floats per frame, left then right), then bend whatever
    // lies beyond the soft clip's knee so that no sample leaves [-1, 1].
    void render(float* out, int frames);

    // The cell becomes empty (-1) when it holds `value` already, else `value`.
    // Cells outside the grid are ignored.
    void toggleStep(int track, int step, int value);
    void clearSteps();
    // Step 0 sounds on the very next rendered frame.
    void restartSequence();
    // Does not return while the audio thread is still inside the previous
    // listener's onLoopStart (unless called from inside it).
    void setLoopListener(Callback* listener);
    // The impact sound: three notes on voice group 4, from the next buffer.
    void playBoom();
    // The sound effects (SoundEffects.h), from the next buffer. Speeds in
    // cells per frame: a kick's pitch rises with its flight speed, a
    // landing's thud grows with the fall speed.
    void playWallKick(float flightSpeed) { effects.playWallKick(flightSpeed); }
    void playLanding(float fallSpeed) { effects.playLanding(fallSpeed); }
    void playMark() { effects.playMark(); }
    // A press that was wasted, or a kick that ended at once: soft cues.
    void playPressCue(PressCue::Kind kind) { effects.playPressCue(kind); }
    // False silences the sequencer's notes and drums; booms and effects still sound.
    void setMusicEnabled(bool enabled);
    // Game thread, before the stream stops: everything ramps down to silence
    // over fadeOutSeconds and stays silent, so that cutting the stream off
    // clicks no more. fadedOut tells when the last ramped buffer is rendered.
    void fadeOut() { fadeRequested.store(true, std::memory_order_release); }
    bool fadedOut() const { return fadeFinished.load(std::memory_order_acquire); }
    static constexpr float fadeOutSeconds = 0.02f;
    // Through a sound server a new stream takes its first buffers at once,
    // then may take nothing more for a while (0.1 to 0.5 s measured through
    // PulseAudio, longer on a busy machine) until the server plays it: a
    // sound started then falls on the stream's first moment, or before it,
    // and may never be heard. Game thread, once the stream runs: isHeard
    // turns true when the stream has pulled twice its latency and then
    // heardAfterSeconds more since, which only a stream that really plays does.
    // Without a stream nothing is awaited.
    void awaitStream(double outputLatencySeconds);
    bool isHeard() const
    {
        return renderedFrames.load(std::memory_order_relaxed) >= framesBeforeHeard.load(std::memory_order_relaxed);
    }
    static constexpr double heardAfterSeconds = 0.1;
    // The rate `render` fills buffers at; every voice, drum and the
    // sequencer take theirs from it. Only while nothing renders (before the
    // stream starts); the reference rate until then.
    void setSampleRate(SampleRate rate);
    SampleRate sampleRate() const { return rate; }
    bool musicEnabled() const { return music.load(std::memory_order_relaxed); }

    void onStep(int step, int frameOffset) override;

    // Replaces the randomly drawn pitch table; for tools, before rendering.
    bool loadPitchFile(const std::string& path) { return pitchTable.loadFile(path); }

    // Read-only views for tools and tests.
    int stepValue(int track, int step) const { return steps[track][step].load(std::memory_order_relaxed); }
    float pitch(int index) const { return pitchTable[index]; }
    const SimpleSynth& voice(int group, int index) const { return voiceGroups[group].voices[index]; }
    const Synthesizer& drum(int index) const { return *drums[index]; }
    const SequencerCursor& sequencer() const { return cursor; }
    Callback* loopListener() const { return listener.get(); }
    int activeVoices(int group) const;
    const SoundEffects& soundEffects() const { return effects; }

private:
    struct NoteRequest {
        int group;
        float frequency;
    };

    void startNote(int group, float frequency, int frameOffset);
    void takePendingNotes();
    void applyFadeOut(float* out, int frames);

    SequencerCursor cursor;
    PolyphonicSynth voiceGroups[groupCount];
    KickSynth kick;
    ClapSynth clap;
    HatSynth hat;
    CrashSynth crash;
    Synthesizer* drums[drumCount] = {&kick, &clap, &hat, &crash};
    std::atomic<int> steps[trackCount][SequencerCursor::stepCount];
    PitchTable pitchTable;
    ListenerSlot<Callback> listener;
    SpscQueue<NoteRequest, pendingNoteCapacity> pendingNotes;
    SoundEffects effects;
    std::atomic<bool> restartPending{false};
    std::atomic<bool> music{true};
    std::atomic<bool> fadeRequested{false};
    std::atomic<bool> fadeFinished{false};
    std::atomic<int64_t> renderedFrames{0};   // written by the audio thread only
    std::atomic<int64_t> framesBeforeHeard{0};
    float fadeGain = 1.0f; // audio thread only
    SampleRate rate;
};
