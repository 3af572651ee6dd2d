#pragma once

// Starts SDL_ttf once per process and stops it at exit. Every drawer makes
// sure it exists; a font may call ensureStarted before its first TTF call.
class FontSystem {
public:
    // Starts SDL_ttf on the first call; later calls do nothing.
    static void ensureStarted();
    // Whether TTF_Init succeeded.
    static bool isStarted();

    ~FontSystem();
    FontSystem(const FontSystem&) = delete;
    FontSystem& operator=(const FontSystem&) = delete;

private:
    FontSystem();
    static FontSystem& instance();

    bool started = false;
};
