#pragma once
#include "base/FilePath.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct _TTF_Font;

// One character of the glyph set, placed in the atlas.
struct FontGlyph {
    char character = ' ';
    float atlasX = 0.0f;  // left edge of its cell, atlas pixels
    float atlasY = 0.0f;  // top edge of its cell row, atlas pixels
    float width = 0.0f;   // width of the cell drawn for it, pixels
    float xOffset = 0.0f; // shift when drawing, pixels (0 or negative)
    float advance = 0.0f; // pen step after it, pixels
};

// The CPU side of a built font: the atlas pixels and where each glyph sits.
struct FontAtlas {
    static constexpr int glyphCount = 81;
    std::array<FontGlyph, glyphCount> glyphs{};
    std::vector<uint8_t> pixels; // size x size RGBA, rows from the top
    int size = 0;                // side of the square atlas, a power of two
    float lineHeight = 0.0f;     // vertical step between lines, pixels
    float tallest = 0.0f;        // tallest glyph box plus one, pixels
    float maxAdvance = 0.0f;     // widest pen step, pixels
    int drawnGlyphs = 0;         // glyphs whose picture covers at least one pixel
};

// The dark rim of outlined text, made from a font's atlas: every glyph's
// quad spread by `reach` atlas pixels to the eight sides and the corners, so
// that one draw of it darkens what lies below as much as eight dark copies of
// the glyph shifted by `reach` would. One alpha byte a pixel.
struct OutlineAtlas {
    static constexpr int glyphCount = FontAtlas::glyphCount;
    std::vector<uint8_t> alpha; // size x size, rows from the top
    int size = 0;               // side of the square texture, a power of two
    int reach = 0;              // atlas pixels the rim reaches past the glyph quad
    float opacity = 0.0f;       // of each of the eight copies it stands for
    std::array<std::array<int, 2>, glyphCount> places{}; // top left of each glyph's rim, pixels
};

// The part of a glyph's quad that can show anything, as fractions of the
// quad's width and height: every texel the quad samples whose alpha is not
// zero, with a margin for smoothing. Empty (x0 >= x1) when it shows nothing.
struct InkBox {
    float x0 = 0.0f;
    float y0 = 0.0f;
    float x1 = 0.0f;
    float y1 = 0.0f;
};

// A TrueType font turned into one texture at load time; strings are drawn
// from it with word wrapping, one quad per character.
class OpenGLFont {
public:
    static constexpr int glyphCount = FontAtlas::glyphCount;
    static constexpr int notInSet = glyphCount; // glyphIndex of other characters
    static constexpr int spaceIndex = glyphCount - 1;

    // Looks the file up with findFontFile and builds the atlas; prints one
    // line and stays unloaded when the file is missing, not a regular file,
    // larger than 64 MiB, no font, or a font that draws no glyph.
    OpenGLFont(const std::string& fileName, float pointSize);
    ~OpenGLFont();
    OpenGLFont(const OpenGLFont&) = delete;
    OpenGLFont& operator=(const OpenGLFont&) = delete;

    bool isLoaded() const { return loaded; }

    // Draws text from (x, y), wrapping lines that reach `width`.
    void draw(const std::string& text, float x, float y, float width, float scale,
              float r, float g, float b, float a);
    // Draws text as draw does, over a black rim `outlineWidth` logical pixels
    // wide (rounded to whole atlas pixels) made of eight copies of opacity
    // `outlineAlpha`. The rim is made once, on the first call, and again only
    // when another width or opacity is asked for.
    void drawOutlined(const std::string& text, float x, float y, float width, float scale, float r, float g,
                      float b, float outlineWidth, float outlineAlpha);

    // The name the game asks for its text font, and the font shipped with it
    // (Cabin Sketch Bold, in the "fonts" data folder).
    static constexpr const char* gameFontName = "MarsNeedsCunnilingus.ttf";
    static constexpr const char* shippedFontName = "CabinSketch-Bold.ttf";

    // The system font folders first, then the "fonts" data folder; for
    // gameFontName, when it is in none of them, the shipped font. The empty
    // path when nothing is found or the name is not a bare name.
    static FilePath findFontFile(const std::string& name);
    // Position 0..80 in the glyph set, 81 for any other character.
    static int glyphIndex(char c);

    // Renders the 81 glyphs of an open font into an atlas (no OpenGL needed).
    static FontAtlas buildAtlas(_TTF_Font* font);
    // The rim of every glyph of an atlas whose coverage (alpha, size x size)
    // and glyph table are given; a glyph's quad is quadHeight pixels tall.
    static OutlineAtlas buildOutline(const std::vector<uint8_t>& coverage, int atlasSize,
                                     const std::array<FontGlyph, glyphCount>& glyphs, float quadHeight, int reach,
                                     float opacity);

    // The ink box of the quad showing texels [left, left + width) x [top,
    // top + height) of a side x side alpha picture (texels outside it count
    // as clear).
    static InkBox inkBox(const uint8_t* alpha, int side, int left, int top, float width, float height);

