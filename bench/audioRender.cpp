// Real-time factor of the audio engine's render: seconds of audio made per
// second of computing, for the music heard in play (alone and with every
// sound effect sounding all the time) and for the worst case of every voice
// and drum sounding at once, at each rate a stream may run at (the
// benchmark's argument, in Hz).
#include "base/RandomGenerator.h"
#include "audio/AudioSingleton.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int bufferFrames = 512;  // a typical callback size
constexpr int buffersPerMark = 86;  // the mark's chord struck again about every second
constexpr int noteLengthLine = 38;  // 1-based line of "noteLength" in a patch file
constexpr const char* patchNames[] = {"SeqBass", "SeqPad", "SeqHi", "SeqDuck", "Bom"};

// The play screen's music: bass line, pad walk and a melody at full speed.
class GameLoop : public AudioSingleton::Callback {
public:
    explicit GameLoop(AudioSingleton& engine) : engine(engine)
    {
        const int bass[][2] = {{0, 7}, {2, 7}, {4, 7}, {6, 7}, {8, 7}, {10, 7}, {12, 7}, {14, 6}};
        for (const auto& note : bass)
            engine.toggleStep(0, note[0], note[1]);
        engine.restartSequence();
    }
    void onLoopStart() override
    {
        static constexpr int pad[] = {4, 5, 3, 2, 4, 5, 3, 6};
        loopCount = (loopCount + 1) % 8;
        if (loopCount >= 0)
            engine.toggleStep(1, 0, pad[loopCount]);
        for (int step : {0, 1, 2, 4, 7, 10, 12, 13, 14})
            engine.toggleStep(2, step, RandomGenerator::instance().nextInt(8));
    }

private:
    AudioSingleton& engine;
    int loopCount = -2;
};

void setRate(benchmark::State& state)
{
    const double audioSeconds = static_cast<double>(state.iterations()) * bufferFrames / static_cast<double>(state.range(0));
    state.counters["realtime_factor"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
}

void playMusic(benchmark::State& state, bool withEffects)
{
    RandomGenerator::instance().setCounter(1);
    auto engine = std::make_unique<AudioSingleton>(FilePath::executableDirectory());
    engine->setSampleRate(SampleRate(static_cast<double>(state.range(0))));
    GameLoop loop(*engine);
    engine->setLoopListener(&loop);
    std::vector<float> buffer(2 * bufferFrames);
    int buffers = 0;
    for (auto _ : state) {
        if (withEffects) {
            // A kick and a landing restarted on every buffer keep both sounding.
            engine->playWallKick(1.5f);
            engine->playLanding(1.0f);
            if (buffers++ % buffersPerMark == 0)
                engine->playMark();
        }
        std::fill(buffer.begin(), buffer.end(), 0.0f);
        engine->render(buffer.data(), bufferFrames);
        benchmark::DoNotOptimize(buffer.data());
    }
    engine->setLoopListener(nullptr);
    setRate(state);
}

void inGameMusic(benchmark::State& state) { playMusic(state, false); }
void inGameMusicWithEffects(benchmark::State& state) { playMusic(state, true); }

// Patches beside the executable, but with notes that never end.
std::string endlessPatchFolder()
{
    char pattern[] = "/tmp/vantorrel-bench-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made)
        return {};
    const std::string folder = made;
    std::filesystem::create_directories(folder + "/synthPatches");
    std::filesystem::create_directories(folder + "/pitches");
    const std::string shipped = FilePath::executableDirectory().join(std::string("synthPatches")).text();
    for (const char* name : patchNames) {
        std::ifstream in(shipped + "/" + name + ".patch");
        std::ofstream out(folder + "/synthPatches/" + name + ".patch");
        std::string line;
        for (int number = 1; std::getline(in, line); ++number)
            out << (number == noteLengthLine ? "    1000.0f," : line) << '\n';
    }
    std::ofstream(folder + "/pitches/worst.txt") << "110\n220\n330\n440\n550\n660\n880\n1760\n";
    return folder;
}

void everyVoiceAndDrum(benchmark::State& state)
{
    const std::string folder = endlessPatchFolder();
    auto engine = std::make_unique<AudioSingleton>(FilePath(folder));
    engine->setSampleRate(SampleRate(static_cast<double>(state.range(0))));
    for (int track = 0; track < 8; ++track)
        for (int step = 0; step < 16; ++step)
            engine->toggleStep(track, step, step % 8);
    for (int i = 0; i < 11; ++i)
        engine->playBoom();
    engine->restartSequence();
    std::vector<float> buffer(2 * bufferFrames);
    // 32 steps fill every group of 32 voices.
    const int stepFrames = static_cast<int>(5513 * state.range(0) / 44100);
    for (int i = 0; i < 32 * stepFrames / bufferFrames + 2; ++i)
        engine->render(buffer.data(), bufferFrames);
    int sounding = 0;
    for (int group = 0; group < AudioSingleton::groupCount; ++group)
        sounding += engine->activeVoices(group);
    if (sounding != 160)
        state.SkipWithError("not every voice is sounding");
    for (auto _ : state) {
        std::fill(buffer.begin(), buffer.end(), 0.0f);
        engine->render(buffer.data(), bufferFrames);
        benchmark::DoNotOptimize(buffer.data());
    }
    setRate(state);
    state.counters["voices"] = sounding;
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

} // namespace

BENCHMARK(inGameMusic)->Arg(44100)->Arg(48000)->Arg(96000)->Unit(benchmark::kMicrosecond);
BENCHMARK(inGameMusicWithEffects)->Arg(44100)->Arg(48000)->Arg(96000)->Unit(benchmark::kMicrosecond);
BENCHMARK(everyVoiceAndDrum)->Arg(44100)->Arg(48000)->Arg(96000)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
