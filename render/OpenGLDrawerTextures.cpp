#include "render/OpenGLDrawer.h"
#include "render/GlDrawHelpers.h"
#include "render/TexturePadding.h"
#include <cmath>

// The texture table and everything drawn from it: pictures, regions,
// rectangles, soft lines, blending and stored polygons.

using gldraw::filterFor;
using gldraw::setActiveUnit;

namespace {

constexpr float lineHalfWidth = 4.0f; // logical units each side of a line

} // namespace

void OpenGLDrawer::setLinearFiltering(bool linear)
{
    linearFiltering = linear;
}

TextureRecord& OpenGLDrawer::textureRecord(uint32_t key)
{
    return textureTable.recordFor(key);
}

uint32_t OpenGLDrawer::createTexture(uint8_t* pixels, uint32_t width, uint32_t height)
{
    if (pixels == nullptr)
        return 0;
    if (!contextReady) {
        delete[] pixels;
        return 0;
    }
    const padding::PaddedPicture picture = padding::padTexture(pixels, width, height);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, static_cast<GLsizei>(picture.width),
                 static_cast<GLsizei>(picture.height), 0, GL_RGBA, GL_UNSIGNED_BYTE, picture.pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filterFor(linearFiltering));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filterFor(linearFiltering));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);
    delete[] picture.pixels;

    TextureRecord record;
    record.glName = name;
    record.width = static_cast<uint16_t>(width);
    record.height = static_cast<uint16_t>(height);
    record.uMax = picture.uMax;
    record.vMax = picture.vMax;
    return textureTable.add(record);
}

void OpenGLDrawer::deleteTexture(uint32_t key)
{
    TextureRecord removed;
    if (!textureTable.remove(key, &removed))
        return;
    if (contextReady && removed.glName != 0) {
        const GLuint name = removed.glName;
        glDeleteTextures(1, &name);
    }
}

void OpenGLDrawer::texCoordBoth(float s, float t)
{
    if (glMultiTexCoord2fARB != nullptr) {
        glMultiTexCoord2fARB(GL_TEXTURE0_ARB, s, t);
        glMultiTexCoord2fARB(GL_TEXTURE1_ARB, s, t);
    } else {
        glTexCoord2f(s, t);
    }
}

void OpenGLDrawer::bindMainAndSecond(const TextureRecord& record)
{
    setActiveUnit(GL_TEXTURE0_ARB);
    glBindTexture(GL_TEXTURE_2D, record.glName);
    if (currentProgram != 0)
        shader.setIntUniform(baseLocation, 0);
    const TextureRecord* second = secondTextureKey != 0 ? textureTable.find(secondTextureKey) : nullptr;
    if (second != nullptr && glActiveTextureARB != nullptr) {
        setActiveUnit(GL_TEXTURE1_ARB);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, second->glName);
        if (currentProgram != 0)
            shader.setIntUniform(secondLocation, 1);
        setActiveUnit(GL_TEXTURE0_ARB);
    }
}

