#pragma once
#include <SDL/SDL.h>
#include <array>

// The OpenGL attributes asked of SDL before the video mode is set, in the
// order they are set, each with the line printed when SDL refuses it.
struct AttributeRequest {
    SDL_GLattr attribute;
    int value;
    const char* failure;
};

struct DisplayAttributes {
    static constexpr int maxRequests = 9;

    const char* depthLine; // "Display is 16bit." or "32bit.", printed first
    std::array<AttributeRequest, maxRequests> requests;
    int count;

    // A 16-bit desktop gets 5 bits per colour (no alpha); multisampling only
    // when samples > 0.
    static DisplayAttributes forDisplay(bool sixteenBit, int samples);
};
