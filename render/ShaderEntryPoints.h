#pragma once
#include <cstdint>

// The ten shader-object calls the drawer makes, either GLEW's ARB entry points
// or harmless stand-ins when the driver has none, so callers never test.
struct ShaderEntryPoints {
    void (*setIntUniform)(int location, int value);
    void (*setFloatUniform)(int location, float value);
    uint32_t (*createShaderObject)(uint32_t type);
    void (*shaderSource)(uint32_t shader, const char* text);
    void (*compileShader)(uint32_t shader);
    uint32_t (*createProgramObject)();
    void (*attachObject)(uint32_t program, uint32_t shader);
    void (*linkProgram)(uint32_t program);
    int (*getUniformLocation)(uint32_t program, const char* name);
    void (*useProgramObject)(uint32_t program);

    // The stand-ins: no effect, 0 results.
    static ShaderEntryPoints fallbacks();
    // GLEW's entry points, wrapped; only valid after glewInit found them.
    static ShaderEntryPoints fromGlew();
    // Whether GLEW provides glUniform1iARB in the current context.
    static bool glewHasShaders();
};
