#include "render/OpenGLFont.h"

#include "base/RegularFile.h"
#include "render/FontSystem.h"

#include <GL/gl.h>
#include <SDL/SDL_ttf.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <memory>

namespace {

// The drawable characters, in atlas order; the space is last.
constexpr char glyphSet[] = "abcdefghijklmnopqrstuvwxyz"
                            "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                            "0123456789"
                            "+-=.,;:'?()!\"\\/<>_ ";
static_assert(sizeof(glyphSet) - 1 == OpenGLFont::glyphCount);

constexpr int atlasColumns = 10;        // integer part of the root of 81, plus one
constexpr int glyphsPerRow = 11;        // a row wraps once the column passes ten
constexpr float lineGap = 4.0f;         // pixels added below every line
constexpr float glyphQuadExtra = 2.0f;  // rows a glyph quad samples below the line height
constexpr int largestAtlasSide = 8192;  // pixels; larger fonts are refused rather than half-built
constexpr size_t largestFontFile = 64 * 1024 * 1024; // bytes; far above any text font
constexpr const char* fontFolder = "fonts";           // data folder of the shipped font
// Texels kept around a quad's ink: smoothing reads one texel either side,
// and one more absorbs a cell that does not start on a whole texel.
constexpr int inkMargin = 2;

struct GlyphMetrics {
    int minX = 0, maxX = 0, minY = 0, maxY = 0, advance = 0;
};

GlyphMetrics metricsOf(TTF_Font* font, char c)
{
    GlyphMetrics m;
    // A character the font lacks reports failure: it keeps all zeros.
    if (TTF_GlyphMetrics(font, static_cast<unsigned char>(c), &m.minX, &m.maxX, &m.minY, &m.maxY, &m.advance) != 0)
        m = GlyphMetrics{};
    return m;
}

struct SurfaceRelease {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using Picture = std::unique_ptr<SDL_Surface, SurfaceRelease>;

// Copies a glyph picture's coverage into the white atlas, clipped to it;
// true when it covered at least one pixel.
bool copyCoverage(SDL_Surface* picture, std::vector<uint8_t>& atlas, int side, int left, int top)
{
    if (picture->format->BytesPerPixel != 4)
        return false;
    if (SDL_MUSTLOCK(picture) && SDL_LockSurface(picture) != 0)
        return false;
    bool covered = false;
    const SDL_PixelFormat& format = *picture->format;
    for (int row = 0; row < picture->h; ++row) {
        const int y = top + row;
        if (y < 0 || y >= side)
            continue;
        const auto* source = reinterpret_cast<const Uint32*>(static_cast<const uint8_t*>(picture->pixels)
                                                             + static_cast<size_t>(row) * picture->pitch);
        for (int column = 0; column < picture->w; ++column) {
            const int x = left + column;
            if (x < 0 || x >= side)
                continue;
            const Uint32 pixel = source[column];
            const uint8_t alpha = format.Amask != 0 ? static_cast<uint8_t>((pixel & format.Amask) >> format.Ashift)
                                                    : 255;
            atlas[(static_cast<size_t>(y) * side + x) * 4 + 3] = alpha;
            covered = covered || alpha != 0;
        }
    }
    if (SDL_MUSTLOCK(picture))
        SDL_UnlockSurface(picture);
    return covered;
}

} // namespace

int OpenGLFont::glyphIndex(char c)
{
    for (int i = 0; i < glyphCount; ++i)
        if (glyphSet[i] == c)
            return i;
    return notInSet;
}

int OpenGLFont::openedPointSize(float pointSize)
{
    return static_cast<int>(pointSize);
}

int OpenGLFont::atlasSideFor(float lineHeight, float maxAdvance, int neededExtent)
{
    const float cell = std::max(lineHeight, maxAdvance);
    const float wanted = std::max(atlasColumns * cell, static_cast<float>(neededExtent));
    // Measured in floats first: a font with absurd metrics must not overflow
    // the integer side, only be refused.
    if (!(wanted <= static_cast<float>(largestAtlasSide)))
        return largestAtlasSide * 2;
    const int wantedSide = static_cast<int>(wanted);
    int side = 1;
    while (side < wantedSide)
        side *= 2;
    return side;
}

FilePath OpenGLFont::findFontFile(const std::string& name)
{
    // A bare file name only: a path must not lead the search out of the folders.
    if (name.empty() || name.find('/') != std::string::npos)
        return {};
    const FilePath shipped = FilePath::dataFolder(fontFolder);
    std::vector<FilePath> folders = FilePath::systemFontDirectories();
    folders.push_back(shipped);
    for (const FilePath& folder : folders) {
        const FilePath candidate = folder.join(name);
        if (candidate.isFile())
            return candidate;
    }
    // The game's own name first, so a player's font of that name wins; the
    // font shipped with the game, under its real name, after that.
    if (name == gameFontName && shipped.join(std::string(shippedFontName)).isFile())
        return shipped.join(std::string(shippedFontName));
    return {};
}

FontAtlas OpenGLFont::buildAtlas(TTF_Font* font)
{
    FontAtlas atlas;
    // First pass: the widest pen step and the tallest glyph box.
    for (int i = 0; i < glyphCount; ++i) {
        const GlyphMetrics m = metricsOf(font, glyphSet[i]);
        atlas.maxAdvance = std::max(atlas.maxAdvance, static_cast<float>(m.advance));
        if (atlas.tallest < static_cast<float>(m.maxY - m.minY))
            atlas.tallest = static_cast<float>(m.maxY - m.minY + 1);
    }
    atlas.lineHeight = static_cast<float>(std::max(TTF_FontLineSkip(font), TTF_FontHeight(font)));
    atlas.lineHeight = std::max(atlas.lineHeight, atlas.tallest) + lineGap;

    // Second pass: place every glyph. The pictures are kept until the atlas
    // size is known, so that it can be made large enough for all of them.
    std::array<Picture, glyphCount> pictures;
    std::array<int, glyphCount> tops{};
    int neededExtent = 0;
    int column = 0;
    float rowY = 0.0f;
    const SDL_Color white = {255, 255, 255, 0};
    for (int i = 0; i < glyphCount; ++i) {
        const GlyphMetrics m = metricsOf(font, glyphSet[i]);
        // The space (and any empty glyph) may come back without a picture.
        pictures[i].reset(TTF_RenderGlyph_Blended(font, static_cast<unsigned char>(glyphSet[i]), white));
        const float cellX = static_cast<float>(column) * atlas.maxAdvance;
        // Every glyph's baseline lands on the same atlas row within its cell row.
        tops[i] = static_cast<int>(rowY) + static_cast<int>(atlas.tallest) - m.maxY - 1;

        FontGlyph& glyph = atlas.glyphs[i];
        glyph.character = glyphSet[i];
        glyph.atlasX = cellX;
        glyph.atlasY = rowY;
        const float glyphWidth = static_cast<float>(m.maxX - m.minX);
        const float advance = static_cast<float>(m.advance);
        if (advance >= glyphWidth) {
            glyph.width = advance;
            glyph.xOffset = 0.0f;
        } else {
            glyph.width = glyphWidth;
            glyph.xOffset = (glyphWidth - advance) * -0.5f;
        }
        glyph.advance = advance;

        int right = static_cast<int>(std::ceil(cellX + glyph.width));
        int bottom = static_cast<int>(std::ceil(rowY + atlas.lineHeight + glyphQuadExtra));
        if (pictures[i]) {
            right = std::max(right, static_cast<int>(cellX) + pictures[i]->w);
            bottom = std::max(bottom, tops[i] + pictures[i]->h);
        }
        neededExtent = std::max({neededExtent, right, bottom});

        if (++column >= glyphsPerRow) {
            column = 0;
            rowY += atlas.lineHeight + lineGap;
        }
    }

    atlas.size = atlasSideFor(atlas.lineHeight, atlas.maxAdvance, neededExtent);
    if (atlas.size > largestAtlasSide)
        return atlas; // no pixels: the caller refuses it
    const size_t pixelCount = static_cast<size_t>(atlas.size) * static_cast<size_t>(atlas.size);
    atlas.pixels.resize(pixelCount * 4);
    for (size_t p = 0; p < pixelCount; ++p) {
        atlas.pixels[p * 4 + 0] = 255;
        atlas.pixels[p * 4 + 1] = 255;
        atlas.pixels[p * 4 + 2] = 255;
        atlas.pixels[p * 4 + 3] = 0;
    }
    for (int i = 0; i < glyphCount; ++i)
        if (pictures[i] && copyCoverage(pictures[i].get(), atlas.pixels, atlas.size,
                                        static_cast<int>(atlas.glyphs[i].atlasX), tops[i]))
            ++atlas.drawnGlyphs;
    return atlas;
}

OutlineAtlas OpenGLFont::buildOutline(const std::vector<uint8_t>& coverage, int atlasSize,
                                      const std::array<FontGlyph, glyphCount>& glyphs, float quadHeight, int reach,
                                      float opacity)
{
    OutlineAtlas rim;
    rim.reach = reach;
    rim.opacity = opacity;
    int widest = 0;
    for (const FontGlyph& glyph : glyphs)
        widest = std::max(widest, static_cast<int>(std::ceil(glyph.width)));
    const int sourceHeight = static_cast<int>(std::ceil(quadHeight));
    // A clear pixel between rims, so that smoothing never blends in a neighbour.
    const int columnStep = widest + 2 * reach + 1;
    const int rowStep = sourceHeight + 2 * reach + 1;
    const int rows = (glyphCount + glyphsPerRow - 1) / glyphsPerRow;
    const int needed = 1 + std::max(glyphsPerRow * columnStep, rows * rowStep);
    if (needed > largestAtlasSide)
        return rim; // no pixels: drawn without a rim
    rim.size = 1;
    while (rim.size < needed)
        rim.size *= 2;
    rim.alpha.assign(static_cast<size_t>(rim.size) * static_cast<size_t>(rim.size), 0);

    for (int i = 0; i < glyphCount; ++i) {
        const FontGlyph& glyph = glyphs[static_cast<size_t>(i)];
        const int left = 1 + (i % glyphsPerRow) * columnStep;
        const int top = 1 + (i / glyphsPerRow) * rowStep;
        rim.places[static_cast<size_t>(i)] = {left, top};
        const int sourceX = static_cast<int>(glyph.atlasX);
        const int sourceY = static_cast<int>(glyph.atlasY);
        const int sourceWidth = static_cast<int>(std::ceil(glyph.width));
        // What one dark copy lets through at (x, y) of the glyph's quad:
        // everything outside the quad, which the copy does not cover.
        auto through = [&](int x, int y) {
            if (x < 0 || y < 0 || x >= sourceWidth || y >= sourceHeight || sourceX + x >= atlasSize
                || sourceY + y >= atlasSize)
                return 1.0f;
            const size_t at = static_cast<size_t>(sourceY + y) * static_cast<size_t>(atlasSize)
                              + static_cast<size_t>(sourceX + x);
            return 1.0f - opacity * static_cast<float>(coverage[at]) / 255.0f;
        };
        for (int v = 0; v < sourceHeight + 2 * reach; ++v) {
            for (int u = 0; u < sourceWidth + 2 * reach; ++u) {
                float passed = 1.0f;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        if (dx != 0 || dy != 0)
                            passed *= through(u - reach - dx * reach, v - reach - dy * reach);
                rim.alpha[static_cast<size_t>(top + v) * static_cast<size_t>(rim.size) + static_cast<size_t>(left + u)] =
                    static_cast<uint8_t>(std::lround((1.0f - passed) * 255.0f));
            }
        }
    }
    return rim;
}

InkBox OpenGLFont::inkBox(const uint8_t* alpha, int side, int left, int top, float width, float height)
{
    const int columns = static_cast<int>(std::ceil(width));
    const int rows = static_cast<int>(std::ceil(height));
    int firstColumn = columns, lastColumn = -1, firstRow = rows, lastRow = -1;
    for (int v = std::max(0, -top); v < rows && top + v < side; ++v) {
        const uint8_t* row = alpha + static_cast<size_t>(top + v) * static_cast<size_t>(side);
        for (int u = std::max(0, -left); u < columns && left + u < side; ++u) {
            if (row[left + u] != 0) {
                firstColumn = std::min(firstColumn, u);
                lastColumn = std::max(lastColumn, u);
                firstRow = std::min(firstRow, v);
                lastRow = std::max(lastRow, v);
            }
        }
    }
    if (lastColumn < 0 || width <= 0.0f || height <= 0.0f)
        return {};
    auto fraction = [](int texel, float extent) { return std::clamp(static_cast<float>(texel) / extent, 0.0f, 1.0f); };
    return {fraction(firstColumn - inkMargin, width), fraction(firstRow - inkMargin, height),
            fraction(lastColumn + 1 + inkMargin, width), fraction(lastRow + 1 + inkMargin, height)};
}

OpenGLFont::OpenGLFont(const std::string& fileName, float pointSize)
{
    const FilePath path = findFontFile(fileName);
    if (!path.exists()) {
        std::cout << "OpenGLFont: Could not find font: " << fileName << std::endl;
        return;
    }
    // SDL_ttf reads our copy of the file, never the path itself: a FIFO or a
    // device put there must not stop the game in the middle of a frame.
    const platform::FileBytes file = platform::readRegularFile(path.text(), largestFontFile);
    if (!file.ok()) {
        std::cout << "OpenGLFont: Could not read font file " << path.text() << ": " << file.reason() << std::endl;
        return;
    }
    FontSystem::ensureStarted();
    SDL_RWops* stream =
        FontSystem::isStarted() ? SDL_RWFromConstMem(file.bytes.data(), static_cast<int>(file.bytes.size())) : nullptr;
    TTF_Font* font = stream != nullptr ? TTF_OpenFontRW(stream, 0, openedPointSize(pointSize)) : nullptr;
    if (font == nullptr) {
        if (stream != nullptr)
            SDL_RWclose(stream);
        std::cout << "OpenGLFont: Could not load font: " << fileName << std::endl;
        return;
    }
    FontAtlas atlas = buildAtlas(font);
    TTF_CloseFont(font);
    SDL_RWclose(stream);
    if (atlas.pixels.empty()) {
        std::cout << "OpenGLFont: Could not load font: " << fileName << std::endl;
        return;
    }
    // A damaged file can open and still draw nothing; the built-in glyph
    // font then shows the text instead of an invisible one.
    if (atlas.drawnGlyphs == 0) {
        std::cout << "OpenGLFont: Font draws no glyph: " << path.text() << std::endl;
        return;
    }

    glGetError(); // an error left by earlier code is not ours to report
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, atlas.size, atlas.size, 0, GL_RGBA, GL_UNSIGNED_BYTE, atlas.pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);

