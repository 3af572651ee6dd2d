#include "game/TileSet.h"

#include "data/Pictures.h"
#include "game/LevelGrid.h"
#include "game/PictureTexture.h"
#include "render/Drawer.h"

#include "base/ImageLoader.h"

#include <array>
#include <cmath>
#include <memory>

namespace {

constexpr float tileFraction = 0.125f;  // one tile of the 8 × 8 atlas
constexpr float tileInset = 0.001f;     // keeps neighbouring atlas tiles from bleeding in
constexpr float tileSpan = 0.123f;      // 0.124 − 0.001
constexpr float cellPixels = 64.0f;     // one cell on screen
constexpr float regionScale = cellPixels / (tileSpan * 128.0f);
constexpr int32_t columnsLeftOfCamera = 11;
constexpr int32_t rowsAboveCamera = 6;
constexpr int32_t visibleColumns = 21;
constexpr float outlineOffset = 4.0f;   // the 72-pixel frame reaches 4 pixels past the cell
constexpr float outlineScale = 2.0f;
// The outline picture in texels: a ring around the cell's own square.
constexpr float outlineRingTexels = outlineOffset / outlineScale;
constexpr float outlinePictureTexels = (cellPixels + 2.0f * outlineOffset) / outlineScale;
// Logical pixels an uncovered area reaches into the covered cells around it,
// so that no pixel between a covered cell and its open neighbour is missed.
constexpr float uncoveredOverlap = 1.0f;

ProcessTexture atlasTexture;
ProcessTexture outlineTexture;

constexpr int atlasTiles = 8;        // tiles across and down the atlas
constexpr int atlasTilePixels = 16;  // sides of one tile in the picture

// What a tile of the atlas does to the frame: nothing (all transparent),
// covers its square (all opaque), or mixes with what lies under it.
enum class Cover { Empty, Opaque, Partial };

// The cover of every atlas tile, from the picture's alpha, worked out once.
// The tile quads sample only inside their own tile (the inset), so a tile's
// own 16 × 16 pixels decide.
const std::array<Cover, atlasTiles * atlasTiles>& atlasCover()
{
    static const std::array<Cover, atlasTiles * atlasTiles> cover = [] {
        std::array<Cover, atlasTiles * atlasTiles> result;
        result.fill(Cover::Partial); // an undecodable atlas: draw everything blended
        const EmbeddedBytes bytes = pictures::tileAtlas();
        const RgbaImage image = ImageLoader().loadFromMemory(bytes.data, static_cast<int32_t>(bytes.length));
        // The decoded pixels are ours to release; only their alpha is read.
        const std::unique_ptr<uint8_t[]> owned(image.pixels);
        if (image.pixels == nullptr || image.width != atlasTiles * atlasTilePixels ||
            image.height != atlasTiles * atlasTilePixels) {
            return result;
        }
        for (int tile = 0; tile < atlasTiles * atlasTiles; ++tile) {
            bool anyShown = false;
            bool allOpaque = true;
            for (int y = 0; y < atlasTilePixels; ++y) {
                for (int x = 0; x < atlasTilePixels; ++x) {
                    const int px = (tile % atlasTiles) * atlasTilePixels + x;
                    const int py = (tile / atlasTiles) * atlasTilePixels + y;
                    const uint8_t alpha = image.pixels[(static_cast<std::size_t>(py) * image.width + px) * 4 + 3];
                    anyShown = anyShown || alpha != 0;
                    allOpaque = allOpaque && alpha == 255;
                }
            }
            result[static_cast<std::size_t>(tile)] = allOpaque ? Cover::Opaque : anyShown ? Cover::Partial : Cover::Empty;
        }
        return result;
    }();
    return cover;
}

Cover coverOf(TileOffset tile)
{
    const int column = static_cast<int>(tile.u * atlasTiles + 0.5f);
    const int row = static_cast<int>(tile.v * atlasTiles + 0.5f);
    if (column < 0 || column >= atlasTiles || row < 0 || row >= atlasTiles)
        return Cover::Partial;
    return atlasCover()[static_cast<std::size_t>(row * atlasTiles + column)];
}

TileOffset atlasTile(int column, int row) { return TileOffset{column * tileFraction, row * tileFraction}; }

} // namespace

