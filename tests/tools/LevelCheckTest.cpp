// levelcheck as its users meet it: arguments, the picture checks, the report
// lines, the exit status and the files it writes.
#include "LevelCheck.h"
#include "LevelFiles.h"
#include "game/RouteScript.h"

#include "game/ImageLoader.h"
#include "game/LevelGrid.h"
#include "game/PilotBody.h"
#include "render/FilePath.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <sstream>

namespace {

struct CheckRun {
    int status = -1;
    std::string out;      // the report
    std::string progress; // the progress lines
    std::string printed;  // what the game's own code printed
};

CheckRun levelcheckRun(const std::vector<std::string>& arguments)
{
    std::ostringstream out;
    std::ostringstream progress;
    testing::internal::CaptureStdout();
    CheckRun run;
    run.status = levelcheck::run(arguments, out, progress);
    run.printed = testing::internal::GetCapturedStdout();
    run.out = out.str();
    run.progress = progress.str();
    return run;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> found;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        found.push_back(line);
    }
    return found;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A room 30 wide and 6 tall with a flat floor: nothing to kick off but its
// two end walls, too far apart and too low for a win.
std::vector<std::string> flatRoom()
{
    return levelAroundStart(32, 9, [](int column, int row) { return column >= 1 && column <= 30 && row >= 2 && row <= 7; });
}

// A one-cell shaft 150 rows tall with the start at its foot.
std::vector<std::string> tallShaft()
{
    return levelAroundStart(5, 160, [](int column, int row) { return column == 2 && row >= 5 && row <= 155; });
}

} // namespace

TEST(LevelCheckInput, AMissingFileGetsTheGameLineThenOneOfItsOwn)
{
    const CheckRun run = levelcheckRun({"/nonexistent/level.png"});
    EXPECT_EQ(run.status, levelcheck::exitUnusable);
    EXPECT_EQ(run.printed, "LevelGrid: Could not load level picture: /nonexistent/level.png\n");
    EXPECT_EQ(run.out, "levelcheck: /nonexistent/level.png does not load as a level: it must be a truecolour PNG "
                       "or JPEG picture\n");
    EXPECT_EQ(run.progress, "");
}

TEST(LevelCheckInput, APictureTooSmallForTheStartCellIsRefused)
{
    LevelFile level("small", levelAroundStart(40, 40, [](int, int) { return true; }));
    ASSERT_TRUE(level.written);
    const CheckRun run = levelcheckRun({level.path});
    EXPECT_EQ(run.status, levelcheck::exitUnusable);
    EXPECT_EQ(lines(run.out), (std::vector<std::string>{
                                  "levelcheck: " + level.path + ": a level of 40 x 40 cells",
                                  "levelcheck: start cell (60, 984): it and its four neighbours must lie inside the "
                                  "picture, which takes at least 62 x 986 cells"}));
}

TEST(LevelCheckInput, TheStartsNeighboursMustFitInsideThePicture)
{
    LevelFile level("edge", levelAroundStart(10, 10, [](int column, int row) { return column > 0 && row > 0 && column < 9 && row < 9; }));
    ASSERT_TRUE(level.written);
    // Column 8 has column 9 beside it, the last one: it fits.
    EXPECT_NE(levelcheckRun({level.path, "--start", "8", "5"}).out.find("start cell (8, 5): inside the picture"),
              std::string::npos);
    // Column 9 would need a tenth.
    const CheckRun outside = levelcheckRun({level.path, "--start", "9", "5"});
    EXPECT_EQ(outside.status, levelcheck::exitUnusable);
    EXPECT_NE(outside.out.find("start cell (9, 5): it and its four neighbours must lie inside the picture, which "
                               "takes at least 11 x 7 cells\n"),
              std::string::npos);
    const CheckRun top = levelcheckRun({level.path, "--start", "5", "0"});
    EXPECT_EQ(top.status, levelcheck::exitUnusable);
}

