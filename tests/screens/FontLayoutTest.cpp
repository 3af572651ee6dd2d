// Word wrapping and placement of the glyph font, on a made-up glyph table so
// that every expected position is plain arithmetic.
#include "render/OpenGLFont.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr float letterAdvance = 10.0f;
constexpr float spaceAdvance = 6.0f;
constexpr float lineHeight = 20.0f;

struct Placed {
    char character;
    float x;
    float y;
    bool operator==(const Placed&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Placed& p)
{
    return out << "'" << p.character << "'@(" << p.x << "," << p.y << ")";
}

std::array<FontGlyph, OpenGLFont::glyphCount> makeGlyphs()
{
    std::array<FontGlyph, OpenGLFont::glyphCount> glyphs{};
    const std::string set = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-=.,;:'?()!\"\\/<>_ ";
    for (size_t i = 0; i < glyphs.size(); ++i) {
        glyphs[i].character = set[i];
        glyphs[i].advance = set[i] == ' ' ? spaceAdvance : letterAdvance;
        glyphs[i].width = glyphs[i].advance;
    }
    return glyphs;
}

std::vector<Placed> layout(const std::string& text, float x, float y, float width, float scale = 1.0f,
                           const std::array<FontGlyph, OpenGLFont::glyphCount>& glyphs = makeGlyphs())
{
    std::vector<Placed> placed;
    OpenGLFont::layoutText(text, x, y, width, scale, glyphs, lineHeight,
                           [&](const FontGlyph& glyph, float gx, float gy) {
                               placed.push_back({glyph.character, gx, gy});
                           });
    return placed;
}

TEST(FontLayout, EmptyTextDrawsNothing)
{
    EXPECT_TRUE(layout("", 5, 5, 100).empty());
}

TEST(FontLayout, LineFeedStartsTheNextLineAtXOneLineHeightDown)
{
    const std::vector<Placed> expected = {{'a', 100, 50}, {'b', 110, 50}, {'c', 100, 70}, {'d', 110, 70}};
    EXPECT_EQ(layout("ab\ncd", 100, 50, 1000), expected);
}

TEST(FontLayout, LineHeightIsNotScaledButAdvancesAre)
{
    const std::vector<Placed> expected = {{'a', 0, 0}, {'b', 20, 0}, {'c', 0, 20}};
    EXPECT_EQ(layout("ab\nc", 0, 0, 1000, 2.0f), expected);
}

TEST(FontLayout, WordsMoveWholeAtTheLastSpaceAndTheSpaceIsDropped)
{
    // "hello" is 50 wide, "hello world" 106: a width of 80 holds one word.
    const std::vector<Placed> expected = {
        {'h', 0, 0}, {'e', 10, 0}, {'l', 20, 0}, {'l', 30, 0}, {'o', 40, 0},
        {'w', 0, 20}, {'o', 10, 20}, {'r', 20, 20}, {'l', 30, 20}, {'d', 40, 20},
    };
    EXPECT_EQ(layout("hello world", 0, 0, 80), expected);
}

TEST(FontLayout, BreaksAtTheLastOfSeveralSpaces)
{
    // "ab cd ef" reaches 62 at 'e'; the break goes at the second space, which
    // is dropped, while the first one stays on its line as a (blank) glyph.
    const std::vector<Placed> expected = {
        {'a', 0, 0}, {'b', 10, 0}, {' ', 20, 0}, {'c', 26, 0}, {'d', 36, 0}, {'e', 0, 20}, {'f', 10, 20},
    };
    EXPECT_EQ(layout("ab cd ef", 0, 0, 55), expected);
}

TEST(FontLayout, AnOverlongWordIsSplitAtTheCharacterThatOverflows)
{
    // 45 holds four letters; the fifth reaches 50 and begins the next line.
    const std::vector<Placed> expected = {
        {'a', 0, 0}, {'b', 10, 0}, {'c', 20, 0}, {'d', 30, 0},
        {'e', 0, 20}, {'f', 10, 20}, {'g', 20, 20}, {'h', 30, 20},
        {'i', 0, 40}, {'j', 10, 40},
    };
    EXPECT_EQ(layout("abcdefghij", 0, 0, 45), expected);
}

TEST(FontLayout, AfterABreakAtASpaceAnOverlongWordKeepsItsOverflowingCharacter)
{
    // "ab" breaks at the space; then "cdefg" reaches 50 with no space in it
    // and, once a line was broken at a space, the whole line is kept.
    const std::vector<Placed> expected = {
        {'a', 0, 0}, {'b', 10, 0},
        {'c', 0, 20}, {'d', 10, 20}, {'e', 20, 20}, {'f', 30, 20}, {'g', 40, 20},
        {'h', 0, 40}, {'i', 10, 40}, {'j', 20, 40},
    };
    EXPECT_EQ(layout("ab cdefghij", 0, 0, 45), expected);
}

TEST(FontLayout, AWidthNarrowerThanOneCharacterStillPutsOneOnEachLine)
{
    const std::vector<Placed> expected = {{'a', 0, 0}, {'b', 0, 20}, {'c', 0, 40}};
    EXPECT_EQ(layout("abc", 0, 0, 5), expected);
    const std::vector<Placed> zeroWidth = {{'x', 0, 0}, {'y', 0, 20}};
    EXPECT_EQ(layout("xy", 0, 0, 0), zeroWidth);
}

TEST(FontLayout, CharactersOutsideTheSetAreBlanksOfTheSpacesAdvance)
{
    const std::vector<Placed> tab = {{'a', 0, 0}, {'b', 16, 0}};
    EXPECT_EQ(layout("a\tb", 0, 0, 1000), tab);
    // An accented letter is one character, however many bytes it takes.
    EXPECT_EQ(layout("a\xC3\xA9" "b", 0, 0, 1000), tab);
    const std::vector<Placed> two = {{'a', 0, 0}, {'b', 22, 0}};
    EXPECT_EQ(layout("a@#b", 0, 0, 1000), two);
    // Only the space, which is in the set, gets a (transparent) quad.
    const std::vector<Placed> onlySpace = {{' ', 6, 0}};
    EXPECT_EQ(layout("\t ~", 0, 0, 1000), onlySpace);
}

TEST(FontLayout, TheXOffsetShiftsTheQuadButNotThePen)
{
    auto glyphs = makeGlyphs();
    glyphs[static_cast<size_t>(OpenGLFont::glyphIndex('w'))].xOffset = -3.0f;
    const std::vector<Placed> expected = {{'a', 0, 0}, {'w', 7, 0}, {'a', 20, 0}};
    EXPECT_EQ(layout("awa", 0, 0, 1000, 1.0f, glyphs), expected);
}

TEST(FontLayout, TheLongTitleLineWrapsIntoLinesNoWiderThanTheWidth)
{
    const std::string text = "If you can wall jump at 88mph you will coax open the Quorrel, and can crawl home "
                             "through its temporal intestines";
    const std::vector<Placed> placed = layout(text, 128, 400, 200);
    ASSERT_FALSE(placed.empty());
    // Every character is drawn, in order, except the spaces lines broke at.
    std::string drawn;
    int lines = 1;
    for (size_t i = 0; i < placed.size(); ++i) {
        EXPECT_LT(placed[i].x, 128 + 200);
        if (i > 0 && placed[i].y != placed[i - 1].y) {
            EXPECT_EQ(placed[i].x, 128.0f) << "each line starts at x";
            drawn += '|';
            ++lines;
        }
        drawn += placed[i].character;
    }
    EXPECT_EQ(drawn, "If you can wall jump|at 88mph you will|coax open the|Quorrel, and can|crawl home through|its temporal|intestines");
    EXPECT_EQ(placed.back().y, 400 + (lines - 1) * lineHeight);
}

TEST(FontGlyphSet, IndicesFollowTheSetOrder)
{
    const std::string set = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-=.,;:'?()!\"\\/<>_ ";
    ASSERT_EQ(set.size(), 81u);
    for (size_t i = 0; i < set.size(); ++i)
        EXPECT_EQ(OpenGLFont::glyphIndex(set[i]), static_cast<int>(i)) << "character '" << set[i] << "'";
    EXPECT_EQ(OpenGLFont::glyphIndex('a'), 0);
    EXPECT_EQ(OpenGLFont::glyphIndex('A'), 26);
    EXPECT_EQ(OpenGLFont::glyphIndex('0'), 52);
    EXPECT_EQ(OpenGLFont::glyphIndex('+'), 62);
    EXPECT_EQ(OpenGLFont::glyphIndex('_'), 79);
    EXPECT_EQ(OpenGLFont::glyphIndex(' '), 80);
}

TEST(FontGlyphSet, OtherCharactersAreOutsideTheSet)
{
    for (char c : std::string("\t\n\r@#$%^&*[]{}|~`\x7f\x01"))
        EXPECT_EQ(OpenGLFont::glyphIndex(c), 81) << "code " << static_cast<int>(c);
    EXPECT_EQ(OpenGLFont::glyphIndex('\0'), 81);
    EXPECT_EQ(OpenGLFont::glyphIndex(static_cast<char>(0xE9)), 81); // é in Latin-1
    EXPECT_EQ(OpenGLFont::glyphIndex(static_cast<char>(0xC3)), 81); // a UTF-8 lead byte
}

TEST(FontPointSize, IsTruncatedToAWholeNumber)
{
    EXPECT_EQ(OpenGLFont::openedPointSize(48.9f), 48);
    EXPECT_EQ(OpenGLFont::openedPointSize(64.0f), 64);
    EXPECT_EQ(OpenGLFont::openedPointSize(0.99f), 0);
}

TEST(FontAtlasSide, IsThePowerOfTwoAtOrAboveTenCells)
{
    // Cell = max(line height, widest advance).
    EXPECT_EQ(OpenGLFont::atlasSideFor(70.0f, 50.0f, 0), 1024); // 700
    EXPECT_EQ(OpenGLFont::atlasSideFor(51.2f, 40.0f, 0), 512);  // 512
    EXPECT_EQ(OpenGLFont::atlasSideFor(30.0f, 60.0f, 0), 1024); // 600
}

TEST(FontAtlasSide, GrowsWhenTheEleventhGlyphWouldNotFit)
{
    // Ten cells of 100 fit 1024, but the eleventh glyph starts at 1000 and
    // needs 100 more: the atlas must double rather than be overrun.
    EXPECT_EQ(OpenGLFont::atlasSideFor(50.0f, 100.0f, 1100), 2048);
    EXPECT_EQ(OpenGLFont::atlasSideFor(50.0f, 100.0f, 1024), 1024);
}

TEST(FontAtlasSide, AbsurdMetricsAreRefusedNotOverflowed)
{
    EXPECT_EQ(OpenGLFont::atlasSideFor(819.2f, 10.0f, 0), 8192);
    EXPECT_GT(OpenGLFont::atlasSideFor(1.0e9f, 10.0f, 0), 8192);
    EXPECT_GT(OpenGLFont::atlasSideFor(10.0f, 10.0f, 9000), 8192);
}

} // namespace
