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

// Pushes the matrix that scales about (x, y) and turns about the pivot, as
// every turned drawing uses; the caller pops it.
inline void pushTurn(float x, float y, float angle, float pivotX, float pivotY, float scaleX, float scaleY)
{
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    glScalef(scaleX, scaleY, 1.0f);
    glTranslatef(pivotX, pivotY, 0.0f);
    glRotatef(angle, 0.0f, 0.0f, 1.0f);
    glTranslatef(-pivotX, -pivotY, 0.0f);
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
