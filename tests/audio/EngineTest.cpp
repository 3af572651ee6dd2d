#include "TempFolder.h"

#include "base/RandomGenerator.h"
#include "audio/AudioSingleton.h"
#include "audio/ClapSynth.h"
#include "audio/CrashSynth.h"
#include "audio/HatSynth.h"
#include "audio/KickSynth.h"
#include "audio/PolyphonicSynth.h"
#include "audio/SoftClip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// The voice clock: 1/44100 s added once per sounding frame, in float.
float clockAfter(int frames, float start = 0.0f)
{
    float t = start;
    for (int i = 0; i < frames; ++i)
        t = t + 1.0f / 44100.0f;
    return t;
}

const FilePath dataFolder = FilePath::executableDirectory();

std::string patchPath(const char* name)
{
    return dataFolder.join(std::string("synthPatches")).join(std::string(name) + ".patch").text();
}

std::unique_ptr<AudioSingleton> makeEngine()
{
    return std::make_unique<AudioSingleton>(dataFolder);
}

// Renders `frames` frames into a zeroed buffer and returns it.
std::vector<float> renderFrames(AudioSingleton& engine, int frames)
{
    std::vector<float> out(static_cast<size_t>(frames) * 2, 0.0f);
    engine.render(out.data(), frames);
    return out;
}

bool silent(const std::vector<float>& samples)
{
    for (float s : samples)
        if (s != 0.0f)
            return false;
    return true;
}

class CountingListener : public AudioSingleton::Callback {
public:
    void onLoopStart() override { ++calls; }
    int calls = 0;
};

// Writes step 0 of track 0 from inside the loop start.
class EditingListener : public AudioSingleton::Callback {
public:
    explicit EditingListener(AudioSingleton& engine) : engine(engine) {}
    void onLoopStart() override { engine.toggleStep(0, 0, 3); }
    AudioSingleton& engine;
};

} // namespace

TEST(AudioEngine, ConstructionLoadsPatchesEmptyGridAndAPitchFile)
{
    auto engine = makeEngine();
    for (int track = 0; track < 8; ++track)
        for (int step = 0; step < 16; ++step)
            ASSERT_EQ(engine->stepValue(track, step), -1);
    // Every shipped pitch file holds eight frequencies: the table is full.
    for (int i = 0; i < 8; ++i)
        EXPECT_GT(engine->pitch(i), 0.0f) << i;
    // Group 0 carries the bass patch, not the defaults.
    PolyphonicSynth bass;
    ASSERT_TRUE(bass.loadParameters(patchPath("SeqBass")));
    for (int p = 0; p < 16; ++p)
        EXPECT_EQ(engine->voice(0, 31).getParameter(p), bass.voices[0].getParameter(p)) << p;
    EXPECT_EQ(engine->loopListener(), nullptr);
    EXPECT_TRUE(engine->musicEnabled());
}

TEST(AudioEngine, ToggleStepStoresEmptiesAndReplaces)
{
    auto engine = makeEngine();
    engine->toggleStep(0, 6, 7);
    EXPECT_EQ(engine->stepValue(0, 6), 7);
    engine->toggleStep(0, 6, 7);
    EXPECT_EQ(engine->stepValue(0, 6), -1);
    engine->toggleStep(0, 6, 7);
    engine->toggleStep(0, 6, 3);
    EXPECT_EQ(engine->stepValue(0, 6), 3);
    engine->toggleStep(0, 6, -1);
    EXPECT_EQ(engine->stepValue(0, 6), -1);
    engine->toggleStep(0, 6, -1);
    EXPECT_EQ(engine->stepValue(0, 6), -1);
    // Cells outside the grid are ignored rather than written past it.
    engine->toggleStep(8, 0, 1);
    engine->toggleStep(0, 16, 1);
    engine->toggleStep(-1, 0, 1);
    engine->toggleStep(7, 15, 2);
    engine->clearSteps();
    for (int track = 0; track < 8; ++track)
        for (int step = 0; step < 16; ++step)
            ASSERT_EQ(engine->stepValue(track, step), -1);
}

