#include "render/OpenGLDrawer.h"
#include "render/GlDrawHelpers.h"
#include "render/OpenGLFont.h"
#include "render/TexturePadding.h"
#include <cstring>

// Text: the built-in glyph slots and the TrueType fonts.

using gldraw::filterFor;

void OpenGLDrawer::createGlyphPlaceholders()
{
    uint8_t white[glyphfont::placeholderSize * glyphfont::placeholderSize * 4];
    std::memset(white, 255, sizeof white);
    for (TextureRecord& slot : glyphSlots) {
        if (slot.glName != 0) {
            const GLuint old = slot.glName;
            glDeleteTextures(1, &old);
        }
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, glyphfont::placeholderSize, glyphfont::placeholderSize, 0,
                     GL_RGBA, GL_UNSIGNED_BYTE, white);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glBindTexture(GL_TEXTURE_2D, 0);
        slot = TextureRecord{name, glyphfont::placeholderSize, glyphfont::placeholderSize, 1.0f, 1.0f};
    }
}

const TextureRecord& OpenGLDrawer::glyphSlot(int slot) const
{
    static const TextureRecord none{};
    if (slot < 0 || slot >= glyphfont::slotCount)
        return none;
    return glyphSlots[static_cast<std::size_t>(slot)];
}

void OpenGLDrawer::setGlyph(int slot, uint8_t* pixels, uint32_t size)
{
    if (slot < 0 || slot >= glyphfont::slotCount || !contextReady) {
        delete[] pixels; // ours now, whatever happens
        return;
    }
    if (pixels == nullptr)
        return;
    if (!padding::isPowerOfTwo(size))
        glyphPaddingPixels = static_cast<int>(padding::nextPowerOfTwo(size) - size);
    const padding::PaddedPicture picture = padding::padGlyph(pixels, size);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, static_cast<GLsizei>(picture.width),
                 static_cast<GLsizei>(picture.height), 0, GL_RGBA, GL_UNSIGNED_BYTE, picture.pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filterFor(linearFiltering));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filterFor(linearFiltering));
    glBindTexture(GL_TEXTURE_2D, 0);
    TextureRecord& record = glyphSlots[static_cast<std::size_t>(slot)];
    if (record.glName != 0) {
        const GLuint old = record.glName;
        glDeleteTextures(1, &old);
    }
    record = TextureRecord{name, static_cast<uint16_t>(picture.width), static_cast<uint16_t>(picture.height),
                           1.0f, 1.0f};
    delete[] picture.pixels;
}

void OpenGLDrawer::drawGlyphText(const std::string& text, float x, float y, float size,
                                 float r, float g, float b, float a)
{
    if (!contextReady)
        return;
    const float step = glyphfont::step(size, glyphSlots[0].width, glyphPaddingPixels);
    for (const char c : text) {
        const int slot = glyphfont::slotFor(c);
        if (slot != glyphfont::noSlot) {
            glBindTexture(GL_TEXTURE_2D, glyphSlots[static_cast<std::size_t>(slot)].glName);
            glColor4f(r, g, b, a);
            glBegin(GL_QUADS);
            glTexCoord2f(0.0f, 0.0f);
            glVertex2f(x, y);
            glTexCoord2f(1.0f, 0.0f);
            glVertex2f(x + size, y);
            glTexCoord2f(1.0f, 1.0f);
            glVertex2f(x + size, y + size);
            glTexCoord2f(0.0f, 1.0f);
            glVertex2f(x, y + size);
            glEnd();
            glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
            glBindTexture(GL_TEXTURE_2D, 0);
        }
        x += step;
    }
}

int OpenGLDrawer::loadFont(const std::string& fileName, float pointSize)
{
    if (!contextReady || refusedFonts.count(fileName) != 0)
        return 0;
    auto font = std::make_unique<OpenGLFont>(fileName, pointSize);
    if (!font->isLoaded()) {
        refusedFonts.insert(fileName);
        return 0;
    }
    fonts.push_back(std::move(font));
    return static_cast<int>(fonts.size());
}

void OpenGLDrawer::drawText(const std::string& text, int font, float x, float y, float width, float scale,
                            float r, float g, float b, float a)
{
    if (font == 0) {
        drawGlyphText(text, x, y, glyphfont::sizePerScale * scale, r, g, b, a);
        return;
    }
    if (!contextReady || font < 0 || static_cast<std::size_t>(font) > fonts.size())
        return;
    fonts[static_cast<std::size_t>(font) - 1]->draw(text, x, y, width, scale, r, g, b, a);
}

void OpenGLDrawer::drawOutlinedText(const std::string& text, int font, float x, float y, float width, float scale,
                                    float r, float g, float b, float outlineWidth, float outlineAlpha)
{
    if (!contextReady || font <= 0 || static_cast<std::size_t>(font) > fonts.size()) {
        Drawer::drawOutlinedText(text, font, x, y, width, scale, r, g, b, outlineWidth, outlineAlpha);
        return;
    }
    fonts[static_cast<std::size_t>(font) - 1]->drawOutlined(text, x, y, width, scale, r, g, b, outlineWidth,
                                                           outlineAlpha);
}
