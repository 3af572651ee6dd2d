#include "GridMaps.h"
#include "RecordingDrawer.h"
#include "game/LevelGrid.h"
#include "game/TileSet.h"

#include "PngWriter.h"
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string tempPath(const std::string& name) { return "/tmp/" + name + "-" + std::to_string(getpid()) + ".png"; }

void writeFile(const std::string& path, const std::string& bytes)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
}

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

// A 4 × 1 picture of one colour type and depth, its rows already packed.
struct PictureKind {
    const char* name;
    pngwriter::ColourType type;
    int depth;
    std::vector<uint8_t> row;
    std::vector<uint8_t> palette;
};

TEST(LevelGridLoading, EveryPngKindGivesTheRedOrGreyValueOfEachCell)
{
    // Each picture holds open space, earth, grass and burning block in turn:
    // a wrong expansion of small depths, a palette index taken for its
    // colour or the low byte of a 16-bit sample all break the row.
    const std::vector<uint8_t> palette = {255, 1, 1, 0, 255, 255, 32, 0, 0, 224, 9, 9};
    const std::vector<PictureKind> kinds = {
        {"grey 1-bit", pngwriter::grey, 1, {0b1000'0000}, {}},
        {"grey 2-bit", pngwriter::grey, 2, {0b1100'0000}, {}},
        {"grey 4-bit", pngwriter::grey, 4, {0xF0, 0x2E}, {}},
        {"grey 8-bit", pngwriter::grey, 8, {255, 0, 32, 224}, {}},
        {"grey 16-bit", pngwriter::grey, 16, {0xFF, 0x00, 0x00, 0xFF, 0x20, 0xFF, 0xE0, 0x00}, {}},
        {"grey and alpha", pngwriter::greyAlpha, 8, {255, 0, 0, 255, 32, 7, 224, 0}, {}},
        {"palette 8-bit", pngwriter::palette, 8, {0, 1, 2, 3}, palette},
        {"palette 2-bit", pngwriter::palette, 2, {0b0001'1011}, palette},
        {"RGB 16-bit", pngwriter::rgb, 16, {0xFF, 0, 0, 0, 0, 0, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                            0x20, 0x10, 0, 0, 0, 0, 0xE0, 0xFF, 0, 0, 0, 0}, {}},
        {"RGBA 8-bit", pngwriter::rgba, 8, {255, 0, 0, 0, 0, 9, 9, 255, 32, 1, 1, 0, 224, 0, 0, 255}, {}},
    };
    const std::vector<std::vector<uint8_t>> expected = {
        {255, 0, 0, 0},     {255, 0, 0, 0},  {255, 0, 34, 238}, {255, 0, 32, 224}, {255, 0, 32, 224},
        {255, 0, 32, 224},  {255, 0, 32, 224}, {255, 0, 32, 224}, {255, 0, 32, 224}, {255, 0, 32, 224},
    };
    const std::string path = tempPath("level-kind");
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        const PictureKind& kind = kinds[i];
        writeFile(path, pngwriter::encode(4, 1, kind.type, kind.depth, kind.row, kind.palette));
        LevelGrid grid;
        testing::internal::CaptureStdout();
        EXPECT_TRUE(grid.load(path)) << kind.name;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << kind.name;
        ASSERT_EQ(grid.getWidth(), 4) << kind.name;
        for (int32_t column = 0; column < 4; ++column)
            EXPECT_EQ(grid.cell(column, 0), expected[i][static_cast<std::size_t>(column)]) << kind.name << " " << column;
    }
    // The largest width the format allows: the texture decoder's row length
    // stops short of 16384 RGBA pixels.
    std::vector<uint8_t> wide(2048 * 4096, 0xFF);
    wide.back() = 0xFE;
    writeFile(path, pngwriter::encode(16384, 4096, pngwriter::grey, 1, wide));
    LevelGrid grid;
    EXPECT_TRUE(grid.load(path));
    std::remove(path.c_str());
    EXPECT_EQ(grid.getWidth(), 16384);
    EXPECT_EQ(grid.getHeight(), 4096);
    EXPECT_EQ(grid.cell(16382, 4095), 255);
    EXPECT_EQ(grid.cell(16383, 4095), 0);
}

TEST(LevelGridLoading, EveryRefusedPictureGivesOneLineWithItsReason)
{
    const std::string whole = pngwriter::encode(2, 2, pngwriter::rgb, 8, std::vector<uint8_t>(12, 255));
    // Signature and header chunk, then a data chunk that claims 50 MB.
    const std::string crafted = whole.substr(0, 33) + std::string("\x02\xFA\xF0\x80IDAT", 8) + std::string(16, 'U');
    std::string badData = whole;
    badData[41] = 0; // the first byte of the compressed data, which names its method
    const auto blank = [](int32_t width, int32_t height) {
        return pngwriter::encode(width, height, pngwriter::grey, 1,
                                 std::vector<uint8_t>(pngwriter::rowBytes(width, pngwriter::grey, 1) * height, 0xFF));
    };
    const std::string folder = tempPath("level-folder");
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    const std::string fifo = tempPath("level-fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string path = tempPath("level-refused");
    struct Case {
        std::string file;
        std::optional<std::string> bytes; // written to `path` first when given
        std::string reason;
    };
    const std::string cutShort = "a PNG cut short: a chunk runs past the end of the file";
    const std::vector<Case> cases = {
        {"/nonexistent/levels/pilot.png", std::nullopt, "No such file or directory"},
        {folder, std::nullopt, "not a regular file"},
        {fifo, std::nullopt, "not a regular file"},
        {path, "", "the file is empty"},
        {path, "not a level\n", "neither a PNG nor a JPEG picture"},
        {path, whole.substr(0, whole.size() - 14), cutShort}, // inside the data chunk
        {path, whole.substr(0, 8 + 25 + 5), "a PNG cut short inside a chunk"},
        {path, crafted, cutShort},
        {path, whole.substr(0, whole.size() - 12), "a PNG cut short: its end chunk is missing"},
        {path, whole.substr(0, 8) + whole.substr(33), "a PNG that does not start with its header chunk"},
        {path, blank(16385, 1),
         "a PNG of 16385 x 1 pixels; pictures of 1 to 16384 pixels a side and at most 67108864 pixels in all are read"},
        {path, blank(16384, 4097),
         "a PNG of 16384 x 4097 pixels; pictures of 1 to 16384 pixels a side and at most 67108864 pixels in all are read"},
        {path, badData, "the PNG decoder stopped: IDAT: incorrect header check"},
    };
    for (const Case& refused : cases) {
        if (refused.bytes)
            writeFile(path, *refused.bytes);
        LevelGrid grid = gridFromMap({"..", ".."});
        testing::internal::CaptureStdout();
        EXPECT_FALSE(grid.load(refused.file));
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "LevelGrid: Could not load level picture: " + refused.file + ": " + refused.reason + "\n");
        EXPECT_EQ(grid.refusal(), refused.reason);
        EXPECT_TRUE(grid.empty());
    }
    std::remove(path.c_str());
    std::remove(fifo.c_str());
    rmdir(folder.c_str());
}

TEST(LevelGridLoading, ALevelThePilotCannotStartInWallsThePilotIn)
{
    const std::string path = tempPath("level-start");
    struct Case {
        int32_t width;
        int32_t height;
        uint8_t startCell;
        std::string reason; // empty: plays
    };
    const std::string tooSmall = "; the start cell (60, 984) and its four neighbours must lie inside the picture, "
                                 "which takes at least 62 x 986 cells";
    const std::vector<Case> cases = {
        {62, 986, 255, ""},
        {1, 1, 255, "a level of 1 x 1 cells" + tooSmall},
        {30, 30, 255, "a level of 30 x 30 cells" + tooSmall},
        {61, 986, 255, "a level of 61 x 986 cells" + tooSmall},
        {62, 985, 255, "a level of 62 x 985 cells" + tooSmall},
        {62, 986, 254, "the start cell (60, 984) is solid (red 254); the pilot must start in open space (red 255)"},
    };
    for (const Case& level : cases) {
        std::vector<uint8_t> cells(static_cast<std::size_t>(level.width) * level.height, 255);
        if (level.width > 60 && level.height > 984)
            cells[984 * static_cast<std::size_t>(level.width) + 60] = level.startCell;
        writeFile(path, pngwriter::encode(level.width, level.height, pngwriter::grey, 8, cells));
        LevelGrid grid;
        testing::internal::CaptureStdout();
        EXPECT_EQ(grid.load(path, 60, 984), level.reason.empty());
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(grid.refusal(), level.reason);
        if (level.reason.empty()) {
            EXPECT_EQ(printed, "");
            EXPECT_EQ(grid.getHeight(), 986);
            continue;
        }
        EXPECT_EQ(printed, "LevelGrid: Could not load level picture: " + path + ": " + level.reason + "\n");
        // Earth all round an open start cell, drawn where the player looks.
        EXPECT_EQ(grid.getWidth(), 62);
        EXPECT_EQ(grid.getHeight(), 986);
        EXPECT_FALSE(grid.solid(60, 984));
        for (const auto& [column, row] : {std::pair{59, 984}, {61, 984}, {60, 983}, {60, 985}, {0, 0}})
            EXPECT_EQ(grid.cell(column, row), 0) << column << " " << row;
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
    // Outlines: only the two earth cells' (the picture 4 pixels outside the
    // cell, scale 2), each but the pieces over itself and its earth neighbour.
    ASSERT_EQ(drawing.size(), 7u + 7u + 2u + 1u);
    EXPECT_EQ(drawing[0].args[0], 64.0f * (10 - 1) - 4.0f); // top left corner
    EXPECT_EQ(drawing[0].args[1], 64.0f * (10 - 2) - 4.0f);
    EXPECT_FLOAT_EQ(drawing[0].args[4], 2.0f / 36.0f);
    EXPECT_EQ(drawing[0].args[6], 2.0f);
    EXPECT_EQ(drawing[7].args[0], 64.0f * (11 - 1) - 4.0f);
    for (std::size_t i = 0; i < drawing.size(); ++i) {
        ASSERT_EQ(drawing[i].op, "drawTextureRegion");
        const float x = drawing[i].args[0];
        const float y = drawing[i].args[1];
        const bool overEarth = x >= 64.0f * 9 && x < 64.0f * 11 && y >= 64.0f * 8 && y < 64.0f * 9;
        EXPECT_EQ(overEarth, i == 14 || i == 15) << i; // the tiles alone
    }
    const auto& earth = drawing[14];
    EXPECT_EQ(earth.args[0], 64.0f * (10 - 1));
    EXPECT_EQ(earth.args[1], 64.0f * (10 - 2));
    EXPECT_FLOAT_EQ(earth.args[2], 0.126f); // tile (1, 0), inset 0.001
    EXPECT_FLOAT_EQ(earth.args[3], 0.001f);
    EXPECT_FLOAT_EQ(earth.args[4], 0.123f);
    EXPECT_FLOAT_EQ(earth.args[6] * 0.123f * 128.0f, 64.0f); // drawn 64 pixels wide
    EXPECT_EQ(drawing[15].args[0], 64.0f * (11 - 1));
    const auto& flame = drawing[16];
    EXPECT_EQ(flame.args[0], 64.0f * (12 - 1));
    EXPECT_FLOAT_EQ(flame.args[2], 0.001f); // overlay frame 0: tile (0, 7)
    EXPECT_FLOAT_EQ(flame.args[3], 0.876f);
}

TEST(TileSetDrawing, UncoveredAreasHoldEveryPixelButThoseOfOpaqueTiles)
{
    // 30 × 20 cells: earth over columns 5..14 of rows 5..12, burning at (9, 8).
    std::vector<std::string> rows(20, std::string(30, '.'));
    for (int row = 5; row <= 12; ++row)
        rows[static_cast<std::size_t>(row)].replace(5, 10, 10, '#');
    rows[8][9] = '*';
    const LevelGrid grid = gridFromMap(rows);
    const TileSet tiles;
    struct Point {
        Camera camera;
        float x, y;
        bool uncovered;
    };
    // At camera (12, 8) column c starts at x = 64 (c − 1), row r at y = 64 (r − 2).
    const Point points[] = {
        {{12.0f, 8.0f}, 416.0f, 416.0f, false}, // earth (7, 8)
        {{12.0f, 8.0f}, 544.0f, 416.0f, true},  // the burning cell
        {{12.0f, 8.0f}, 255.0f, 416.0f, true},  // open (4, 8), beside the earth
        {{12.0f, 8.0f}, 258.0f, 416.0f, false}, // just inside the earth
        {{12.0f, 8.0f}, 0.5f, 0.5f, true},
        {{12.0f, 8.0f}, 1279.5f, 719.5f, true},
        {{-3.5f, -2.5f}, 10.0f, 10.0f, true}, // left of the cells a truncated camera picks
    };
    for (const Point& point : points) {
        const UncoveredAreas open = tiles.uncovered(grid, point.camera);
        bool inside = false;
        for (std::size_t i = 0; i < open.count; ++i) {
            const ScreenArea& a = open.areas[i];
            inside = inside || (a.x <= point.x && point.x < a.x + a.width && a.y <= point.y && point.y < a.y + a.height);
        }
        EXPECT_EQ(inside, point.uncovered) << point.camera.x << " " << point.x << "," << point.y;
    }
}

TEST(TileSetDrawing, CellsOutsideTheGridAreSkipped)
{
    const LevelGrid grid = gridFromMap({"##", "##"});
    TileSet tiles;
    RecordingDrawer drawer;
    tiles.draw(drawer, grid, Camera{0.5f, 0.5f});
    EXPECT_EQ(drawer.callsOf("drawTextureRegion").size(), 4u * 5u + 4u); // outline pieces and tiles
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
    // The name is kept with the cells: filling a grid again renames it.
    LevelGrid refilled = gridFromMap({"..", "#."});
    refilled.assign(square.getWidth(), square.getHeight(), std::vector<uint8_t>{255, 255, 255, 0}.data());
    EXPECT_EQ(refilled.contentHash(), square.contentHash());
    refilled.assign(RgbaImage{});
    EXPECT_EQ(refilled.contentHash(), LevelGrid().contentHash());
}
