#pragma once
#include <GL/glew.h>
#include <iostream>
#include <string>

// Small helpers shared by the OpenGLDrawer source files.
namespace gldraw {

// One diagnostic line on standard output, flushed.
inline void say(const std::string& line)
{
    std::cout << line << std::endl;
}

inline GLint filterFor(bool linear)
{
    return linear ? GL_LINEAR : GL_NEAREST;
}

// Multitexturing comes from GLEW and may be missing.
inline void setActiveUnit(GLenum unit)
{
    if (glActiveTextureARB != nullptr)
        glActiveTextureARB(unit);
}

} // namespace gldraw
