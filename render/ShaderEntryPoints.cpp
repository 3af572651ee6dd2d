#include "render/ShaderEntryPoints.h"
#include <GL/glew.h>

namespace {

void noSetInt(int, int) {}
void noSetFloat(int, float) {}
uint32_t noCreateShader(uint32_t) { return 0; }
void noSource(uint32_t, const char*) {}
void noCompile(uint32_t) {}
uint32_t noCreateProgram() { return 0; }
void noAttach(uint32_t, uint32_t) {}
void noLink(uint32_t) {}
int noLocation(uint32_t, const char*) { return 0; }
void noUse(uint32_t) {}

void glewSetInt(int location, int value) { glUniform1iARB(location, value); }
void glewSetFloat(int location, float value) { glUniform1fARB(location, value); }
uint32_t glewCreateShader(uint32_t type) { return glCreateShaderObjectARB(type); }
void glewSource(uint32_t shader, const char* text)
{
    const GLcharARB* texts[1] = {text};
    glShaderSourceARB(shader, 1, texts, nullptr);
}
void glewCompile(uint32_t shader) { glCompileShaderARB(shader); }
uint32_t glewCreateProgram() { return glCreateProgramObjectARB(); }
void glewAttach(uint32_t program, uint32_t shader) { glAttachObjectARB(program, shader); }
void glewLink(uint32_t program) { glLinkProgramARB(program); }
int glewLocation(uint32_t program, const char* name) { return glGetUniformLocationARB(program, name); }
void glewUse(uint32_t program) { glUseProgramObjectARB(program); }

} // namespace

ShaderEntryPoints ShaderEntryPoints::fallbacks()
{
    return ShaderEntryPoints{noSetInt, noSetFloat, noCreateShader, noSource, noCompile,
                             noCreateProgram, noAttach, noLink, noLocation, noUse};
}

ShaderEntryPoints ShaderEntryPoints::fromGlew()
{
    return ShaderEntryPoints{glewSetInt, glewSetFloat, glewCreateShader, glewSource, glewCompile,
                             glewCreateProgram, glewAttach, glewLink, glewLocation, glewUse};
}

bool ShaderEntryPoints::glewHasShaders()
{
    return glUniform1iARB != nullptr;
}
