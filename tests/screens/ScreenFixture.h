#pragma once
// A real Application (window under Xvfb, no sound) for the screens to belong
// to, with its settings kept in a temporary folder.
#include "InstantClock.h"
#include "app/Application.h"
#include "app/FatalError.h"
#include "game/PictureTexture.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

class ScreenFixture : public ::testing::Test {
protected:
    // The window; a fixture may ask for a smaller one before SetUp.
    int windowWidth = 1280;
    int windowHeight = 720;

    void SetUp() override
    {
        if (std::getenv("DISPLAY") == nullptr)
            GTEST_SKIP() << "needs an X display";
        home = std::filesystem::temp_directory_path() / ("vantorrel-screens-" + std::to_string(::getpid()));
        std::filesystem::create_directories(home);
        setenv("XDG_CONFIG_HOME", home.c_str(), 1);
        setenv("XDG_DATA_HOME", home.c_str(), 1); // records of won runs
        // Xvfb refuses connections for a moment after its last client left.
        for (int attempt = 0; attempt < 50 && !app; ++attempt) {
            try {
                app = std::make_unique<Application>(std::vector<std::string>{
                    "-w", std::to_string(windowWidth), "-h", std::to_string(windowHeight), "-win", "-ns"});
            } catch (const FatalError&) {
                app.reset();
            }
            if (app && !app->hasDisplay())
                app.reset();
            if (!app)
                SDL_Delay(100);
        }
        ASSERT_TRUE(app) << "no display";
        ProcessTexture::forgetAll(); // the drawer is new, maybe at an old address
        app->setClock(&clock);
    }
    void TearDown() override
    {
        app.reset();
        std::error_code ignored;
        std::filesystem::remove_all(home, ignored);
    }

    // A key going down and up again, through the SDL event queue.
    static void pushKey(SDLKey key)
    {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.type = SDL_KEYDOWN;
        event.key.state = SDL_PRESSED;
        event.key.keysym.sym = key;
        SDL_PushEvent(&event);
        event.type = SDL_KEYUP;
        event.key.type = SDL_KEYUP;
        event.key.state = SDL_RELEASED;
        SDL_PushEvent(&event);
    }
    static void pushKeyDown(SDLKey key, bool down)
    {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.type = event.type;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.sym = key;
        SDL_PushEvent(&event);
    }

    std::string stateName() { return app->currentState() ? app->currentState()->name() : std::string(); }

    std::filesystem::path home;
    InstantClock clock;
    std::unique_ptr<Application> app;
};
