#include "GridMaps.h"
#include "RecordingDrawer.h"
#include "game/LevelGrid.h"
#include "game/TileSet.h"

#include "PngWriter.h"
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

std::string tempPath(const std::string& name) { return "/tmp/" + name + "-" + std::to_string(getpid()) + ".png"; }

} // namespace

TEST(LevelGridLoading, OnlyTheRedChannelCounts)
{
    // (255,0,0) and (255,255,255) are open; (254,255,255) is solid; alpha
    // 0 does not make a cell open.
    uint8_t pixels[] = {
        255, 0, 0, 255,   255, 255, 255, 255, 254, 255, 255, 255,
        17, 0, 0, 0,      255, 9, 9, 0,       224, 0, 0, 255,
    };
    LevelGrid grid;
    grid.assign(RgbaImage{pixels, 3, 2});
    ASSERT_EQ(grid.getWidth(), 3);
    ASSERT_EQ(grid.getHeight(), 2);
    EXPECT_FALSE(grid.solid(0, 0));
    EXPECT_FALSE(grid.solid(1, 0));
    EXPECT_TRUE(grid.solid(2, 0));
    EXPECT_EQ(grid.cell(2, 0), 254);
    EXPECT_EQ(grid.cell(0, 1), 17);
    EXPECT_TRUE(grid.solid(0, 1));
    EXPECT_FALSE(grid.solid(1, 1));
    EXPECT_EQ(grid.cell(2, 1), 224);
    EXPECT_TRUE(grid.solid(2, 1));
}

TEST(LevelGridLoading, CellsOutsideThePictureReadAsSolid)
{
    const LevelGrid grid = gridFromMap({"..", ".."});
    EXPECT_TRUE(grid.solid(-1, 0));
    EXPECT_TRUE(grid.solid(0, -1));
    EXPECT_TRUE(grid.solid(2, 0));
    EXPECT_TRUE(grid.solid(0, 2));
    EXPECT_FALSE(grid.solid(1, 1));
}

TEST(LevelGridLoading, ReadsAPictureFileCellByCell)
{
    // Pixel (c, r) is cell (c, r): rows from the top.
    const std::string path = tempPath("level-rows");
    ASSERT_TRUE(pngwriter::write(path, 3, 2, 2,
                                 {255, 0, 0,  0, 0, 0,  32, 255, 255,  64, 0, 0,  255, 255, 255,  254, 0, 0}));
    LevelGrid grid;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(grid.load(path));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    std::remove(path.c_str());
    ASSERT_EQ(grid.getWidth(), 3);
    ASSERT_EQ(grid.getHeight(), 2);
    EXPECT_EQ(grid.cell(0, 0), 255);
    EXPECT_EQ(grid.cell(1, 0), 0);
    EXPECT_EQ(grid.cell(2, 0), 32);
    EXPECT_EQ(grid.cell(0, 1), 64);
    EXPECT_EQ(grid.cell(1, 1), 255);
    EXPECT_EQ(grid.cell(2, 1), 254);
}

