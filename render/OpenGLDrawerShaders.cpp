#include "render/OpenGLDrawer.h"
#include "base/RegularFile.h"
#include "render/GlDrawHelpers.h"
#include <GL/glu.h>
#include <iostream>

// Optional features: shader programs, the second texture and the off-screen
// buffer.

using gldraw::say;

namespace {

constexpr GLsizei offscreenWidth = 1280; // pixels, whatever the window
constexpr GLsizei offscreenHeight = 720;

constexpr size_t largestShaderFile = 1024 * 1024; // bytes; shader sources are a few KiB

// A shader file as text: empty when unnamed, unreadable, larger than 1 MiB or
// not a regular file (a FIFO would block the game); cut at the first NUL.
std::string readShaderText(const std::string& fileName)
{
    platform::FileBytes file = platform::readRegularFile(fileName, largestShaderFile);
    if (!file.ok())
        return std::string();
    const auto nul = file.bytes.find('\0');
    if (nul != std::string::npos)
        file.bytes.resize(nul);
    return std::move(file.bytes);
}

} // namespace

bool OpenGLDrawer::hasShaders()
{
    return shaderSupport && contextReady;
}

bool OpenGLDrawer::canSupport(int feature)
{
    if (feature == 0) {
        const bool available = glewReady && ShaderEntryPoints::glewHasShaders();
        std::cout << "canSupport(Shaders) => " << (available ? 1 : 0) << std::endl;
        return available;
    }
    if (feature == 1) {
        std::cout << "canSupport(FrameBuffer) => " << 1 << std::endl;
        return true;
    }
    return false;
}

uint32_t OpenGLDrawer::loadShader(const std::string& vertexFile, const std::string& fragmentFile)
{
    if (!hasShaders())
        return 0;
    const uint32_t vertexShader = shader.createShaderObject(GL_VERTEX_SHADER_ARB);
    const uint32_t fragmentShader = shader.createShaderObject(GL_FRAGMENT_SHADER_ARB);
    const std::string vertexText = readShaderText(vertexFile);
    const std::string fragmentText = readShaderText(fragmentFile);
    shader.shaderSource(vertexShader, vertexText.c_str());
    shader.shaderSource(fragmentShader, fragmentText.c_str());
    shader.compileShader(vertexShader);
    shader.compileShader(fragmentShader);
    const uint32_t program = shader.createProgramObject();
    shader.attachObject(program, vertexShader);
    shader.attachObject(program, fragmentShader);
    shader.linkProgram(program);
    say("OpenGLDrawer Shader InfoLog:");
    say("----------------------------");
    say(vertexFile + ":");
    say(fragmentFile + ":");
    baseLocation = shader.getUniformLocation(program, "base");
    secondLocation = shader.getUniformLocation(program, "second");
    paramLocation = shader.getUniformLocation(program, "shaderParam");
    return program;
}

void OpenGLDrawer::useShader(uint32_t program, float param)
{
    if (!contextReady)
        return;
    shader.useProgramObject(program);
    currentProgram = shaderSupport ? program : 0;
    // Uniforms belong to a program; with none current there is nothing to set.
    if (currentProgram != 0)
        shader.setFloatUniform(paramLocation, param);
}

void OpenGLDrawer::setSecondTexture(uint32_t key)
{
    secondTextureKey = key;
}

void OpenGLDrawer::createOffscreenBuffer()
{
    // Without the framebuffer extension there is no buffer and no key.
    if (glGenFramebuffersEXT == nullptr || glGenRenderbuffersEXT == nullptr) {
        framebufferReady = false;
        offscreenTextureKey = 0;
        return;
    }
    GLuint fbo = 0;
    glGenFramebuffersEXT(1, &fbo);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, fbo);
    GLuint depth = 0;
    glGenRenderbuffersEXT(1, &depth);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depth);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT, offscreenWidth, offscreenHeight);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, depth);
    GLuint colour = 0;
    glGenTextures(1, &colour);
    glBindTexture(GL_TEXTURE_2D, colour);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, offscreenWidth, offscreenHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, colour, 0);

    TextureRecord record;
    record.glName = colour;
    record.width = static_cast<uint16_t>(offscreenWidth);
    record.height = static_cast<uint16_t>(offscreenHeight);
    record.uMax = 1.0f;
    record.vMax = 1.0f;
    offscreenTextureKey = textureTable.add(record);
    framebuffer = fbo;
    depthBuffer = depth;
    framebufferReady = true;

    if (glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) != GL_FRAMEBUFFER_COMPLETE_EXT)
        say("Uh oh.");
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}

void OpenGLDrawer::beginOffscreen()
{
    if (!contextReady || !framebufferReady)
        return;
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    glDrawBuffer(GL_COLOR_ATTACHMENT0_EXT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glViewport(0, 0, getWidth(), getHeight());
    gluOrtho2D(0.0, getWidth(), 0.0, getHeight());
    glMatrixMode(GL_MODELVIEW);
}

void OpenGLDrawer::endOffscreen()
{
    if (!contextReady)
        return;
    if (framebufferReady) {
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
        glDrawBuffer(GL_BACK);
    }
    resetViewport();
}

uint32_t OpenGLDrawer::getOffscreenTexture()
{
    return offscreenTextureKey;
}