TEST(LevelCheckInput, AStartCellInsideAWallIsRefused)
{
    LevelFile level("wall", flatRoom());
    ASSERT_TRUE(level.written);
    const CheckRun run = levelcheckRun({level.path, "--start", "5", "1"});
    EXPECT_EQ(run.status, levelcheck::exitUnusable);
    EXPECT_EQ(lines(run.out).back(),
              "levelcheck: start cell (5, 1): solid (red 0); the pilot must start in open space (red 255)");
}

TEST(LevelCheckInput, HelpPrintsTheUsage)
{
    const CheckRun run = levelcheckRun({"--help"});
    EXPECT_EQ(run.status, levelcheck::exitWin);
    EXPECT_EQ(run.out.rfind("usage: levelcheck LEVEL.png [--start X Y] [--press-gap N]", 0), 0u) << run.out;
    EXPECT_EQ(lines(run.out).size(), 5u);
}

TEST(LevelCheckInput, BadArgumentsGetOneLine)
{
    LevelFile level("args", flatRoom());
    ASSERT_TRUE(level.written);
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "levelcheck: which level picture?"},
        {{level.path, "--fast"}, "levelcheck: unknown option --fast"},
        {{level.path, "--press-gap"}, "levelcheck: --press-gap needs a whole number"},
        {{level.path, "--press-gap", "abc"}, "levelcheck: --press-gap needs a whole number, not \"abc\""},
        {{level.path, "--press-gap", "8x"}, "levelcheck: --press-gap needs a whole number, not \"8x\""},
        {{level.path, "--press-gap", "0"}, "levelcheck: --press-gap must lie in 1..500 frames"},
        {{level.path, "--press-gap", "501"}, "levelcheck: --press-gap must lie in 1..500 frames"},
        {{level.path, "--start", "5"}, "levelcheck: --start needs a whole number"},
        {{level.path, "--band", "9", "3"}, "levelcheck: --band wants the first row, then the last"},
        {{level.path, "--picture"}, "levelcheck: --picture needs a file name"},
        {{level.path, "--threads", "0"}, "levelcheck: --threads must lie in 1..64"},
        {{level.path, "other.png"},
         "levelcheck: one level picture at a time (got \"" + level.path + "\" and \"other.png\")"},
    };
    for (const auto& [arguments, line] : cases) {
        const CheckRun run = levelcheckRun(arguments);
        EXPECT_EQ(run.status, levelcheck::exitUnusable) << line;
        EXPECT_EQ(run.out, line + " (levelcheck --help shows how to call it)\n");
        EXPECT_EQ(run.printed, "") << line; // nothing loaded
    }
}

TEST(LevelCheckSearch, ALevelWithNoShaftHasNoWinAndExitsOne)
{
    LevelFile level("flat", flatRoom());
    ASSERT_TRUE(level.written);
    const std::string route = level.path + ".route";
    const CheckRun run = levelcheckRun({level.path, "--start", "3", "5", "--route", route});
    EXPECT_EQ(run.status, levelcheck::exitNoWin);
    const std::vector<std::string> printed = lines(run.out);
    ASSERT_EQ(printed.size(), 10u) << run.out;
    EXPECT_EQ(printed[0], "levelcheck: " + level.path + ": a level of 32 x 9 cells");
    EXPECT_EQ(printed[1], "levelcheck: start cell (3, 5): inside the picture with its four neighbours");
    EXPECT_EQ(printed[2], "levelcheck: start cell (3, 5): open");
    EXPECT_EQ(printed[3], "levelcheck: search: any direction held or released on any frame, a jump press at most "
                          "every 8 frames");
    EXPECT_EQ(printed[4], "levelcheck: reached: 180 cells, rows 2 to 7"); // every open cell
    EXPECT_EQ(printed[5], "levelcheck: win zones: none");
    EXPECT_EQ(printed[6], "levelcheck: fastest win: none");
    EXPECT_EQ(printed[7].rfind("levelcheck: fastest kick short of a win 0.", 0), 0u) << printed[7];
    EXPECT_NE(printed[8].find(", to the end"), std::string::npos) << printed[8];
    EXPECT_EQ(printed[9], "levelcheck: no route written to " + route + ": there is no win");
    struct stat info {};
    EXPECT_NE(stat(route.c_str(), &info), 0) << "no route file for no win";
}