void OpenGLDrawer::releaseUnits()
{
    if (glActiveTextureARB != nullptr) {
        setActiveUnit(GL_TEXTURE1_ARB);
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_2D);
        setActiveUnit(GL_TEXTURE0_ARB);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

void OpenGLDrawer::drawTexture(uint32_t key, float x, float y, float scaleX, float scaleY,
                               float r, float g, float b, float a)
{
    const TextureRecord* record = textureTable.find(key);
    if (!contextReady || record == nullptr)
        return;
    const float w = record->width * scaleX;
    const float h = record->height * scaleY;
    bindMainAndSecond(*record);
    glColor4f(r, g, b, a);
    glBegin(GL_QUADS);
    texCoordBoth(0.0f, 0.0f);
    glVertex2f(x, y);
    texCoordBoth(record->uMax, 0.0f);
    glVertex2f(x + w, y);
    texCoordBoth(record->uMax, record->vMax);
    glVertex2f(x + w, y + h);
    texCoordBoth(0.0f, record->vMax);
    glVertex2f(x, y + h);
    glEnd();
    releaseUnits();
}

void OpenGLDrawer::drawTextureTransformed(uint32_t key, float x, float y, float angle, float pivotX, float pivotY,
                                          float scaleX, float scaleY, float r, float g, float b, float a)
{
    const TextureRecord* record = textureTable.find(key);
    if (!contextReady || record == nullptr)
        return;
    gldraw::pushTurn(x, y, angle, pivotX, pivotY, scaleX, scaleY);
    glBindTexture(GL_TEXTURE_2D, record->glName);
    glColor4f(r, g, b, a);
    const float w = record->width;
    const float h = record->height;
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(record->uMax, 0.0f);
    glVertex2f(w, 0.0f);
    glTexCoord2f(record->uMax, record->vMax);
    glVertex2f(w, h);
    glTexCoord2f(0.0f, record->vMax);
    glVertex2f(0.0f, h);
    glEnd();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopMatrix();
}

void OpenGLDrawer::drawTextureRegion(uint32_t key, float x, float y, float s0, float t0, float sw, float th,
                                     float scaleX, float scaleY, float r, float g, float b, float a)
{
    const TextureRecord* record = textureTable.find(key);
    if (!contextReady || record == nullptr)
        return;
    const float w = record->width * sw * scaleX;
    const float h = record->height * th * scaleY;
    const float left = record->uMax * s0;
    const float top = t0 * record->vMax;
    const float right = left + sw * record->uMax;
    const float bottom = top + th * record->vMax;
    bindMainAndSecond(*record);
    glColor4f(r, g, b, a);
    glBegin(GL_QUADS);
    texCoordBoth(left, top);
    glVertex2f(x, y);
    texCoordBoth(right, top);
    glVertex2f(x + w, y);
    texCoordBoth(right, bottom);
    glVertex2f(x + w, y + h);
    texCoordBoth(left, bottom);
    glVertex2f(x, y + h);
    glEnd();
    releaseUnits();
}

void OpenGLDrawer::drawTextureQuads(uint32_t key, const TextureQuad* quads, size_t count, float scaleX,
                                    float scaleY, bool blended)
{
    const TextureRecord* record = textureTable.find(key);
    if (!contextReady || record == nullptr || count == 0)
        return;
    // One binding and one run of vertices for the whole batch: a level's
    // tiles are hundreds of quads a frame.
    if (!blended)
        glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, record->glName);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    // The colour is white, so replacing gives the same texels as modulating;
    // it lets a software renderer take its fast path for plain textured
    // quads, which cuts a 1080p play frame by about a fifth on llvmpipe.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBegin(GL_QUADS);
    for (size_t i = 0; i < count; ++i) {
        const TextureQuad& quad = quads[i];
        const float quadW = record->width * quad.sw * scaleX;
        const float quadH = record->height * quad.th * scaleY;
        const float left = quad.s0 * record->uMax;
        const float top = quad.t0 * record->vMax;
        // The far edges from the region's own end, so that neighbouring
        // regions meet at exactly the same coordinate.
        const float right = (quad.s0 + quad.sw) * record->uMax;
        const float bottom = (quad.t0 + quad.th) * record->vMax;
        glTexCoord2f(left, top);
        glVertex2f(quad.x, quad.y);
        glTexCoord2f(right, top);
        glVertex2f(quad.x + quadW, quad.y);
        glTexCoord2f(right, bottom);
        glVertex2f(quad.x + quadW, quad.y + quadH);
        glTexCoord2f(left, bottom);
        glVertex2f(quad.x, quad.y + quadH);
    }
    glEnd();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glBindTexture(GL_TEXTURE_2D, 0);
    if (!blended)
        glEnable(GL_BLEND);
}

void OpenGLDrawer::fillRect(float x, float y, float w, float h, uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    fillGradientRect(x, y, w, h, r, g, b, a, r, g, b, a);
}

