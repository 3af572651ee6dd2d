#include "base/RandomGenerator.h"
#include "audio/AudioSingleton.h"
#include "audio/SoftClip.h"
#include "game/GameMusic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

namespace {

struct Toggle {
    int track;
    int step;
    int value;
    bool operator==(const Toggle&) const = default;
};

// Records the edits and keeps the grid the way the engine does.
class RecordingSteps : public StepWriter {
public:
    void toggleStep(int track, int step, int value) override
    {
        toggles.push_back({track, step, value});
        int& cell = grid[static_cast<std::size_t>(track)][static_cast<std::size_t>(step)];
        cell = (cell == value) ? -1 : value;
    }
    std::vector<Toggle> toggles;
    std::array<std::array<int, 16>, 8> grid = [] {
        std::array<std::array<int, 16>, 8> empty{};
        for (auto& track : empty) {
            track.fill(-1);
        }
        return empty;
    }();
};

constexpr int melodySteps[] = {0, 1, 2, 4, 7, 10, 12, 13, 14};

} // namespace

TEST(GameMusicPattern, BassLineInItsOrder)
{
    RecordingSteps steps;
    GameMusic::writeBassLine(steps);
    const std::vector<Toggle> expected = {{0, 0, 7}, {0, 2, 7}, {0, 4, 7}, {0, 6, 7},
                                          {0, 8, 7}, {0, 10, 7}, {0, 12, 7}, {0, 14, 6}};
    EXPECT_EQ(steps.toggles, expected);
}

TEST(GameMusicLoops, PadWaitsOneLoopThenWalksItsLine)
{
    RecordingSteps steps;
    RandomGenerator random(9);
    GameMusic music;
    EXPECT_EQ(music.getLoopCount(), -2);
    music.onLoopStart(steps, 0.0f, random);
    EXPECT_EQ(music.getLoopCount(), -1);
    for (const auto& toggle : steps.toggles) {
        EXPECT_NE(toggle.track, 1) << "the first loop leaves the pad alone";
    }
    const int padLine[] = {4, 5, 3, 2, 4, 5, 3, 6, 4, 5};
    for (int loop = 0; loop < 10; ++loop) {
        steps.toggles.clear();
        music.onLoopStart(steps, 0.0f, random);
        EXPECT_EQ(music.getLoopCount(), loop % 8);
        ASSERT_FALSE(steps.toggles.empty());
        EXPECT_EQ(steps.toggles[0], (Toggle{1, 0, padLine[loop]}));
        EXPECT_EQ(steps.grid[1][0], padLine[loop]);
    }
}

TEST(GameMusicLoops, SlowPilotSilencesTheMelody)
{
    RecordingSteps steps;
    RandomGenerator random(9);
    GameMusic music;
    steps.grid[2][4] = 3;
    music.onLoopStart(steps, 0.5f, random); // not above 0.5
    ASSERT_EQ(steps.toggles.size(), 9u);
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(steps.toggles[i], (Toggle{2, melodySteps[i], -1}));
    }
    EXPECT_EQ(steps.grid[2][4], -1);
    EXPECT_EQ(random.currentCounter(), 9); // no random draws
}

TEST(GameMusicLoops, FastPilotWritesAFreshRandomMelody)
{
    RecordingSteps steps;
    RandomGenerator random(4000);
    RandomGenerator replay(4000);
    GameMusic music;
    music.onLoopStart(steps, 0.0f, random);
    steps.toggles.clear();
    music.onLoopStart(steps, 0.51f, random);
    ASSERT_EQ(steps.toggles.size(), 10u); // the pad, then nine melody steps
    for (std::size_t i = 0; i < 9; ++i) {
        const Toggle toggle = steps.toggles[i + 1];
        EXPECT_EQ(toggle.track, 2);
        EXPECT_EQ(toggle.step, melodySteps[i]);
        EXPECT_EQ(toggle.value, replay.nextInt(8));
        EXPECT_GE(toggle.value, 0);
        EXPECT_LE(toggle.value, 7);
    }
}

namespace {

// The play screen's music driving a real engine, as GamePlay does.
class EngineMusic : public StepWriter, public AudioSingleton::Callback {
public:
    EngineMusic(AudioSingleton& engine, float pilotSpeed) : engine(engine), pilotSpeed(pilotSpeed)
    {
        GameMusic::writeBassLine(*this);
        engine.restartSequence();
        engine.setLoopListener(this);
    }
    ~EngineMusic() override { engine.setLoopListener(nullptr); }
    void toggleStep(int track, int step, int value) override { engine.toggleStep(track, step, value); }
    void onLoopStart() override { music.onLoopStart(*this, pilotSpeed, RandomGenerator::instance()); }

private:
    AudioSingleton& engine;
    GameMusic music;
    float pilotSpeed;
};

constexpr float minusOneDecibel = 0.891250938f; // full-scale fraction
constexpr int musicSeconds = 30; // fifteen loops, each with a fresh melody
constexpr int bufferFrames = 512;

} // namespace

TEST(GameMusicLevel, ShippedMusicPeaksBelowMinusOneDecibelAndPassesTheSoftClipUntouched)
{
    // Every pitch file, at full pilot speed (the melody on), two seeds: no
    // sample reaches the soft clip's knee, so the clip changes nothing.
    const FilePath data = FilePath::executableDirectory();
    const FilePath pitches = data.join(std::string("pitches"));
    const int files = pitches.entryCount();
    ASSERT_GE(files, 1);
    for (int file = 0; file < files; ++file) {
        for (int seed : {1, 77}) {
            RandomGenerator::instance().setCounter(seed);
            auto engine = std::make_unique<AudioSingleton>(data);
            ASSERT_TRUE(engine->loadPitchFile(pitches.entry(file).text()));
            float peak = 0.0f;
            {
                EngineMusic music(*engine, 1.0f);
                std::vector<float> buffer(2 * bufferFrames);
                for (int done = 0; done < musicSeconds * 44100; done += bufferFrames) {
                    std::fill(buffer.begin(), buffer.end(), 0.0f);
                    engine->render(buffer.data(), bufferFrames);
                    for (float s : buffer)
                        peak = std::max(peak, std::fabs(s));
                }
            }
            const std::string which = pitches.entry(file).text() + " seed " + std::to_string(seed);
            EXPECT_LE(peak, minusOneDecibel) << which;
            EXPECT_LT(peak, SoftClip::knee) << which;
            EXPECT_GT(peak, 0.3f) << which << ": hardly any music";
        }
    }
}