TEST(LevelCheckSearch, TheFastestWinUpAShaftIsWrittenAsARouteThatWinsOnItsLastFrame)
{
    LevelFile level("shaft", tallShaft());
    ASSERT_TRUE(level.written);
    const std::string routePath = level.path + ".route";
    const CheckRun run = levelcheckRun({level.path, "--start", "2", "155", "--press-gap", "5", "--route", routePath});
    EXPECT_EQ(run.status, levelcheck::exitWin) << run.out;

    std::ifstream in(routePath);
    Route route;
    std::string error;
    ASSERT_TRUE(routescript::read(in, route, error)) << error;
    std::remove(routePath.c_str());
    ASSERT_FALSE(route.empty());

    // The report's figures are the route's.
    const std::string frames = std::to_string(route.size());
    const std::vector<std::string> printed = lines(run.out);
    const std::string fastest = printed.at(6);
    EXPECT_EQ(fastest.rfind("levelcheck: fastest win: " + frames + " frames, ", 0), 0u) << fastest;
    EXPECT_NE(fastest.find(", " + std::to_string(routescript::presses(route)) + " presses, at (2, "),
              std::string::npos)
        << fastest;
    EXPECT_EQ(printed.back(), "levelcheck: route written to " + routePath + " (" + frames + " lines, one a frame)");

    // Played with the game's movement, it wins on its last frame and not before.
    LevelGrid grid;
    grid.load(FilePath(level.path));
    const std::vector<PilotBody> path = routescript::replay(grid, 2.0f, 155.0f, route);
    ASSERT_EQ(path.size(), route.size());
    for (std::size_t frame = 0; frame + 1 < path.size(); ++frame) {
        ASSERT_LT(path[frame].flightSpeed(), PilotBody::winningFlightSpeed) << "frame " << frame + 1;
    }
    EXPECT_GE(path.back().flightSpeed(), PilotBody::winningFlightSpeed);

    // Presses keep the gap: at least five frames from one to the next.
    int lastPress = -1000;
    for (std::size_t frame = 0; frame < route.size(); ++frame) {
        if (route[frame].jump) {
            ASSERT_GE(static_cast<int>(frame) - lastPress, 5) << "frame " << frame + 1;
            lastPress = static_cast<int>(frame);
        }
    }
}

TEST(LevelCheckSearch, ASlowerHandTakesLongerUpTheSameShaft)
{
    LevelFile level("gaps", tallShaft());
    ASSERT_TRUE(level.written);
    const auto framesAt = [&](const char* gap) {
        const CheckRun run = levelcheckRun({level.path, "--start", "2", "155", "--press-gap", gap});
        EXPECT_EQ(run.status, levelcheck::exitWin) << gap;
        const std::string line = lines(run.out).at(6);
        return std::stoi(line.substr(std::string("levelcheck: fastest win: ").size()));
    };
    const int quick = framesAt("3");
    const int steady = framesAt("8");
    const int slow = framesAt("12");
    EXPECT_LT(quick, steady);
    EXPECT_LT(steady, slow);
}

