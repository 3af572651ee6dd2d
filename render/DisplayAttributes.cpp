#include "render/DisplayAttributes.h"

namespace {

constexpr int depthBits = 16;
constexpr int lowColourBits = 5;  // per channel on a 16-bit desktop
constexpr int highColourBits = 8; // per channel otherwise

} // namespace

DisplayAttributes DisplayAttributes::forDisplay(bool sixteenBit, int samples)
{
    DisplayAttributes result{};
    auto add = [&result](SDL_GLattr attribute, int value, const char* failure) {
        result.requests[static_cast<std::size_t>(result.count++)] = AttributeRequest{attribute, value, failure};
    };
    if (sixteenBit) {
        result.depthLine = "OpenGLDrawer: Display is 16bit.";
        add(SDL_GL_RED_SIZE, lowColourBits, "OpenGLDrawer: Could not set red pixel size to 5...");
        add(SDL_GL_GREEN_SIZE, lowColourBits, "OpenGLDrawer: Could not set green pixel size to 5...");
        add(SDL_GL_BLUE_SIZE, lowColourBits, "OpenGLDrawer: Could not set blue pixel size to 5...");
    } else {
        result.depthLine = "OpenGLDrawer: Display is 32bit.";
        add(SDL_GL_RED_SIZE, highColourBits, "OpenGLDrawer: Could not set red pixel size to 8...");
        add(SDL_GL_GREEN_SIZE, highColourBits, "OpenGLDrawer: Could not set green pixel size to 8...");
        add(SDL_GL_BLUE_SIZE, highColourBits, "OpenGLDrawer: Could not set blue pixel size to 8...");
        add(SDL_GL_ALPHA_SIZE, highColourBits, "OpenGLDrawer: Could not set alpha pixel size to 8...");
    }
    add(SDL_GL_DEPTH_SIZE, depthBits, "OpenGLDrawer: Could not set depth size to 16...");
    add(SDL_GL_DOUBLEBUFFER, 1, "OpenGLDrawer: Could not set double buffering...");
    add(SDL_GL_SWAP_CONTROL, 1, "OpenGLDrawer: Could not set vertical sync...");
    if (samples > 0) {
        add(SDL_GL_MULTISAMPLEBUFFERS, 1, "OpenGLDrawer: Could not set multi sample buffers...");
        add(SDL_GL_MULTISAMPLESAMPLES, samples, "OpenGLDrawer: Could not set multi sample samples...");
    }
    return result;
}