TEST(AudioEngine, EmptyGridWithoutListenerRendersSilence)
{
    auto engine = makeEngine();
    engine->toggleStep(0, 0, 7);
    engine->clearSteps();
    engine->restartSequence();
    for (int i = 0; i < 400; ++i)
        ASSERT_TRUE(silent(renderFrames(*engine, 512)));
}

TEST(AudioEngine, RenderAddsOnTopOfTheBuffer)
{
    auto engine = makeEngine();
    std::vector<float> out(1024, 0.125f);
    engine->render(out.data(), 512);
    for (float s : out)
        ASSERT_EQ(s, 0.125f);
    engine->render(nullptr, 512);
    engine->render(out.data(), 0);
    engine->render(out.data(), -5);
}

TEST(AudioEngine, NotesStartAtTheFrameOfTheirStep)
{
    auto engine = makeEngine();
    engine->toggleStep(0, 1, 7);
    engine->restartSequence();
    renderFrames(*engine, 5000);
    EXPECT_EQ(engine->activeVoices(0), 0);
    // Step 1 starts inside the second buffer.
    renderFrames(*engine, 1000);
    EXPECT_EQ(engine->activeVoices(0), 1);
    EXPECT_FLOAT_EQ(engine->voice(0, 0).mainFrequency(), engine->pitch(7) * engine->voice(0, 0).getParameter(14));
}

TEST(AudioEngine, ListenerRunsBeforeTheNotesOfStepZero)
{
    auto engine = makeEngine();
    EditingListener listener(*engine);
    engine->setLoopListener(&listener);
    engine->restartSequence();
    renderFrames(*engine, 64);
    EXPECT_EQ(engine->stepValue(0, 0), 3);
    ASSERT_EQ(engine->activeVoices(0), 1);
    EXPECT_FLOAT_EQ(engine->voice(0, 0).mainFrequency(), engine->pitch(3) * engine->voice(0, 0).getParameter(14));
    engine->setLoopListener(nullptr);
}

TEST(AudioEngine, ListenerIsToldOncePerLoopUntilRemoved)
{
    auto engine = makeEngine();
    CountingListener listener;
    engine->setLoopListener(&listener);
    EXPECT_EQ(engine->loopListener(), &listener);
    engine->restartSequence();
    // Loops begin at frames 0, 88273/88274 and about 176547.
    for (int i = 0; i < 88274 * 2 / 512 + 2; ++i)
        renderFrames(*engine, 512);
    EXPECT_EQ(listener.calls, 3);
    engine->setLoopListener(nullptr);
    for (int i = 0; i < 88274 / 512 + 2; ++i)
        renderFrames(*engine, 512);
    EXPECT_EQ(listener.calls, 3);
}

TEST(AudioEngine, PlayBoomStartsThreeNotesAtTheNextBuffer)
{
    auto engine = makeEngine();
    engine->playBoom();
    EXPECT_EQ(engine->activeVoices(4), 0);
    renderFrames(*engine, 256);
    ASSERT_EQ(engine->activeVoices(4), 3);
    const float octave = engine->voice(4, 0).getParameter(14);
    EXPECT_FLOAT_EQ(engine->voice(4, 0).mainFrequency(), 110.0f * octave);
    EXPECT_FLOAT_EQ(engine->voice(4, 1).mainFrequency(), 220.0f * octave);
    EXPECT_FLOAT_EQ(engine->voice(4, 2).mainFrequency(), 223.0f * octave);
    // They sounded from frame 0.
    EXPECT_EQ(engine->voice(4, 0).elapsed(), clockAfter(256));
}