TileSet::TileSet()
{
    for (auto& entry : tiles) {
        entry = TileOffset{0.0f, 0.0f};
    }
    tiles[0] = atlasTile(1, 0);   // earth
    tiles[32] = atlasTile(0, 0);  // grass-topped earth
    tiles[64] = atlasTile(2, 0);  // grey stone
    tiles[96] = atlasTile(4, 0);  // grey panel
    tiles[128] = atlasTile(5, 0); // grey panel
    tiles[burningCell] = atlasTile(7, 7);
    tiles[254] = atlasTile(3, 0); // pale speckled block
    tiles[255] = atlasTile(7, 7); // transparent: open space
    tiles[overlayEntry + 0] = atlasTile(0, 7);
    tiles[overlayEntry + 1] = atlasTile(1, 7);
    tiles[overlayEntry + 2] = atlasTile(2, 7);
}

VisibleWindow TileSet::visibleWindow(Camera camera)
{
    const int32_t column = static_cast<int32_t>(camera.x);
    const int32_t row = static_cast<int32_t>(camera.y);
    return VisibleWindow{column - columnsLeftOfCamera, column - columnsLeftOfCamera + visibleColumns - 1,
                         row - rowsAboveCamera, row + rowsAboveCamera};
}

float TileSet::screenX(float column, Camera camera)
{
    return cellPixels * (column - (camera.x - static_cast<float>(columnsLeftOfCamera)));
}

float TileSet::screenY(float row, Camera camera)
{
    return cellPixels * (row - (camera.y - static_cast<float>(rowsAboveCamera)));
}

namespace {

constexpr std::size_t visibleCells = static_cast<std::size_t>(visibleColumns) * (2 * rowsAboveCamera + 1);
// The most quads one batch can hold: every visible cell and a flame over each.
constexpr std::size_t maxQuads = 2 * visibleCells;
// An outline is cut into nine pieces: the cell's own square, four sides and
// four corners, each lying over one cell of the 3 × 3 around it.
constexpr std::size_t outlinePieces = 9;

// Atlas tiles gathered and handed to the drawer in one batch.
template <std::size_t capacity = maxQuads>
class TileBatch {
public:
    void add(float sx, float sy, TileOffset tile)
    {
        if (count < quads.size())
            quads[count++] = TextureQuad{sx, sy, tile.u + tileInset, tile.v + tileInset, tileSpan, tileSpan};
    }
    // A part of a whole picture rather than an atlas tile: the cell outlines.
    void addPart(float sx, float sy, float s0, float t0, float sw, float th)
    {
        if (count < quads.size())
            quads[count++] = TextureQuad{sx, sy, s0, t0, sw, th};
    }
    void draw(Drawer& drawer, uint32_t texture, bool blended, float scale = regionScale) const
    {
        drawer.drawTextureQuads(texture, quads.data(), count, scale, scale, blended);
    }

private:
    std::array<TextureQuad, capacity> quads;
    std::size_t count = 0;
};

} // namespace

void TileSet::drawVisible(Drawer& drawer, const LevelGrid& grid, Camera camera, VisibleWindow window,
                          uint32_t atlas, uint32_t outline) const
{
    // Open cells draw a fully transparent tile, so they are left out; opaque
    // tiles cover their square whatever lies under them, so they are drawn
    // without blending, first, and an outline all of whose neighbours are
    // such tiles would be covered entirely, so it is left out too. The
    // outlines go first, so the tiles of neighbouring solid cells cover the
    // shared borders and only edges towards open space stay black.
    const auto drawnOpaque = [&](int32_t column, int32_t row) {
        return column >= window.firstColumn && column <= window.lastColumn && row >= window.firstRow &&
               row <= window.lastRow && coverOf(tiles[grid.cell(column, row)]) == Cover::Opaque;
    };
    // Of each outline only the pieces over cells that no opaque tile covers
    // are drawn: the rest would be blended only to be painted over, and on a
    // software renderer that blending costs as much as a layer of its own.
    // In one batch: a frame's outlines are dozens of quads, and each quad
    // drawn on its own costs a software renderer more than its pixels do.
    struct Span {
        float offset; // logical pixels from the cell's corner
        float start;  // fraction of the picture
        float length;
    };
    constexpr float ring = outlineRingTexels / outlinePictureTexels;
    constexpr Span spans[3] = {{-outlineOffset, 0.0f, ring},
                               {0.0f, ring, 1.0f - 2.0f * ring},
                               {cellPixels, 1.0f - ring, ring}};
    TileBatch<outlinePieces * visibleCells> outlines;
    for (int32_t row = window.firstRow; row <= window.lastRow; ++row) {
        for (int32_t column = window.firstColumn; column <= window.lastColumn; ++column) {
            if (!hasOutline(grid.cell(column, row)))
                continue;
            const float sx = screenX(column, camera);
            const float sy = screenY(row, camera);
            for (int32_t dy = -1; dy <= 1; ++dy)
                for (int32_t dx = -1; dx <= 1; ++dx) {
                    if (drawnOpaque(column + dx, row + dy))
                        continue;
                    const Span& across = spans[dx + 1];
                    const Span& down = spans[dy + 1];
                    outlines.addPart(sx + across.offset, sy + down.offset, across.start, down.start,
                                     across.length, down.length);
                }
        }
    }
    outlines.draw(drawer, outline, true, outlineScale);
    TileBatch<> opaque;
    TileBatch<> blended;
    const TileOffset flame = tiles[overlayEntry + overlayFrame];
    for (int32_t row = window.firstRow; row <= window.lastRow; ++row)
        for (int32_t column = window.firstColumn; column <= window.lastColumn; ++column) {
            const uint8_t value = grid.cell(column, row);
            const TileOffset tile = tiles[value];
            const float sx = screenX(column, camera);
            const float sy = screenY(row, camera);
            const Cover cover = coverOf(tile);
            if (cover == Cover::Opaque)
                opaque.add(sx, sy, tile);
            else if (cover == Cover::Partial)
                blended.add(sx, sy, tile);
            if (value == burningCell && coverOf(flame) != Cover::Empty)
                blended.add(sx, sy, flame);
        }
    opaque.draw(drawer, atlas, false);
    blended.draw(drawer, atlas, true);
}