    texture = name;
    coverage.resize(static_cast<size_t>(atlas.size) * static_cast<size_t>(atlas.size));
    for (size_t p = 0; p < coverage.size(); ++p)
        coverage[p] = atlas.pixels[p * 4 + 3];
    glyphs = atlas.glyphs;
    atlasSize = atlas.size;
    lineHeight = atlas.lineHeight;
    for (size_t i = 0; i < glyphs.size(); ++i)
        glyphInk[i] = inkBox(coverage.data(), atlasSize, static_cast<int>(glyphs[i].atlasX),
                             static_cast<int>(glyphs[i].atlasY), glyphs[i].width, lineHeight + glyphQuadExtra);
    loaded = true;
}

OpenGLFont::~OpenGLFont()
{
    for (const uint32_t key : {texture, outlineTexture}) {
        if (key != 0) {
            const GLuint name = key;
            glDeleteTextures(1, &name);
        }
    }
}

namespace {

struct Quad {
    float x0, y0, x1, y1; // on screen
    float s0, t0, s1, t1; // in the texture, 0..1
};

// The part of a glyph's quad its ink box keeps.
Quad inkPart(const Quad& q, const InkBox& ink)
{
    // A whole side stays exactly where it was: no seam moves by a rounding.
    auto along = [](float from, float to, float f) {
        return f <= 0.0f ? from : f >= 1.0f ? to : from + (to - from) * f;
    };
    return {along(q.x0, q.x1, ink.x0), along(q.y0, q.y1, ink.y0), along(q.x0, q.x1, ink.x1),
            along(q.y0, q.y1, ink.y1), along(q.s0, q.s1, ink.x0), along(q.t0, q.t1, ink.y0),
            along(q.s0, q.s1, ink.x1), along(q.t0, q.t1, ink.y1)};
}

} // namespace