TEST(AudioEngine, PlayBoomWithEveryVoiceBusyChangesNothing)
{
    auto engine = makeEngine();
    for (int i = 0; i < 11; ++i)
        engine->playBoom();
    renderFrames(*engine, 64);
    ASSERT_EQ(engine->activeVoices(4), 32);
    const float octave = engine->voice(4, 0).getParameter(14);
    // 32 of the 33 notes found a voice; the last (223 Hz) was dropped.
    EXPECT_FLOAT_EQ(engine->voice(4, 30).mainFrequency(), 110.0f * octave);
    EXPECT_FLOAT_EQ(engine->voice(4, 31).mainFrequency(), 220.0f * octave);
    const float elapsedBefore = engine->voice(4, 0).elapsed();
    engine->playBoom();
    renderFrames(*engine, 64);
    EXPECT_EQ(engine->activeVoices(4), 32);
    EXPECT_EQ(engine->voice(4, 0).elapsed(), clockAfter(64, elapsedBefore));
    EXPECT_FLOAT_EQ(engine->voice(4, 31).mainFrequency(), 220.0f * octave);
}

// The title's first boom waits for isHeard. Counting the frames pulled
// before awaitStream, or a threshold one frame off, would let it fall on a
// stream that is not yet played; never awaiting must not hold the title.
TEST(AudioEngine, IsHeardOnceTheStreamPulledTwiceItsLatencyAndATenthMore)
{
    const struct {
        int before;     // frames pulled before awaitStream
        double latency; // s; NaN: no stream awaited
        int after;      // frames pulled after it
        bool heard;
    } cases[] = {
        {0, NAN, 0, true},         {1915, 0.05, 8819, false}, {1915, 0.05, 8820, true},
        {0, -1.0, 4409, false},    {0, -1.0, 4410, true},
    };
    for (const auto& c : cases) {
        auto engine = makeEngine();
        renderFrames(*engine, c.before);
        if (!std::isnan(c.latency))
            engine->awaitStream(c.latency);
        renderFrames(*engine, c.after);
        EXPECT_EQ(engine->isHeard(), c.heard) << c.before << " + " << c.after << " frames, latency " << c.latency;
    }
}

TEST(PolyphonicSynth, WithOneFreeVoiceOnlyTheFirstNoteSounds)
{
    PolyphonicSynth group;
    for (int i = 0; i < 32; ++i)
        ASSERT_TRUE(group.startNote(50.0f, 0));
    // Free voice 17 by letting its note run out alone.
    group.voices[17].setParameter("noteLength", 0.0001f, true);
    StereoFrame frames[64] = {};
    group.voices[17].render(frames, 64);
    ASSERT_FALSE(group.voices[17].isActive());
    EXPECT_EQ(group.activeCount(), 31);
    EXPECT_TRUE(group.startNote(110.0f, 0));
    EXPECT_FALSE(group.startNote(220.0f, 0));
    EXPECT_FALSE(group.startNote(223.0f, 0));
    EXPECT_FLOAT_EQ(group.voices[17].mainFrequency(), 110.0f);
    EXPECT_EQ(group.activeCount(), 32);
}

TEST(AudioEngine, MusicOffSilencesTheSequencerButNotTheBoom)
{
    auto engine = makeEngine();
    engine->setMusicEnabled(false);
    EXPECT_FALSE(engine->musicEnabled());
    CountingListener listener;
    engine->setLoopListener(&listener);
    for (int track = 0; track < 8; ++track)
        engine->toggleStep(track, 0, 1);
    engine->restartSequence();
    EXPECT_TRUE(silent(renderFrames(*engine, 512)));
    EXPECT_EQ(listener.calls, 1);
    for (int group = 0; group < 4; ++group)
        EXPECT_EQ(engine->activeVoices(group), 0);
    for (int drum = 0; drum < 4; ++drum)
        EXPECT_FALSE(engine->drum(drum).isActive());
    engine->playBoom();
    EXPECT_FALSE(silent(renderFrames(*engine, 512)));
    engine->setLoopListener(nullptr);
}