    // Calls emit(glyph, x, y) for every drawable character of `text`, in
    // order, at the place draw puts it. No allocation: lines are byte ranges
    // of the text. Characters outside the set (an accented letter counts as
    // one) take the space's advance and emit nothing.
    template <class Emit>
    static void layoutText(const std::string& text, float x, float y, float width, float scale,
                           const std::array<FontGlyph, glyphCount>& glyphs, float lineHeight, Emit&& emit);

    const std::array<FontGlyph, glyphCount>& glyphTable() const { return glyphs; }
    float getLineHeight() const { return lineHeight; }
    int getAtlasSize() const { return atlasSize; }
    uint32_t getTexture() const { return texture; }
    // The whole point size the font is opened at.
    static int openedPointSize(float pointSize);
    // Side of the square atlas: the next power of two holding ten cells of
    // max(lineHeight, maxAdvance) and every glyph's picture, whose rightmost
    // or lowest pixel reaches neededExtent; above 8192 the font is refused.
    static int atlasSideFor(float lineHeight, float maxAdvance, int neededExtent);

private:
    // Every glyph of `text` as a quad, taken from the bound texture.
    template <class Place>
    void drawQuads(const std::string& text, float x, float y, float width, float scale, Place&& place);

    uint32_t texture = 0;
    uint32_t outlineTexture = 0;
    OutlineAtlas outline;          // its layout; alpha emptied once uploaded
    // Where each glyph's quad shows ink, in the atlas and in the rim: the
    // rest of a quad is clear, and a software rasteriser would still blend
    // every pixel of it.
    std::array<InkBox, glyphCount> glyphInk{};
    std::array<InkBox, glyphCount> rimInk{};
    bool rimMade = false;          // tried for outline's reach and opacity
    std::vector<uint8_t> coverage; // the atlas's alpha, kept to make rims from
    std::array<FontGlyph, glyphCount> glyphs{};
    int atlasSize = 0;
    float lineHeight = 0.0f;
    bool loaded = false;
};

namespace fontlayout {

// Bytes taken by the character at `pos`: a UTF-8 sequence counts as one.
inline size_t characterLength(const std::string& text, size_t pos)
{
    const unsigned char lead = static_cast<unsigned char>(text[pos]);
    size_t length = 1;
    if (lead >= 0xC0) {
        while (pos + length < text.size() && length < 4
               && (static_cast<unsigned char>(text[pos + length]) & 0xC0) == 0x80)
            ++length;
    }
    return length;
}

} // namespace fontlayout

template <class Emit>
void OpenGLFont::layoutText(const std::string& text, float x, float y, float width, float scale,
                            const std::array<FontGlyph, glyphCount>& glyphs, float lineHeight, Emit&& emit)
{
    const float spaceAdvance = glyphs[spaceIndex].advance;
    auto advanceAt = [&](size_t pos) {
        const int index = fontlayout::characterLength(text, pos) == 1 ? glyphIndex(text[pos]) : notInSet;
        return index < glyphCount ? glyphs[static_cast<size_t>(index)].advance : spaceAdvance;
    };
    auto flush = [&](size_t begin, size_t end) {
        float pen = x;
        for (size_t pos = begin; pos < end;) {
            const size_t length = fontlayout::characterLength(text, pos);
            const int index = length == 1 ? glyphIndex(text[pos]) : notInSet;
            float step = spaceAdvance;
            if (index < glyphCount) {
                const FontGlyph& glyph = glyphs[static_cast<size_t>(index)];
                emit(glyph, pen + glyph.xOffset, y);
                step = glyph.advance;
            }
            pen += step * scale;
            pos += length;
        }
    };

    size_t lineStart = 0;
    size_t pos = 0;
    float lineWidth = 0.0f;
    bool brokenAtSpace = false;
    while (pos < text.size()) {
        if (text[pos] == '\n') {
            flush(lineStart, pos);
            y += lineHeight;
            lineWidth = 0.0f;
            lineStart = ++pos;
            continue;
        }
        const size_t length = fontlayout::characterLength(text, pos);
        lineWidth += advanceAt(pos) * scale;
        if (lineWidth < width) {
            pos += length;
            continue;
        }
        // The line is full: break at its last space, else before the
        // overflowing character; a line always keeps at least one character
        // so that a width narrower than any glyph still makes progress.
        size_t space = std::string::npos;
        for (size_t back = pos + 1; back > lineStart; --back) {
            if (text[back - 1] == ' ') {
                space = back - 1;
                break;
            }
        }
        if (space != std::string::npos) {
            flush(lineStart, space);
            pos = space + 1;
            brokenAtSpace = true;
        } else if (!brokenAtSpace && pos > lineStart) {
            flush(lineStart, pos);
        } else {
            flush(lineStart, pos + length);
            pos += length;
        }
        lineStart = pos;
        y += lineHeight;
        lineWidth = 0.0f;
    }
    flush(lineStart, text.size());
}