void TileSet::step()
{
    // The first step shows the flames as they start.
    if (!stepped) {
        stepped = true;
        return;
    }
    --overlayCountdown;
    if (overlayCountdown == 0) {
        overlayCountdown = overlayFrameDraws;
        overlayFrame = (overlayFrame + 1) % overlayFrames;
    }
}

VisibleWindow TileSet::drawnWindow(const LevelGrid& grid, Camera camera)
{
    VisibleWindow window = visibleWindow(camera);
    // Only cells inside the grid are drawn.
    if (window.firstColumn < 0) {
        window.firstColumn = 0;
    }
    if (window.firstRow < 0) {
        window.firstRow = 0;
    }
    if (window.lastColumn > grid.getWidth() - 1) {
        window.lastColumn = grid.getWidth() - 1;
    }
    if (window.lastRow > grid.getHeight() - 1) {
        window.lastRow = grid.getHeight() - 1;
    }
    return window;
}

void TileSet::draw(Drawer& drawer, const LevelGrid& grid, Camera camera) const
{
    const uint32_t atlas = atlasTexture.key(drawer, pictures::tileAtlas(), true);
    const uint32_t outline = outlineTexture.key(drawer, pictures::cellOutline(), true);
    drawVisible(drawer, grid, camera, drawnWindow(grid, camera), atlas, outline);
}

UncoveredAreas TileSet::uncovered(const LevelGrid& grid, Camera camera) const
{
    const VisibleWindow drawn = drawnWindow(grid, camera);
    const auto covered = [&](int32_t column, int32_t row) {
        return column >= drawn.firstColumn && column <= drawn.lastColumn && row >= drawn.firstRow &&
               row <= drawn.lastRow && coverOf(tiles[grid.cell(column, row)]) == Cover::Opaque;
    };
    // Whole cells from the one under the screen's top left corner cover the
    // screen whatever the camera's sign (visibleWindow truncates).
    const int32_t firstColumn = static_cast<int32_t>(std::floor(camera.x)) - columnsLeftOfCamera;
    const int32_t firstRow = static_cast<int32_t>(std::floor(camera.y)) - rowsAboveCamera;
    const int32_t lastColumn = firstColumn + visibleColumns - 1;
    UncoveredAreas result;
    for (int32_t row = firstRow; row <= firstRow + 2 * rowsAboveCamera; ++row) {
        const float top = screenY(static_cast<float>(row), camera) - uncoveredOverlap;
        const float height = cellPixels + 2.0f * uncoveredOverlap;
        for (int32_t column = firstColumn; column <= lastColumn;) {
            if (covered(column, row)) {
                ++column;
                continue;
            }
            const int32_t start = column;
            while (column <= lastColumn && !covered(column, row))
                ++column;
            // A run at an edge of the screen reaches a whole cell past it.
            const float left = screenX(static_cast<float>(start == firstColumn ? start - 1 : start), camera);
            const float right = screenX(static_cast<float>(column > lastColumn ? column + 1 : column), camera);
            if (result.count < result.areas.size())
                result.areas[result.count++] = ScreenArea{left - uncoveredOverlap, top,
                                                          right - left + 2.0f * uncoveredOverlap, height};
        }
    }
    return result;
}