TEST(AudioEngine, DrumTracksTriggerTheirDrumWithOddValuesAsVariant)
{
    auto engine = makeEngine();
    engine->toggleStep(4, 0, 1);  // kick, odd: 110 Hz start
    engine->toggleStep(5, 0, 2);  // clap, even: four bursts
    engine->toggleStep(6, 0, 3);  // hat, odd: 0.7
    engine->toggleStep(7, 0, 0);  // crash, even: 0.9
    engine->restartSequence();
    renderFrames(*engine, 1);
    const auto& kick = static_cast<const KickSynth&>(engine->drum(0));
    const auto& clap = static_cast<const ClapSynth&>(engine->drum(1));
    const auto& hat = static_cast<const HatSynth&>(engine->drum(2));
    const auto& crash = static_cast<const CrashSynth&>(engine->drum(3));
    EXPECT_TRUE(kick.isActive());
    EXPECT_FLOAT_EQ(kick.coefficient(),
                    kick.startCoefficient(1) * kick.envelope() + (1.0f - kick.envelope()) * kick.endCoefficient());
    EXPECT_EQ(clap.burstsLeft(), 4);
    EXPECT_FLOAT_EQ(hat.coefficient(), 0.7f);
    EXPECT_FLOAT_EQ(crash.coefficient(), 0.9f);
}

TEST(AudioEngine, MixesGroupsAndDrumsInTheirOrder)
{
    // The engine's buffer must equal, bit for bit, the sum of standalone
    // copies added in the order group 0, kick, group 1, clap, group 2, hat,
    // group 3, crash, group 4 (float addition is not associative, and the
    // noise draws follow the same order), bent by the soft clip last.
    TempFolder folder;
    const std::string pitches = folder.write("p.txt", "200\n300\n400\n500\n600\n700\n800\n900\n");
    auto engine = makeEngine();
    ASSERT_TRUE(engine->loadPitchFile(pitches));
    for (int track = 0; track < 4; ++track)
        engine->toggleStep(track, 0, track + 2);
    for (int track = 4; track < 8; ++track)
        engine->toggleStep(track, 0, 0);
    engine->restartSequence();
    engine->playBoom();
    RandomGenerator::instance().setCounter(500);
    const int frames = 700;
    const std::vector<float> mixed = renderFrames(*engine, frames);

    const char* names[] = {"SeqBass", "SeqPad", "SeqHi", "SeqDuck", "Bom"};
    std::vector<std::unique_ptr<PolyphonicSynth>> groups;
    for (const char* name : names) {
        groups.push_back(std::make_unique<PolyphonicSynth>());
        ASSERT_TRUE(groups.back()->loadParameters(patchPath(name)));
    }
    for (int g = 0; g < 4; ++g)
        groups[g]->voices[0].noteOn(static_cast<float>(g + 2 + 2) * 100.0f / 2.0f, 0);
    groups[4]->voices[0].noteOn(110.0f, 0);
    groups[4]->voices[1].noteOn(220.0f, 0);
    groups[4]->voices[2].noteOn(223.0f, 0);
    KickSynth kick;
    ClapSynth clap;
    HatSynth hat;
    CrashSynth crash;
    Synthesizer* drums[] = {&kick, &clap, &hat, &crash};
    for (Synthesizer* drum : drums)
        drum->trigger(true, 0, false);

    RandomGenerator::instance().setCounter(500);
    std::vector<StereoFrame> expected(frames, StereoFrame{0.0f, 0.0f});
    for (int g = 0; g < 5; ++g) {
        for (int v = 0; v < 3; ++v)
            if (groups[g]->voices[v].isActive())
                groups[g]->voices[v].render(expected.data(), frames);
        if (g < 4)
            drums[g]->render(expected.data(), frames);
    }
    SoftClip::apply(&expected[0].left, 2 * frames);
    ASSERT_EQ(std::memcmp(expected.data(), mixed.data(), mixed.size() * sizeof(float)), 0);
}

TEST(AudioEngine, GridValuesOutsideThePitchTableStartNoNote)
{
    auto engine = makeEngine();
    engine->toggleStep(1, 0, 8);
    engine->toggleStep(2, 0, 1000);
    engine->restartSequence();
    renderFrames(*engine, 64);
    EXPECT_EQ(engine->activeVoices(1), 0);
    EXPECT_EQ(engine->activeVoices(2), 0);
}

