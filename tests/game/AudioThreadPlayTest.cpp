// The play screen on the game thread while another thread renders the music,
// as the sound card's callback does: the loop listener (the play screen) runs
// on the audio thread and reads the pilot's velocities while the game thread
// moves the pilot; leaving the screen removes the listener mid-render. Built
// with ThreadSanitizer, it proves the exchange is free of data races.
#include "InstantClock.h"
#include "PlaythroughBot.h"
#include "app/Application.h"
#include "app/FatalError.h"
#include "audio/AudioSingleton.h"
#include "game/GamePlay.h"
#include "game/PictureTexture.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

constexpr int playFrames = 600;     // game frames of scripted play per round
constexpr int rounds = 3;           // enter and leave the play screen this often
constexpr int framesPerBuffer = 256; // audio frames per render call

// Renders the engine as fast as it can until told to stop.
class AudioThread {
public:
    AudioThread()
        : worker([this] {
              std::array<float, 2 * framesPerBuffer> buffer{};
              while (!stop.load()) {
                  buffer.fill(0.0f);
                  AudioSingleton::instance().render(buffer.data(), framesPerBuffer);
                  buffers.fetch_add(1);
              }
          })
    {
    }
    ~AudioThread()
    {
        stop.store(true);
        worker.join();
    }
    long renderedBuffers() const { return buffers.load(); }

private:
    std::atomic<bool> stop{false};
    std::atomic<long> buffers{0};
    std::thread worker;
};

} // namespace

TEST(AudioThreadPlay, PlayScreenSteersTheMusicWhileTheAudioThreadRenders)
{
    const auto configFolder =
        std::filesystem::temp_directory_path() / ("vantorrel-audio-play-" + std::to_string(getpid()));
    std::filesystem::create_directories(configFolder);
    setenv("XDG_CONFIG_HOME", configFolder.c_str(), 1);
    setenv("XDG_DATA_HOME", configFolder.c_str(), 1); // records of won runs
    ProcessTexture::forgetAll();
    std::unique_ptr<Application> app;
    std::string failure;
    for (int attempt = 0; attempt < 5 && !app; ++attempt) {
        try {
            app = std::make_unique<Application>(
                std::vector<std::string>{"-win", "-ns", "-w", "320", "-h", "180"});
        } catch (const FatalError& error) {
            failure = error.text();
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
    }
    ASSERT_TRUE(app) << "the application did not start: " << failure;
    InstantClock clock;
    app->setClock(&clock);
    app->loadGlyphs();

    {
        AudioThread audio;
        for (int round = 0; round < rounds; ++round) {
            app->switchState("GamePlay");
            auto* play = dynamic_cast<GamePlay*>(app->currentState());
            ASSERT_NE(play, nullptr);
            PlaythroughBot bot;
            bool heldLeft = false;
            bool heldRight = false;
            const long buffersAtStart = audio.renderedBuffers();
            for (int frame = 0; frame < playFrames && !play->isFinished(); ++frame) {
                const PlaythroughBot::Keys keys = bot.next(play->getBody(), play->getLevel());
                if (keys.left != heldLeft) {
                    keys.left ? play->actionPressed("P1Left", SDL_keysym{})
                              : play->actionReleased("P1Left", SDL_keysym{});
                    heldLeft = keys.left;
                }
                if (keys.right != heldRight) {
                    keys.right ? play->actionPressed("P1Right", SDL_keysym{})
                               : play->actionReleased("P1Right", SDL_keysym{});
                    heldRight = keys.right;
                }
                if (keys.jump) {
                    play->actionPressed("Action", SDL_keysym{});
                }
                ASSERT_TRUE(app->runIteration());
            }
            // The second loop start with this screen listening writes the
            // pad (the first leaves it alone); the grid cells are atomics, so
            // watching them is race-free where the screen's own count is not.
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            bool padWritten = false;
            while (!padWritten && std::chrono::steady_clock::now() < deadline) {
                for (int step = 0; step < 16; ++step) {
                    padWritten = padWritten || AudioSingleton::instance().stepValue(GameMusic::padTrack, step) >= 0;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            EXPECT_TRUE(padWritten) << "round " << round << ": the audio thread never reached the play screen";
            EXPECT_GT(audio.renderedBuffers(), buffersAtStart);
            // Leaving removes the listener while the audio thread renders.
            app->switchState("TitleScreen");
        }
    }
    app.reset();
    std::filesystem::remove_all(configFolder);
}
