// levelcheck as its users meet it: arguments, the picture checks, the report
// lines, the exit status and the files it writes.
#include "LevelCheck.h"
#include "Forgiveness.h"
#include "GridMaps.h"
#include "LevelFiles.h"
#include "game/RouteScript.h"

#include "base/ImageLoader.h"
#include "game/LevelGrid.h"
#include "game/PilotBody.h"
#include "base/FilePath.h"

#include "ChildProcess.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
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

std::set<std::string> entriesOf(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
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
    EXPECT_EQ(run.printed, "LevelGrid: Could not load level picture: /nonexistent/level.png: No such file or directory\n");
    EXPECT_EQ(run.out, "levelcheck: /nonexistent/level.png does not load as a level: No such file or directory\n");
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
    EXPECT_EQ(lines(run.out).size(), 7u);
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
        {{level.path, "--press-gap", "0"}, "levelcheck: --press-gap must lie in 1..500 frames, not 0"},
        {{level.path, "--press-gap", "501"}, "levelcheck: --press-gap must lie in 1..500 frames, not 501"},
        {{level.path, "--start", "5"}, "levelcheck: --start needs a whole number"},
        {{level.path, "--band", "9", "3"}, "levelcheck: --band wants the first row, then the last"},
        {{level.path, "--picture"}, "levelcheck: --picture needs a file name"},
        {{level.path, "--threads", "0"}, "levelcheck: --threads must lie in 1..64, not 0"},
        {{level.path, "--memory", "0"}, "levelcheck: --memory must lie in 1..1048576 MiB, not 0"},
        {{level.path, "--memory", "99999999999"}, "levelcheck: --memory must lie in 1..1048576 MiB, not 99999999999"},
        {{level.path, "--curve"}, "levelcheck: --curve needs the sections: --sections MAP.txt or --band FIRST LAST"},
        {{level.path, "--curve", "--band", "1", "2", "--press-gap", "8"},
         "levelcheck: --curve searches at its own press gaps and writes no picture or route"},
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

TEST(LevelCheckOutput, AnOutputThatCannotBeWrittenIsRefusedBeforeTheLevelIsLoaded)
{
    // Before, these were found only after the whole search, up to 40 s late.
    LevelFile level("places", tallShaft());
    TempFolder folder;
    const std::string fifo = folder.file("fifo.png");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string same = "vantorrel-levelcheck-" + std::to_string(getpid()) + ".out";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--picture", fifo}, "could not write the picture " + fifo + ": not a regular file"},
        {{"--route", "/dev/null"}, "could not write the route /dev/null: not a regular file"},
        {{"--route", folder.path()}, "could not write the route " + folder.path() + ": not a regular file"},
        {{"--picture", "/no/a.png"}, "could not write the picture /no/a.png: No such file or directory"},
        {{"--route", fifo + "/a"}, "could not write the route " + fifo + "/a: Not a directory"},
        // The picture would be lost under the route.
        {{"--picture", same, "--route", "./" + same}, "--picture and --route name the same file, ./" + same +
                                                          "; name two (levelcheck --help shows how to call it)"},
    };
    for (const auto& [outputs, line] : cases) {
        std::vector<std::string> arguments{level.path, "--start", "2", "155"};
        arguments.insert(arguments.end(), outputs.begin(), outputs.end());
        const CheckRun run = levelcheckRun(arguments);
        EXPECT_EQ(run.status, levelcheck::exitUnusable) << line;
        EXPECT_EQ(run.out + run.printed, "levelcheck: " + line + "\n"); // the level not even loaded
        EXPECT_EQ(entriesOf(folder.path()).size(), 1u) << line;
    }
}