// One batch for the whole string: a quad per glyph costs the software
// rasteriser far less inside one glBegin than one each.
template <class Place>
void OpenGLFont::drawQuads(const std::string& text, float x, float y, float width, float scale, Place&& place)
{
    glBegin(GL_QUADS);
    layoutText(text, x, y, width, scale, glyphs, lineHeight, [&](const FontGlyph& glyph, float gx, float gy) {
        const Quad q = place(glyph, gx, gy);
        if (!(q.x0 < q.x1 && q.y0 < q.y1))
            return; // a glyph without ink, the space
        glTexCoord2f(q.s0, q.t0);
        glVertex2f(q.x0, q.y0);
        glTexCoord2f(q.s1, q.t0);
        glVertex2f(q.x1, q.y0);
        glTexCoord2f(q.s1, q.t1);
        glVertex2f(q.x1, q.y1);
        glTexCoord2f(q.s0, q.t1);
        glVertex2f(q.x0, q.y1);
    });
    glEnd();
}

void OpenGLFont::draw(const std::string& text, float x, float y, float width, float scale,
                      float r, float g, float b, float a)
{
    if (!loaded)
        return;
    const float side = static_cast<float>(atlasSize);
    const float height = lineHeight + glyphQuadExtra;
    glBindTexture(GL_TEXTURE_2D, texture);
    glColor4f(r, g, b, a);
    drawQuads(text, x, y, width, scale, [&](const FontGlyph& glyph, float gx, float gy) {
        return inkPart(Quad{gx, gy, gx + glyph.width * scale, gy + height * scale, glyph.atlasX / side,
                            glyph.atlasY / side, (glyph.atlasX + glyph.width) / side, (glyph.atlasY + height) / side},
                       glyphInk[static_cast<size_t>(&glyph - glyphs.data())]);
    });
    glBindTexture(GL_TEXTURE_2D, 0);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void OpenGLFont::drawOutlined(const std::string& text, float x, float y, float width, float scale, float r, float g,
                              float b, float outlineWidth, float outlineAlpha)
{
    if (!loaded)
        return;
    const int reach = scale > 0.0f ? std::max(0, static_cast<int>(std::lround(outlineWidth / scale))) : 0;
    const float height = lineHeight + glyphQuadExtra;
    if (!rimMade || reach != outline.reach || outlineAlpha != outline.opacity) {
        rimMade = true;
        outline = buildOutline(coverage, atlasSize, glyphs, height, reach, outlineAlpha);
        if (outlineTexture != 0) {
            const GLuint old = outlineTexture;
            glDeleteTextures(1, &old);
            outlineTexture = 0;
        }
        if (outline.size > 0) {
            GLuint name = 0;
            glGenTextures(1, &name);
            glBindTexture(GL_TEXTURE_2D, name);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, outline.size, outline.size, 0, GL_ALPHA, GL_UNSIGNED_BYTE,
                         outline.alpha.data());
            glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            glBindTexture(GL_TEXTURE_2D, 0);
            outlineTexture = name;
            const float border = 2.0f * static_cast<float>(reach);
            for (size_t i = 0; i < glyphs.size(); ++i)
                rimInk[i] = inkBox(outline.alpha.data(), outline.size, outline.places[i][0], outline.places[i][1],
                                   glyphs[i].width + border, height + border);
            outline.alpha = {};
        }
    }
    if (outlineTexture != 0) {
        const float side = static_cast<float>(outline.size);
        const float spread = static_cast<float>(reach);
        glBindTexture(GL_TEXTURE_2D, outlineTexture);
        glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
        drawQuads(text, x, y, width, scale, [&](const FontGlyph& glyph, float gx, float gy) {
            const size_t index = static_cast<size_t>(&glyph - glyphs.data());
            const auto& place = outline.places[index];
            const float left = static_cast<float>(place[0]);
            const float top = static_cast<float>(place[1]);
            return inkPart(Quad{gx - spread * scale, gy - spread * scale, gx + (glyph.width + spread) * scale,
                                gy + (height + spread) * scale, left / side, top / side,
                                (left + glyph.width + 2.0f * spread) / side, (top + height + 2.0f * spread) / side},
                           rimInk[index]);
        });
    }
    draw(text, x, y, width, scale, r, g, b, 1.0f);
}