TEST(LevelGridLoading, MissingPictureGivesAnEmptyGridAndOneLine)
{
    LevelGrid grid;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(grid.load("/nonexistent/levels/pilot.png"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "LevelGrid: Could not load level picture: /nonexistent/levels/pilot.png\n");
    EXPECT_EQ(grid.getWidth(), 0);
    EXPECT_EQ(grid.getHeight(), 0);
    EXPECT_TRUE(grid.solid(60, 984));
}

TEST(LevelGridLoading, PalettedPictureIsNoLevel)
{
    const std::string path = tempPath("level-paletted");
    ASSERT_TRUE(pngwriter::write(path, 2, 2, 3, {1, 2, 3, 4}));
    LevelGrid grid = gridFromMap({"...", "..."});
    testing::internal::CaptureStdout();
    EXPECT_FALSE(grid.load(path));
    const std::string printed = testing::internal::GetCapturedStdout();
    std::remove(path.c_str());
    EXPECT_EQ(printed, "LevelGrid: Could not load level picture: " + path + "\n");
    EXPECT_TRUE(grid.empty());
}

TEST(LevelGridLoading, GreyPictureIsNoLevel)
{
    const std::string path = tempPath("level-grey");
    ASSERT_TRUE(pngwriter::write(path, 2, 2, 0, {255, 0, 32, 255}));
    LevelGrid grid;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(grid.load(path));
    const std::string printed = testing::internal::GetCapturedStdout();
    std::remove(path.c_str());
    EXPECT_EQ(printed, "LevelGrid: Could not load level picture: " + path + "\n");
    EXPECT_TRUE(grid.empty());
}

TEST(LevelGridLoading, EmptyTruncatedGarbageAndCraftedPicturesGiveOneLineEach)
{
    const std::string source = tempPath("level-whole");
    ASSERT_TRUE(pngwriter::write(source, 2, 2, 2, std::vector<uint8_t>(12, 255)));
    std::FILE* in = std::fopen(source.c_str(), "rb");
    ASSERT_NE(in, nullptr);
    std::vector<uint8_t> whole(4096);
    whole.resize(std::fread(whole.data(), 1, whole.size(), in));
    std::fclose(in);
    std::remove(source.c_str());
    ASSERT_GT(whole.size(), 60u);

    // Signature and header chunk, then a data chunk that claims 50 MB.
    std::vector<uint8_t> crafted(whole.begin(), whole.begin() + 33);
    crafted.insert(crafted.end(), {0x02, 0xFA, 0xF0, 0x80, 'I', 'D', 'A', 'T'});
    crafted.insert(crafted.end(), 16, 0x55);
    const std::vector<std::vector<uint8_t>> pictures = {
        {},
        std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<long>(whole.size() / 2)),
        std::vector<uint8_t>(whole.begin(), whole.begin() + 8 + 25 + 5), // cut in a chunk header
        {'n', 'o', 't', ' ', 'a', ' ', 'l', 'e', 'v', 'e', 'l', '\n'},
        crafted,
    };
    const std::string path = tempPath("level-broken");
    for (const std::vector<uint8_t>& bytes : pictures) {
        std::FILE* out = std::fopen(path.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        if (!bytes.empty())
            std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
        LevelGrid grid = gridFromMap({"..", ".."});
        testing::internal::CaptureStdout();
        EXPECT_FALSE(grid.load(path));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "LevelGrid: Could not load level picture: " + path + "\n")
            << bytes.size() << " bytes";
        EXPECT_TRUE(grid.empty());
        EXPECT_TRUE(grid.solid(0, 0));
    }
    std::remove(path.c_str());
}

TEST(TileSetTable, CellValuesMapToTheirAtlasTiles)
{
    const TileSet tiles;
    auto expectTile = [&](int entry, float u, float v) {
        EXPECT_EQ(tiles.tile(entry).u, u) << "entry " << entry;
        EXPECT_EQ(tiles.tile(entry).v, v) << "entry " << entry;
    };
    expectTile(0, 0.125f, 0.0f);
    expectTile(32, 0.0f, 0.0f);
    expectTile(64, 0.25f, 0.0f);
    expectTile(96, 0.5f, 0.0f);
    expectTile(128, 0.625f, 0.0f);
    expectTile(224, 0.875f, 0.875f);
    expectTile(254, 0.375f, 0.0f);
    expectTile(255, 0.875f, 0.875f);
    expectTile(256, 0.0f, 0.875f);
    expectTile(257, 0.125f, 0.875f);
    expectTile(258, 0.25f, 0.875f);
    expectTile(17, 0.0f, 0.0f); // no entry of its own: grass-topped earth
    expectTile(253, 0.0f, 0.0f);
    EXPECT_EQ(tiles.currentOverlayFrame(), 0);
}

TEST(TileSetWindow, CameraPicksTwentyOneColumnsAndThirteenRows)
{
    const Camera camera{70.5f, 980.0f};
    const VisibleWindow window = TileSet::visibleWindow(camera);
    EXPECT_EQ(window.firstColumn, 59);
    EXPECT_EQ(window.lastColumn, 79);
    EXPECT_EQ(window.firstRow, 974);
    EXPECT_EQ(window.lastRow, 986);
    EXPECT_EQ(TileSet::screenX(59, camera), -32.0f);
    EXPECT_EQ(TileSet::screenY(974, camera), 0.0f);
    // The camera point shows at (704, 384); the pilot 1.5 cells left and down of it at (608, 480).
    EXPECT_EQ(TileSet::screenX(70, camera) + 32.0f, 704.0f);
    EXPECT_EQ(TileSet::screenY(980, camera) + 0.0f, 384.0f);
}