TEST(LevelCheckSearch, BandsSayWhatEachStretchOfRowsHolds)
{
    LevelFile level("bands", tallShaft());
    ASSERT_TRUE(level.written);
    const CheckRun run = levelcheckRun({level.path, "--start", "2", "155", "--press-gap", "8", "--band", "150", "155",
                                   "--band", "0", "2", "--band", "5", "149"});
    ASSERT_EQ(run.status, levelcheck::exitWin);
    const std::vector<std::string> printed = lines(run.out);
    ASSERT_EQ(printed.size(), 12u) << run.out;
    // The start's stretch: the pilot is there from frame 0, and a kick on the
    // long fall back down the shaft wins even there.
    EXPECT_EQ(printed[8].rfind("levelcheck: rows 150 to 155: 6 cells reached, the first on frame 0; win zones: ", 0), 0u)
        << printed[8];
    EXPECT_EQ(printed[9], "levelcheck: rows 0 to 2: not reached");
    EXPECT_NE(printed[10].find("; win zones: "), std::string::npos);
    EXPECT_EQ(printed[10].find("win zones: none"), std::string::npos) << "the shaft wins somewhere up there";
}

TEST(LevelCheckOutput, ThePictureShowsTheCellsTheZonesAndTheRoute)
{
    LevelFile level("picture", tallShaft());
    ASSERT_TRUE(level.written);
    const std::string picturePath = level.path + ".out.png";
    const CheckRun run = levelcheckRun({level.path, "--start", "2", "155", "--picture", picturePath});
    ASSERT_EQ(run.status, levelcheck::exitWin) << run.out;
    EXPECT_EQ(lines(run.out).back(), "levelcheck: picture written to " + picturePath + " (4 pixels a cell)");
    RgbaImage image = ImageLoader().loadFromFile(picturePath);
    std::remove(picturePath.c_str());
    ASSERT_NE(image.pixels, nullptr);
    EXPECT_EQ(image.width, 5 * 4);
    EXPECT_EQ(image.height, 160 * 4);
    const auto pixel = [&](int x, int y) {
        const uint8_t* at = image.pixels + (static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) +
                                            static_cast<std::size_t>(x)) * 4;
        return std::vector<int>{at[0], at[1], at[2]};
    };
    EXPECT_EQ(pixel(0, 0), (std::vector<int>{112, 80, 48})); // earth, top left
    // Somewhere up the shaft the kick reaches the winning speed: red cells,
    // and the route's dark line through the pilot's middle below them.
    int red = 0;
    int line = 0;
    for (int y = 0; y < image.height; ++y) {
        red += pixel(8, y) == std::vector<int>{228, 32, 32} ? 1 : 0;
        line += pixel(10, y) == std::vector<int>{24, 24, 24} ? 1 : 0;
    }
    EXPECT_GT(red, 0);
    EXPECT_GT(line, 40);
    delete[] image.pixels;
}

TEST(LevelCheckOutput, TheLevelItselfIsNeverOverwritten)
{
    LevelFile level("self", flatRoom());
    ASSERT_TRUE(level.written);
    const std::string before = readFile(level.path);
    const CheckRun run = levelcheckRun({level.path, "--start", "3", "5", "--picture", level.path});
    EXPECT_EQ(run.status, levelcheck::exitUnusable);
    EXPECT_EQ(run.out, "levelcheck: " + level.path + " is the level itself; name another file to write\n");
    EXPECT_EQ(readFile(level.path), before);
}

TEST(LevelCheckOutput, AnUnwritablePlaceSaysSoAndFails)
{
    LevelFile level("unwritable", tallShaft());
    ASSERT_TRUE(level.written);
    const CheckRun missingFolder = levelcheckRun({level.path, "--start", "2", "155", "--picture", "/nonexistent/out.png"});
    EXPECT_EQ(missingFolder.status, levelcheck::exitUnusable);
    EXPECT_EQ(lines(missingFolder.out).back(),
              "levelcheck: could not write the picture /nonexistent/out.png: No such file or directory");
    const CheckRun folder = levelcheckRun({level.path, "--start", "2", "155", "--route", "/tmp"});
    EXPECT_EQ(folder.status, levelcheck::exitUnusable);
    EXPECT_EQ(lines(folder.out).back(), "levelcheck: could not write the route /tmp: not a regular file");
}