TEST(AudioEngine, WithoutRenderingEditsAndBoomsAreHarmless)
{
    auto engine = makeEngine();
    for (int i = 0; i < 1000; ++i) {
        engine->playBoom();
        engine->toggleStep(i % 8, i % 16, i % 8);
        engine->restartSequence();
    }
    engine->clearSteps();
    CountingListener listener;
    engine->setLoopListener(&listener);
    engine->setLoopListener(nullptr);
    EXPECT_EQ(engine->activeVoices(4), 0);
    // A buffer later the queued booms fill the group without overrunning it.
    renderFrames(*engine, 64);
    EXPECT_EQ(engine->activeVoices(4), 32);
}

TEST(AudioEngine, InstanceIsOneEngineBesideTheExecutable)
{
    AudioSingleton& first = AudioSingleton::instance();
    EXPECT_EQ(&first, &AudioSingleton::instance());
    EXPECT_GT(first.pitch(0), 0.0f);
}

TEST(AudioEngine, LoudestMixOfDamagedPatchesStaysWithinFullScale)
{
    // Empty patch files leave every group on the louder built-in sound; with
    // every step of every track set, the drums and booms on top, the sum of
    // the voices lies far beyond full scale (up to 2.45 before the clip).
    TempFolder folder;
    folder.makeFolder("synthPatches");
    for (const char* name : {"SeqBass", "SeqPad", "SeqHi", "SeqDuck", "Bom"})
        folder.write(std::string("synthPatches/") + name + ".patch", "");
    folder.makeFolder("pitches");
    folder.write("pitches/scale.txt", "146.83\n164.81\n174.61\n196\n220\n246.94\n261.63\n293.66\n");
    testing::internal::CaptureStdout();
    auto engine = std::make_unique<AudioSingleton>(FilePath(folder.path()));
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 5) << "one line per damaged patch:\n" << printed;
    for (int track = 0; track < 8; ++track)
        for (int step = 0; step < 16; ++step)
            engine->toggleStep(track, step, (track + step) % 8);
    engine->restartSequence();

    float peak = 0.0f;
    int bent = 0;
    std::vector<float> buffer(2 * 512);
    for (int block = 0; block < 4 * 44100 / 512; ++block) {
        if (block % 8 == 0)
            engine->playBoom();
        // The sound effects mix in before the clip, however many pile up.
        engine->playWallKick(2.0f);
        engine->playLanding(block % 2 == 0 ? 1.0f : 0.0f);
        engine->playMark();
        std::fill(buffer.begin(), buffer.end(), 0.0f);
        engine->render(buffer.data(), 512);
        for (float s : buffer) {
            ASSERT_TRUE(s >= -1.0f && s <= 1.0f) << s;
            peak = std::max(peak, std::fabs(s));
            bent += std::fabs(s) > SoftClip::knee ? 1 : 0;
        }
    }
    // The mix really was that loud: many samples went through the bend.
    EXPECT_GT(peak, 0.99f);
    EXPECT_GT(bent, 1000);
}

TEST(AudioEngine, FadeOutRampsEverythingToSilenceOver20MsAndStaysThere)
{
    auto engine = makeEngine();
    constexpr int buffer = 512;
    constexpr float level = 0.125f; // below the soft clip's knee: passes unchanged
    std::vector<float> out(2 * buffer, level);
    engine->render(out.data(), buffer);
    EXPECT_EQ(out.front(), level);
    EXPECT_FALSE(engine->fadedOut());
    engine->fadeOut();
    std::vector<float> ramp(4 * buffer, level);
    engine->render(ramp.data(), buffer);
    EXPECT_FALSE(engine->fadedOut()); // 512 of the 882 frames of 20 ms
    engine->render(ramp.data() + 2 * buffer, buffer);
    EXPECT_TRUE(engine->fadedOut());
    for (int frame = 0; frame < 2 * buffer; ++frame) {
        const float expected = level * std::max(0.0f, 1.0f - static_cast<float>(frame) / 882.0f);
        ASSERT_NEAR(ramp[2 * frame], expected, 1e-4f) << "frame " << frame;
        ASSERT_EQ(ramp[2 * frame], ramp[2 * frame + 1]) << "frame " << frame;
    }
    std::vector<float> after(2 * buffer, level);
    engine->render(after.data(), buffer);
    EXPECT_TRUE(silent(after));
}
