#include "RoutePicture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int64_t largeCellScale = 4;          // pixels per cell for ordinary levels
constexpr int64_t largeLevelCells = 4000000;   // beyond this many cells, 2 pixels a cell
constexpr int64_t hugeLevelCells = 16000000;   // beyond this, 1 pixel a cell

struct Colour {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

constexpr Colour unreached{255, 255, 255};
constexpr Colour earlyReach{196, 240, 196};
constexpr Colour lateReach{176, 204, 250};
constexpr Colour winZone{228, 32, 32};
constexpr Colour routeLine{24, 24, 24};
constexpr Colour startMark{32, 64, 224};
constexpr Colour winMark{200, 0, 200};

// The kind of a solid cell, close to the tile the game draws for it.
Colour solidColour(uint8_t value)
{
    switch (value) {
    case 0: return {112, 80, 48};    // earth
    case 64: return {112, 112, 124}; // grey stone
    case 96: return {92, 92, 124};   // panel with rivets
    case 128: return {124, 104, 132}; // panel with slats
    case 224: return {236, 112, 24};  // burning block
    case 254: return {226, 214, 178}; // pale block
    default: return {64, 144, 52};    // grass-topped earth, also every other value
    }
}

Colour blend(Colour from, Colour to, float share)
{
    const auto mix = [share](uint8_t a, uint8_t b) {
        return static_cast<uint8_t>(std::lround(static_cast<float>(a) + (static_cast<float>(b) - a) * share));
    };
    return {mix(from.red, to.red), mix(from.green, to.green), mix(from.blue, to.blue)};
}

class Canvas {
public:
    Canvas(RoutePicture& picture) : picture(picture) {}

    void put(int64_t x, int64_t y, Colour colour)
    {
        if (x < 0 || y < 0 || x >= picture.width || y >= picture.height) {
            return;
        }
        const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width) +
                                static_cast<std::size_t>(x)) * 3;
        picture.rgb[at] = colour.red;
        picture.rgb[at + 1] = colour.green;
        picture.rgb[at + 2] = colour.blue;
    }
    void fillCell(int32_t column, int32_t row, Colour colour)
    {
        for (int64_t y = 0; y < picture.scale; ++y) {
            for (int64_t x = 0; x < picture.scale; ++x) {
                put(int64_t{column} * picture.scale + x, int64_t{row} * picture.scale + y, colour);
            }
        }
    }
    // A straight line between two points in cell units.
    void line(float x0, float y0, float x1, float y1, Colour colour)
    {
        const float scale = static_cast<float>(picture.scale);
        const float dx = (x1 - x0) * scale;
        const float dy = (y1 - y0) * scale;
        const int steps = std::max(1, static_cast<int>(std::ceil(std::max(std::fabs(dx), std::fabs(dy)))));
        for (int step = 0; step <= steps; ++step) {
            const float share = static_cast<float>(step) / static_cast<float>(steps);
            put(static_cast<int64_t>(std::floor(x0 * scale + dx * share)),
                static_cast<int64_t>(std::floor(y0 * scale + dy * share)), colour);
        }
    }
    // A square mark around a point in cell units, a cell and a half wide.
    void mark(float x, float y, Colour colour)
    {
        const int64_t half = picture.scale * 3 / 4 + 1;
        const auto cx = static_cast<int64_t>(std::floor(x * static_cast<float>(picture.scale)));
        const auto cy = static_cast<int64_t>(std::floor(y * static_cast<float>(picture.scale)));
        for (int64_t d = -half; d <= half; ++d) {
            put(cx + d, cy - half, colour);
            put(cx + d, cy + half, colour);
            put(cx - half, cy + d, colour);
            put(cx + half, cy + d, colour);
        }
    }

private:
    RoutePicture& picture;
};

} // namespace

RoutePicture RoutePicture::draw(const LevelGrid& grid, const RouteSearch::Result& result, float startX, float startY,
                                const std::vector<PilotBody>& path)
{
    RoutePicture picture;
    const int64_t cells = int64_t{grid.getWidth()} * grid.getHeight();
    if (cells <= 0) {
        return picture;
    }
    picture.scale = static_cast<int32_t>(cells > hugeLevelCells ? 1 : cells > largeLevelCells ? 2 : largeCellScale);
    picture.width = grid.getWidth() * picture.scale;
    picture.height = grid.getHeight() * picture.scale;
    picture.rgb.assign(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height) * 3, 0);
    Canvas canvas(picture);

    int32_t lastReach = 1;
    for (int32_t frame : result.firstFrame) {
        lastReach = std::max(lastReach, frame);
    }
    for (int32_t row = 0; row < grid.getHeight(); ++row) {
        for (int32_t column = 0; column < grid.getWidth(); ++column) {
            const std::size_t index = static_cast<std::size_t>(row) * static_cast<std::size_t>(grid.getWidth()) +
                                      static_cast<std::size_t>(column);
            const bool searched = index < result.firstFrame.size();
            Colour colour = unreached;
            if (grid.solid(column, row)) {
                colour = solidColour(grid.cell(column, row));
            } else if (searched && result.winZone[index] != 0) {
                colour = winZone;
            } else if (searched && result.firstFrame[index] >= 0) {
                colour = blend(earlyReach, lateReach,
                               static_cast<float>(result.firstFrame[index]) / static_cast<float>(lastReach));
            }
            canvas.fillCell(column, row, colour);
        }
    }

    constexpr float middle = 0.5f; // the pilot's box is one cell from its corner
    float fromX = startX + middle;
    float fromY = startY + middle;
    for (const PilotBody& body : path) {
        canvas.line(fromX, fromY, body.x + middle, body.y + middle, routeLine);
        fromX = body.x + middle;
        fromY = body.y + middle;
    }
    canvas.mark(startX + middle, startY + middle, startMark);
    if (!path.empty()) {
        canvas.mark(fromX, fromY, winMark);
    }
    return picture;
}