TEST(LevelCheckOutput, AFullDiskAReadOnlyFolderOrAFileSizeLimitLeaveTheOldFileAndNoPart)
{
    // Before, a file-size limit killed levelcheck and left a .part file.
    LevelFile level("limits", tallShaft());
    TempFolder place;
    const std::string where = place.path();
    const std::string route = where + "/route.txt";
    // A private 16 KiB file system filled up ('f'), read-only ('r'), or a
    // file-size limit ('l'); whether it is refused before the search; why.
    for (const auto& [kind, atOnce, reason] : std::vector<std::tuple<char, bool, std::string>>{
             {'f', false, "No space left on device"}, {'r', true, "Read-only file system"}, {'l', false, "File too large"}}) {
        EXPECT_CHILD_PASSES(childprocess::run([&, kind = kind, atOnce = atOnce, reason = reason](std::string& why) {
            std::signal(SIGXFSZ, SIG_DFL); // levelcheck must ignore it itself
            const rlimit limit{100, RLIM_INFINITY}; // bytes: the route has hundreds of lines
            if (kind == 'l' ? setrlimit(RLIMIT_FSIZE, &limit) != 0
                            : unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                                  mount("levelcheck", where.c_str(), "tmpfs", 0, "size=16k") != 0) {
                why = "cannot mount a small file system (needs root) or set a file-size limit";
                return childprocess::skipped;
            }
            std::ofstream(route) << "an older route\n";
            for (std::ofstream filler(where + "/filler"); kind == 'f' && filler << 'x' << std::flush;) {
            }
            if (kind == 'r' && mount(nullptr, where.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
                return 1;
            }
            const CheckRun run = levelcheckRun({level.path, "--start", "2", "155", "--threads", "1", "--route", route});
            why = run.out + " and " + std::to_string(entriesOf(where).size()) + " entries, route '" + readFile(route) + "'";
            return run.status == levelcheck::exitUnusable && (lines(run.out).size() == 1) == atOnce &&
                           lines(run.out).back() == "levelcheck: could not write the route " + route + ": " + reason &&
                           entriesOf(where) == std::set<std::string>{"filler", "route.txt"} &&
                           readFile(route) == "an older route\n"
                       ? childprocess::passed
                       : 1;
        }));
    }
}

TEST(LevelCheckSearch, TheMemoryBoundOrTheSystemsMemoryStopsTheSearchWithAReport)
{
    // Before, the memory could not be bounded, and std::bad_alloc ended the
    // run with no result. A win found before the bound still counts.
    LevelFile shaft("memory", tallShaft());
    const CheckRun run = levelcheckRun({shaft.path, "--start", "2", "155", "--press-gap", "3", "--memory", "1"});
    EXPECT_EQ(run.status, levelcheck::exitWin) << run.out;
    EXPECT_NE(run.out.find("levelcheck: reached: "), std::string::npos);
    // It never needed more than the bound.
    EXPECT_NE(run.out.find(" frames (--memory 1 would do); stopped where the next frame could take it beyond --memory 1 "
                           "MiB, so a win or a cell may be missing above\n"), std::string::npos) << run.out;
    // The size a start far outside the picture would take, told whole.
    EXPECT_EQ(lines(levelcheckRun({shaft.path, "--start", "2147483647", "2147483647"}).out).back(),
              "levelcheck: start cell (2147483647, 2147483647): it and its four neighbours must lie inside the "
              "picture, which takes at least 2147483649 x 2147483649 cells");
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // Open sky, under an address-space limit far below what its search takes.
    LevelFile sky("sky", levelAroundStart(200, 200, [](int x, int y) { return x % 199 != 0 && y % 199 != 0; }));
    EXPECT_CHILD_PASSES(childprocess::run([&](std::string& why) {
        std::size_t pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlimit limit{pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) + (32 << 20), RLIM_INFINITY};
        const bool limited = setrlimit(RLIMIT_AS, &limit) == 0;
        why = levelcheckRun({sky.path, "--start", "100", "197", "--threads", "1", "--memory", "100000"}).out;
        return limited && why.find("levelcheck: reached: ") != std::string::npos &&
                       why.find("; stopped where the system had no more memory to give, so ") != std::string::npos
                   ? childprocess::passed
                   : 1;
    }));
#endif
}

