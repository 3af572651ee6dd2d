// The sound effects, measured on what they render: a kick's pitch follows
// the flight speed at any sample rate, and each effect keeps to its own
// level with the music off.
#include "audio/AudioSingleton.h"
#include "audio/MarkFanfare.h"
#include "audio/PressCue.h"
#include "audio/WallKickChirp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

// Hz, from the left channel's zero crossings between two times (s),
// interpolated between samples.
double crossingFrequency(const std::vector<StereoFrame>& out, double rate, double from, double to)
{
    std::vector<double> at;
    for (size_t i = static_cast<size_t>(from * rate); i + 1 < static_cast<size_t>(to * rate); ++i)
        if (const float a = out[i].left, b = out[i + 1].left; (a < 0.0f) != (b < 0.0f))
            at.push_back((static_cast<double>(i) + a / (a - b)) / rate);
    return at.size() > 1 ? static_cast<double>(at.size() - 1) / (2.0 * (at.back() - at.front())) : 0.0;
}

template <class Synth>
std::vector<StereoFrame> rendered(Synth& synth, double rate, double seconds)
{
    std::vector<StereoFrame> out(static_cast<size_t>(seconds * rate), StereoFrame{0.0f, 0.0f});
    synth.render(out.data(), static_cast<int>(out.size()));
    return out;
}

} // namespace

TEST(WallKickChirp, PitchClimbsAnOctavePerHalfCellOfSpeedAtEverySampleRate)
{
    // 60 ms in, the glide has ended a fifth above the start pitch.
    const struct {
        float speed;
        double rate, hertz;
    } cases[] = {
        {0.56f, 44100.0, 1.5 * 330.0 * std::exp2(0.12)}, // a kick off a wall from a standstill
        {1.0f, 48000.0, 1.5 * 660.0},
        {1.5f, 44100.0, 1.5 * 1320.0}, // the winning speed: two octaves above 0.5
        {1.5f, 96000.0, 1.5 * 1320.0},
        {9.0f, 44100.0, 1.5 * 2640.0}, // beyond 2 cells per frame the pitch holds
        {NAN, 48000.0, 1.5 * 165.0},
    };
    for (const auto& c : cases) {
        WallKickChirp chirp{SampleRate(c.rate)};
        chirp.trigger(c.speed);
        const auto out = rendered(chirp, c.rate, 0.35);
        EXPECT_NEAR(crossingFrequency(out, c.rate, 0.07, 0.2), c.hertz, 0.002 * c.hertz) << c.speed << " " << c.rate;
        EXPECT_FALSE(chirp.isActive()) << "still sounding after 0.35 s at speed " << c.speed;
    }
}

TEST(PressCue, EachCueEndsBelowWhereItStartedAtEverySampleRate)
{
    // Glides that rose like the kick's chirp would read as a kick.
    const struct {
        PressCue::Kind kind;
        double rate, from, to, hertz;
    } cases[] = {
        {PressCue::Kind::wastedPress, 44100.0, 0.025, 0.07, 200.0},
        {PressCue::Kind::fallingKick, 44100.0, 0.16, 0.3, 165.0},
        {PressCue::Kind::fallingKick, 96000.0, 0.16, 0.3, 165.0},
    };
    for (const auto& c : cases) {
        PressCue cue{SampleRate(c.rate)};
        cue.trigger(c.kind);
        const auto out = rendered(cue, c.rate, 0.8);
        EXPECT_NEAR(crossingFrequency(out, c.rate, c.from, c.to), c.hertz, 0.01 * c.hertz) << c.rate;
        EXPECT_FALSE(cue.isActive()) << "still sounding after 0.8 s at " << c.rate;
    }
}

TEST(MarkFanfare, FirstNoteIsTheMusicsRootThreeOctavesUpOrC5WithoutAPitchFile)
{
    const float dorian[8] = {73.415f, 82.405f, 87.305f, 98.0f, 110.0f, 123.47f, 130.815f, 146.83f}, unread[8] = {};
    for (const auto& [table, hertz] : {std::pair{dorian, 587.32}, std::pair{unread, 523.25}}) {
        MarkFanfare fanfare{SampleRate(48000.0)};
        fanfare.trigger(table); // the second note is struck 70 ms in
        EXPECT_NEAR(crossingFrequency(rendered(fanfare, 48000.0, 0.1), 48000.0, 0.01, 0.068), hertz, 1.0);
    }
}

TEST(SoundEffects, EachSoundsWithTheMusicOffAtItsOwnLevelHoweverOftenRepeated)
{
    struct Case {
        const char* name;
        void (*play)(AudioSingleton&);
        int everyBuffers; // asked for again after this many 256-frame buffers; 0: once
        float lowest, highest; // peak, of full scale
    };
    const Case cases[] = {
        {"slowest kick", [](AudioSingleton& e) { e.playWallKick(0.56f); }, 0, 0.2f, 0.3f},
        {"kick on every buffer", [](AudioSingleton& e) { e.playWallKick(2.0f); }, 1, 0.2f, 0.3f},
        {"hard landing", [](AudioSingleton& e) { e.playLanding(1.0f); }, 0, 0.27f, 0.33f},
        {"landing beyond the fall limit", [](AudioSingleton& e) { e.playLanding(4.0f); }, 0, 0.27f, 0.33f},
        {"landing on every third buffer", [](AudioSingleton& e) { e.playLanding(1.0f); }, 3, 0.27f, 0.37f},
        {"landing from a hop", [](AudioSingleton& e) { e.playLanding(0.5f); }, 0, 0.26f, 0.285f},
        // A run's ordinary landings must not sink under the music.
        {"landing off a short drop", [](AudioSingleton& e) { e.playLanding(0.1f); }, 0, 0.19f, 0.22f},
        {"landing off a step", [](AudioSingleton& e) { e.playLanding(0.03f); }, 0, 0.1f, 0.13f},
        {"the mark twice a second", [](AudioSingleton& e) { e.playMark(); }, 86, 0.3f, 0.42f},
        // Both cues stay well under the softest kick's 0.2.
        {"wasted press", [](AudioSingleton& e) { e.playPressCue(PressCue::Kind::wastedPress); }, 0, 0.07f, 0.09f},
        {"falling kick", [](AudioSingleton& e) { e.playPressCue(PressCue::Kind::fallingKick); }, 0, 0.11f, 0.13f},
        {"wasted press on every buffer", [](AudioSingleton& e) { e.playPressCue(PressCue::Kind::wastedPress); }, 1,
         0.07f, 0.09f},
    };
    for (const Case& c : cases) {
        auto engine = std::make_unique<AudioSingleton>(FilePath::executableDirectory());
        engine->setMusicEnabled(false);
        for (int step = 0; step < 16; ++step)
            engine->toggleStep(0, step, 7);
        float peak = 0.0f;
        std::vector<float> buffer(2 * 256);
        for (int block = 0; block < 3 * 44100 / 256; ++block) {
            if (block == 0 || (c.everyBuffers > 0 && block % c.everyBuffers == 0))
                c.play(*engine);
            std::fill(buffer.begin(), buffer.end(), 0.0f);
            engine->render(buffer.data(), 256);
            for (float s : buffer)
                peak = std::max(peak, std::fabs(s));
        }
        EXPECT_GE(peak, c.lowest) << c.name;
        EXPECT_LE(peak, c.highest) << c.name;
        EXPECT_EQ(engine->soundEffects().isActive(), c.everyBuffers > 0) << c.name << ": a lone effect ends";
    }
}
