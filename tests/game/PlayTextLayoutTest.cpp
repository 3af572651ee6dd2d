// Every text the play screen can show at once, measured in the font the game
// draws it with (glyph quads as OpenGLFont lays them out, outline included):
// none may overlap another, leave the screen or be cut by an opaque box.
#include "GridMaps.h"
#include "NullDrawer.h"
#include "game/AssistsPanel.h"
#include "game/PauseOverlay.h"
#include "game/PictureTexture.h"
#include "game/RunClockHud.h"
#include "game/SituationHints.h"
#include "game/SpeedHud.h"
#include "render/FontSystem.h"
#include "render/OpenGLFont.h"

#include <SDL/SDL_ttf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

struct Box {
    float left = 1e9f, top = 1e9f, right = -1e9f, bottom = -1e9f;
    void join(const Box& o)
    {
        *this = {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right), std::max(bottom, o.bottom)};
    }
    bool meets(const Box& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
    bool within(const Box& o) const
    {
        return left >= o.left && right <= o.right && top >= o.top && bottom <= o.bottom;
    }
};

// Keeps each text's box; an outline's copies and the rows under a text (same
// font and scale, a line lower) join it. Each opaque box keeps how many texts
// were drawn before it.
class MeasuringDrawer : public NullDrawer {
public:
    std::vector<std::pair<std::string, Box>> texts;
    std::vector<std::pair<size_t, Box>> covers;

    int loadFont(const std::string& name, float points) override
    {
        FontSystem::ensureStarted();
        const FilePath path = OpenGLFont::findFontFile(name);
        TTF_Font* font = TTF_OpenFont(path.text().c_str(), OpenGLFont::openedPointSize(points));
        if (font == nullptr)
            return 0;
        atlases.push_back(OpenGLFont::buildAtlas(font));
        TTF_CloseFont(font);
        return static_cast<int>(atlases.size());
    }
    void drawText(const std::string& text, int font, float x, float y, float width, float scale, float, float, float,
                  float) override
    {
        const FontAtlas& atlas = atlases.at(static_cast<size_t>(font - 1));
        Box box;
        OpenGLFont::layoutText(text, x, y, width, scale, atlas.glyphs, atlas.lineHeight,
                               [&](const FontGlyph& g, float gx, float gy) {
                                   box.join({gx, gy, gx + g.width * scale, gy + (atlas.lineHeight + 2.0f) * scale});
                               });
        const bool nextRow = font == last.font && scale == last.scale && std::abs(x - last.x) <= 8.0f && y > last.y &&
                             y - last.y <= atlas.lineHeight * scale;
        if (!texts.empty() && (text == last.text || nextRow))
            texts.back().second.join(box);
        else
            texts.emplace_back(text, box);
        last = {text, font, x, y, scale};
    }
    void fillRect(float x, float y, float w, float h, uint8_t, uint8_t, uint8_t, uint8_t a) override
    {
        if (a == 255)
            covers.emplace_back(texts.size(), Box{x, y, x + w, y + h});
    }

private:
    std::vector<FontAtlas> atlases;
    struct {
        std::string text;
        int font = 0;
        float x = 0.0f, y = 0.0f, scale = 0.0f;
    } last;
};

} // namespace

TEST(PlayTextLayout, NoTextOverlapsAnotherWithAnyHintPausedOrNotAndWithThePanelOpen)
{
    const LevelGrid level = gridFromMap({"#.......", "#.......", "#.......", "#......."});
    PilotBody::StepEvents wasted, fallingKick;
    wasted.pressWasted = true;
    fallingKick.kickEndedAtOnce = true;
    for (const SituationHints::Hint hint :
         {SituationHints::missedWall, SituationHints::fallingKick, SituationHints::stuckInRoom})
        for (const int shown : {0, 1, 2}) { // playing; paused; paused with the panel open
            SituationHints hints;
            for (int step = 0; hints.showing() != hint && step <= SituationHints::stuckSteps; ++step)
                hints.step(hint == SituationHints::missedWall    ? wasted
                           : hint == SituationHints::fallingKick ? fallingKick
                                                                 : PilotBody::StepEvents{},
                           2.0f, 1.0f, level);
            ProcessTexture::forgetAll(); // the fonts load again into this drawer
            MeasuringDrawer drawer;
            const int hud = drawer.loadFont(OpenGLFont::gameFontName, 64.0f); // the play screen's own
            speedHud::draw(drawer, hud, 2.0f, 2.0f);
            runClockHud::draw(drawer, hud, 5999990, 5999990); // the widest times, "99:59.99"
            hints.draw(drawer);
            AssistsPanel panel;
            Assists assists;
            if (shown == 2)
                panel.press(AssistsPanel::openAction, SDLK_a, assists);
            if (shown > 0)
                pauseOverlay::draw(drawer, hud, panel.isOpen());
            panel.draw(drawer, assists);
            const auto hidden = [&](size_t i) {
                return std::any_of(drawer.covers.begin(), drawer.covers.end(), [&](const auto& c) {
                    return i < c.first && drawer.texts[i].second.within(c.second); // under a box drawn later
                });
            };
            const std::string where = " with hint " + std::to_string(hint) + " in case " + std::to_string(shown);
            ASSERT_EQ(drawer.texts.size(), shown == 0 ? 5u : shown == 1 ? 6u : 12u) << where;
            for (size_t i = 0; i < drawer.texts.size(); ++i) {
                const auto& [text, box] = drawer.texts[i];
                EXPECT_TRUE(box.right > box.left && box.within({0.0f, 0.0f, 1280.0f, 720.0f})) << text << where;
                for (size_t j = i + 1; j < drawer.texts.size(); ++j)
                    EXPECT_TRUE(hidden(i) || hidden(j) || !box.meets(drawer.texts[j].second))
                        << text << " meets " << drawer.texts[j].first << where;
                for (const auto& [after, cover] : drawer.covers)
                    EXPECT_TRUE(i >= after || hidden(i) || !box.meets(cover)) << text << " is cut by a box" << where;
            }
        }
}