void OpenGLDrawer::fillGradientRect(float x, float y, float w, float h,
                                    uint8_t r1, uint8_t g1, uint8_t b1, uint8_t a1,
                                    uint8_t r2, uint8_t g2, uint8_t b2, uint8_t a2)
{
    if (!contextReady)
        return;
    // Mixing by an alpha of 1 leaves the colour as it is, but a software
    // renderer still reads every pixel under it to mix.
    const bool opaque = a1 == 255 && a2 == 255 && currentBlendMode == 0 && currentProgram == 0;
    if (opaque)
        glDisable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBegin(GL_QUADS);
    glColor4ub(r1, g1, b1, a1);
    glVertex2f(x, y);
    glVertex2f(x + w, y);
    glColor4ub(r2, g2, b2, a2);
    glVertex2f(x + w, y + h);
    glVertex2f(x, y + h);
    glEnd();
    if (opaque)
        glEnable(GL_BLEND);
}

void OpenGLDrawer::drawLine(float x1, float y1, float x2, float y2, float r, float g, float b, float a)
{
    const TextureRecord* record = textureTable.find(lineTextureKey);
    if (!contextReady || record == nullptr)
        return;
    const float dx = x2 - x1;
    const float dy = y2 - y1;
    const float length = std::sqrt(dx * dx + dy * dy);
    // A point has no direction to widen across.
    if (!(length > 0.0f) || !std::isfinite(length))
        return;
    const float nx = -dy / length * lineHalfWidth;
    const float ny = dx / length * lineHalfWidth;
    glBindTexture(GL_TEXTURE_2D, record->glName);
    glColor4f(r, g, b, a);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(x1 + nx, y1 + ny);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(x2 + nx, y2 + ny);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(x2 - nx, y2 - ny);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(x1 - nx, y1 - ny);
    glEnd();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void OpenGLDrawer::setBlendMode(int mode)
{
    if (!contextReady)
        return;
    GLenum source = GL_SRC_ALPHA;
    GLenum destination = GL_ONE_MINUS_SRC_ALPHA;
    GLenum equation = GL_FUNC_ADD_EXT;
    switch (mode) {
    case 0:
        break;
    case 1:
        destination = GL_ONE;
        break;
    case 2:
        // destination × (source − source alpha): darkens where the source is
        // darker than its own alpha.
        source = GL_DST_COLOR;
        destination = GL_SRC_ALPHA;
        equation = GL_FUNC_SUBTRACT_EXT;
        break;
    default:
        return;
    }
    currentBlendMode = mode;
    glBlendFunc(source, destination);
    if (glBlendEquationEXT != nullptr)
        glBlendEquationEXT(equation);
}

int OpenGLDrawer::createPolygon(const float* points, int count)
{
    polygons.push_back(PolygonRecord::fromPoints(points, count));
    return static_cast<int>(polygons.size()) - 1;
}

const PolygonRecord* OpenGLDrawer::polygon(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= polygons.size())
        return nullptr;
    return &polygons[static_cast<std::size_t>(index)];
}

void OpenGLDrawer::drawPolygon(int index, uint32_t key, float x, float y, float scaleX, float scaleY,
                               float r, float g, float b, float a)
{
    const TextureRecord* record = textureTable.find(key);
    const PolygonRecord* shape = polygon(index);
    if (!contextReady || record == nullptr || shape == nullptr || shape->count < 2)
        return;
    setActiveUnit(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    bindMainAndSecond(*record);
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    glScalef(scaleX, scaleY, 1.0f);
    glColor4f(r, g, b, a);
    const bool multi = glMultiTexCoord2fARB != nullptr;
    auto vertex = [&](int entry, float s1, float t1) {
        const auto i = static_cast<std::size_t>(entry);
        if (multi) {
            glMultiTexCoord2fARB(GL_TEXTURE0_ARB, shape->u[i], shape->v[i]);
            glMultiTexCoord2fARB(GL_TEXTURE1_ARB, s1, t1);
        } else {
            glTexCoord2f(shape->u[i], shape->v[i]);
        }
        glVertex2f(shape->x[i], shape->y[i]);
    };
    const int n = shape->count;
    glBegin(GL_TRIANGLES);
    for (int i = 1; i < n; ++i) {
        const int next = i + 1 < n ? i + 1 : 1; // the fan closes on the first point
        vertex(0, 0.5f, 1.0f);
        vertex(i, 0.0f, 0.0f);
        vertex(next, 1.0f, 0.0f);
    }
    glEnd();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glPopMatrix();
    releaseUnits();
}