TEST(LevelCheckCurve, EachGapsSectionTimesAddUpToItsWinOrEndWhereItsSearchStops)
{
    // A start room, a short shaft up to a landing, and a shaft 120 rows tall
    // that quick hands win in and slow ones only climb.
    std::vector<std::string> rows(1, "#########");
    rows.insert(rows.end(), 120, "####.####");
    rows.insert(rows.end(), 4, "#.......#");
    rows.insert(rows.end(), 6, "####.####");
    rows.insert(rows.end(), 4, "#.......#");
    rows.emplace_back("#########");
    LevelFile level("curve", rows);
    TempFolder folder;
    folder.write("map.txt", "; section: rows 0-120: shaft\n; section: rows 121-130: landing\n; section: rows 131-135: room\n");
    const CheckRun run = levelcheckRun({level.path, "--start", "4", "134", "--sections", folder.file("map.txt"), "--curve"});
    const std::vector<std::string> printed = lines(run.out);
    ASSERT_EQ(printed.size(), 21u) << run.out; // the curve, then forgiveness: its line, head and a row a section
    EXPECT_EQ(printed[17], "|---|---|---|---|");
    EXPECT_EQ(printed[18].rfind("| room | 131-135 | ", 0), 0u);
    EXPECT_EQ(run.status, levelcheck::exitWin);
    EXPECT_EQ(printed[9], "| section | rows | gap 8 | gap 12 | gap 16 | gap 24 |");
    EXPECT_EQ(printed[11].rfind("| room | 131-135 |", 0), 0u); // from the bottom up
    const auto cell = [&](std::size_t line, std::size_t column) { // column 0: the rows
        std::size_t at = 0;
        for (std::size_t bar = 0; bar <= column; ++bar) {
            at = printed[line].find(" | ", at) + 3;
        }
        return printed[line].substr(at, printed[line].find(" |", at) - at);
    };
    int wins = 0;
    for (std::size_t column = 1; column <= 4; ++column) {
        const std::string climb = cell(14, column);
        const std::string gap = cell(9, column).substr(4);
        EXPECT_EQ(printed[3 + column].rfind("levelcheck: press gap " + gap + ": " + climb + "; searched ", 0), 0u);
        if (climb.rfind("won in ", 0) == 0) {
            ++wins;
            EXPECT_EQ(std::stoi(cell(11, column)) + std::stoi(cell(12, column)) + std::stoi(cell(13, column)),
                      std::stoi(climb.substr(7)));
            EXPECT_NE(cell(13, column).find(", won"), std::string::npos);
            continue;
        }
        // Where the table says it ends is where that gap's own search ends.
        const std::string reached = lines(levelcheckRun({level.path, "--start", "4", "134", "--press-gap", gap}).out).at(4);
        const std::string highest = reached.substr(reached.find(" rows ") + 6, reached.find(" to ") - reached.find(" rows ") - 6);
        EXPECT_EQ(climb + " / " + cell(13, column), "no win; highest row " + highest + " (shaft) / stuck at row " + highest);
    }
    EXPECT_TRUE(wins > 0 && wins < 4) << wins;
}

TEST(LevelCheckCurve, AMapWithoutUsableSectionLinesIsRefusedBeforeTheSearch)
{
    LevelFile level("sections", flatRoom());
    TempFolder folder;
    const std::string form = "a section line reads \"; section: rows FIRST-LAST: name\", with FIRST at most LAST";
    for (const auto& [contents, problem] : std::vector<std::pair<std::string, std::string>>{
             {"; a comment\n#####\n", " marks no section (lines \"; section: rows FIRST-LAST: name\")"},
             {"; section: rows 5-3: upside down\n", " line 1: " + form},
             {";\n; section: rows 1-x: typo\n", " line 2: " + form}}) {
        folder.write("map.txt", contents);
        EXPECT_EQ(levelcheckRun({level.path, "--sections", folder.file("map.txt"), "--curve"}).out,
                  "levelcheck: " + folder.file("map.txt") + problem + "\n");
    }
}

namespace {

// The pilot standing at (column, row) as a stretch with its way out above `exitRow`.
forgiveness::Stretch standingIn(int column, int row, int exitRow)
{
    forgiveness::Stretch stretch;
    stretch.start = PilotBody(static_cast<float>(column), static_cast<float>(row));
    stretch.start.airborne = false;
    stretch.framesSincePress = 8;
    stretch.exitRow = exitRow;
    return stretch;
}

} // namespace

TEST(Forgiveness, AWideWayOutForgivesEveryPressAndAKickIntoAOneCellHoleFewOff)
{
    // A five-wide shaft that one plain jump leaves; and a hole one cell right
    // of a room's wall and higher than a jump: only a kick off the wall at
    // the right height carries the pilot through it.
    std::vector<std::string> wide(12, "##.....##");
    wide.emplace_back("#########");
    std::vector<std::string> hole(3, "#..........#");
    hole.emplace_back("###.########");
    hole.insert(hole.end(), 14, "#..........#");
    hole.emplace_back("############");
    struct Case {
        std::vector<std::string> rows;
        forgiveness::Stretch stretch;
        int spread;
        int leastPassed; // of 100
        int mostPassed;
    };
    for (const Case& c : std::vector<Case>{{wide, standingIn(4, 11, 2), 2, 100, 100},
                                           {wide, standingIn(4, 11, 2), 4, 100, 100},
                                           {hole, standingIn(2, 17, 3), 0, 100, 100}, // the plan itself, on the beat
                                           {hole, standingIn(2, 17, 3), 2, 1, 50},
                                           {hole, standingIn(2, 17, 3), 4, 0, 40}}) {
        forgiveness::Options options;
        options.spread = c.spread;
        const forgiveness::Result result = forgiveness::measure(gridFromMap(c.rows), c.stretch, options);
        EXPECT_EQ(result.attempts, 100);
        EXPECT_EQ(result.passed + result.noRoute + result.outOfTime, 100);
        EXPECT_GE(result.passed, c.leastPassed) << c.rows.size() << " rows, spread " << c.spread;
        EXPECT_LE(result.passed, c.mostPassed) << c.rows.size() << " rows, spread " << c.spread;
    }
}