TEST(TileSetDrawing, OutlinesFirstThenTheCellsThatShowOpaqueBeforeBlended)
{
    // 30 × 20 cells: all open except a 2 × 1 block of earth at (10, 10), (11, 10)
    // and a burning block at (12, 10).
    std::vector<std::string> rows(20, std::string(30, '.'));
    rows[10][10] = '#';
    rows[10][11] = '#';
    rows[10][12] = '*';
    const LevelGrid grid = gridFromMap(rows);
    TileSet tiles;
    RecordingDrawer drawer;
    const Camera camera{12.0f, 8.0f}; // columns 1..21, rows 2..14
    tiles.draw(drawer, grid, camera);

    std::vector<RecordingDrawer::Call> drawing;
    for (const auto& call : drawer.calls) {
        if (call.op != "createTexture") {
            drawing.push_back(call);
        }
    }
    // Open cells and the burning cell's own tile are wholly transparent:
    // only the two earth tiles and the flame show.
    ASSERT_EQ(drawing.size(), 2u + 2u + 1u);
    // Outlines: only the two earth cells, 4 pixels outside the cell, scale 2.
    EXPECT_EQ(drawing[0].op, "drawTexture");
    EXPECT_EQ(drawing[0].args[0], 64.0f * (10 - 1) - 4.0f);
    EXPECT_EQ(drawing[0].args[1], 64.0f * (10 - 2) - 4.0f);
    EXPECT_EQ(drawing[0].args[2], 2.0f);
    EXPECT_EQ(drawing[1].args[0], 64.0f * (11 - 1) - 4.0f);
    for (std::size_t i = 2; i < drawing.size(); ++i) {
        ASSERT_EQ(drawing[i].op, "drawTextureRegion");
    }
    const auto& earth = drawing[2];
    EXPECT_EQ(earth.args[0], 64.0f * (10 - 1));
    EXPECT_EQ(earth.args[1], 64.0f * (10 - 2));
    EXPECT_FLOAT_EQ(earth.args[2], 0.126f); // tile (1, 0), inset 0.001
    EXPECT_FLOAT_EQ(earth.args[3], 0.001f);
    EXPECT_FLOAT_EQ(earth.args[4], 0.123f);
    EXPECT_FLOAT_EQ(earth.args[6] * 0.123f * 128.0f, 64.0f); // drawn 64 pixels wide
    EXPECT_EQ(drawing[3].args[0], 64.0f * (11 - 1));
    const auto& flame = drawing[4];
    EXPECT_EQ(flame.args[0], 64.0f * (12 - 1));
    EXPECT_FLOAT_EQ(flame.args[2], 0.001f); // overlay frame 0: tile (0, 7)
    EXPECT_FLOAT_EQ(flame.args[3], 0.876f);
}

TEST(TileSetDrawing, CellsOutsideTheGridAreSkipped)
{
    const LevelGrid grid = gridFromMap({"##", "##"});
    TileSet tiles;
    RecordingDrawer drawer;
    tiles.draw(drawer, grid, Camera{0.5f, 0.5f});
    EXPECT_EQ(drawer.callsOf("drawTexture").size(), 4u);
    EXPECT_EQ(drawer.callsOf("drawTextureRegion").size(), 4u);
    LevelGrid empty;
    drawer.clear();
    tiles.draw(drawer, empty, Camera{61.5f, 982.5f});
    EXPECT_TRUE(drawer.callsOf("drawTextureRegion").empty());
}

TEST(TileSetDrawing, FlamesChangeEverySixSteps)
{
    const LevelGrid grid = gridFromMap({"*"});
    TileSet tiles;
    RecordingDrawer drawer;
    std::vector<float> flameColumns;
    for (int draw = 0; draw < 20; ++draw) {
        drawer.clear();
        tiles.step(); // as a screen does: step, then draw
        tiles.draw(drawer, grid, Camera{0.0f, 0.0f});
        const auto regions = drawer.callsOf("drawTextureRegion");
        ASSERT_EQ(regions.size(), 1u); // the burning cell's own tile is clear
        flameColumns.push_back(regions[0].args[2]);
    }
    for (int draw = 0; draw < 20; ++draw) {
        const int frame = (draw / 6) % 3;
        EXPECT_FLOAT_EQ(flameColumns[static_cast<std::size_t>(draw)], frame * 0.125f + 0.001f) << "draw " << draw;
    }
}

TEST(LevelGridIdentity, TheHashIsFixedAndSeesTheShapeAndEveryCell)
{
    // Records and replays are filed under this name: a change to it would
    // orphan every player's records.
    const LevelGrid square = gridFromMap({"..", ".#"});
    EXPECT_EQ(square.contentHash(), "ab90c66f81ff0a3c"); // FNV-1a 64 of 2, 2 (four bytes each, low first) and the cells
    EXPECT_NE(gridFromMap({"..", "#."}).contentHash(), square.contentHash());
    EXPECT_NE(gridFromMap({"...#"}).contentHash(), square.contentHash());
    EXPECT_EQ(LevelGrid().contentHash().size(), 16u);
}
