#include "LevelCheck.h"

#include "OutputFile.h"
#include "PngFile.h"
#include "RoutePicture.h"
#include "game/RouteScript.h"
#include "RouteSearch.h"

#include "game/GamePlay.h"
#include "game/LevelGrid.h"
#include "game/PilotBody.h"
#include "game/RunClock.h"
#include "render/FilePath.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <iomanip>
#include <sstream>

namespace levelcheck {

namespace {

constexpr int32_t defaultPressGap = 8;       // frames: about eight presses a second
constexpr int32_t largestPressGap = 500;     // frames
constexpr int32_t largestThreads = 64;
constexpr int64_t largestLevelCells = 64000000; // cells the search keeps a frame number for
constexpr double stepsPerSecond = 1000.0 / 15.0; // the game's fixed step of 15 ms
constexpr auto progressEvery = std::chrono::seconds(1);

struct Band {
    int32_t firstRow;
    int32_t lastRow;
};

struct Options {
    std::string level;
    int32_t startColumn = static_cast<int32_t>(GamePlay::startX);
    int32_t startRow = static_cast<int32_t>(GamePlay::startY);
    int32_t pressGap = defaultPressGap;
    int32_t threads = 0;
    std::string picture;
    std::string route;
    std::vector<Band> bands;
    bool help = false;
};

const char* const usage =
    "usage: levelcheck LEVEL.png [--start X Y] [--press-gap N] [--picture OUT.png] [--route OUT.txt]\n"
    "                  [--band FIRST LAST]... [--threads N]\n"
    "Searches what a player can do on a level from the start cell (default 60 984): any direction held\n"
    "or released on any frame, a jump press at most once every N frames (default 8). Reports the cells\n"
    "reached, the win zones and the fastest win. Exit status: 0 a win exists, 1 none, 2 unusable input.\n";

bool parseNumber(const std::string& text, int32_t& value)
{
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && !text.empty();
}

// False with one line in `problem` when the arguments cannot be used.
bool parse(const std::vector<std::string>& arguments, Options& options, std::string& problem)
{
    const auto number = [&](std::size_t& at, const char* name, int32_t& value) {
        if (at + 1 >= arguments.size() || !parseNumber(arguments[at + 1], value)) {
            problem = std::string(name) + " needs a whole number" +
                      (at + 1 < arguments.size() ? ", not \"" + arguments[at + 1] + "\"" : "");
            return false;
        }
        ++at;
        return true;
    };
    const auto text = [&](std::size_t& at, const char* name, std::string& value) {
        if (at + 1 >= arguments.size() || arguments[at + 1].empty()) {
            problem = std::string(name) + " needs a file name";
            return false;
        }
        value = arguments[++at];
        return true;
    };
    for (std::size_t at = 0; at < arguments.size(); ++at) {
        const std::string& word = arguments[at];
        if (word == "--help" || word == "-h") {
            options.help = true;
        } else if (word == "--start") {
            if (!number(at, "--start", options.startColumn) || !number(at, "--start", options.startRow)) {
                return false;
            }
        } else if (word == "--press-gap") {
            if (!number(at, "--press-gap", options.pressGap)) {
                return false;
            }
            if (options.pressGap < 1 || options.pressGap > largestPressGap) {
                problem = "--press-gap must lie in 1.." + std::to_string(largestPressGap) + " frames";
                return false;
            }
        } else if (word == "--threads") {
            if (!number(at, "--threads", options.threads)) {
                return false;
            }
            if (options.threads < 1 || options.threads > largestThreads) {
                problem = "--threads must lie in 1.." + std::to_string(largestThreads);
                return false;
            }
        } else if (word == "--picture") {
            if (!text(at, "--picture", options.picture)) {
                return false;
            }
        } else if (word == "--route") {
            if (!text(at, "--route", options.route)) {
                return false;
            }
        } else if (word == "--band") {
            Band band{};
            if (!number(at, "--band", band.firstRow) || !number(at, "--band", band.lastRow)) {
                return false;
            }
            if (band.firstRow > band.lastRow) {
                problem = "--band wants the first row, then the last";
                return false;
            }
            options.bands.push_back(band);
        } else if (word.size() > 1 && word[0] == '-') {
            problem = "unknown option " + word;
            return false;
        } else if (options.level.empty()) {
            options.level = word;
        } else {
            problem = "one level picture at a time (got \"" + options.level + "\" and \"" + word + "\")";
            return false;
        }
    }
    if (options.level.empty() && !options.help) {
        problem = "which level picture?";
        return false;
    }
    return true;
}

std::string cellText(int32_t column, int32_t row)
{
    std::ostringstream text;
    text << '(' << column << ", " << row << ')';
    return text.str();
}

// Cut, not rounded, to thousandths: a speed short of the mark never reads as it.
std::string speedText(float speed)
{
    std::ostringstream text;
    text << std::fixed << std::setprecision(3) << std::floor(speed * 1000.0f) / 1000.0f;
    return text.str();
}

// The part of a search result that lies in some rows.
struct Summary {
    int64_t reached = 0;
    int32_t firstFrame = -1;
    int32_t firstRow = -1;
    int32_t lastRow = -1;
    int64_t winCells = 0;
    int32_t lowestWinColumn = -1;
    int32_t lowestWinRow = -1;
    int32_t highestWinRow = -1;
    float topSpeed = 0.0f; // flight speed short of a win
    int32_t topColumn = -1;
    int32_t topRow = -1;
};

Summary summarise(const RouteSearch::Result& result, int32_t firstRow, int32_t lastRow)
{
    Summary summary;
    firstRow = std::max(firstRow, 0);
    lastRow = std::min(lastRow, result.height - 1);
    for (int32_t row = firstRow; row <= lastRow; ++row) {
        for (int32_t column = 0; column < result.width; ++column) {
            const std::size_t index = static_cast<std::size_t>(row) * static_cast<std::size_t>(result.width) +
                                      static_cast<std::size_t>(column);
            const int32_t frame = result.firstFrame[index];
            if (frame < 0) {
                continue;
            }
            ++summary.reached;
            if (summary.firstFrame < 0 || frame < summary.firstFrame) {
                summary.firstFrame = frame;
            }
            summary.firstRow = summary.firstRow < 0 ? row : summary.firstRow;
            summary.lastRow = row;
            if (result.winZone[index] != 0) {
                ++summary.winCells;
                summary.highestWinRow = summary.highestWinRow < 0 ? row : summary.highestWinRow;
                summary.lowestWinColumn = column;
                summary.lowestWinRow = row;
            }
            if (result.topFlightSpeed[index] > summary.topSpeed) {
                summary.topSpeed = result.topFlightSpeed[index];
                summary.topColumn = column;
                summary.topRow = row;
            }
        }
    }
    return summary;
}

std::string kickText(const Summary& summary)
{
    if (summary.topColumn < 0) {
        return "no wall kick";
    }
    return "fastest kick short of a win " + speedText(summary.topSpeed) + " cells per frame at " +
           cellText(summary.topColumn, summary.topRow);
}

void report(std::ostream& out, const Options& options, const RouteSearch::Result& result)
{
    const Summary all = summarise(result, 0, result.height - 1);
    out << "levelcheck: reached: " << all.reached << " cells, rows " << all.firstRow << " to " << all.lastRow << '\n';
    if (all.winCells == 0) {
        out << "levelcheck: win zones: none\n";
    } else {
        out << "levelcheck: win zones: " << all.winCells << " cells in rows " << all.highestWinRow << " to "
            << all.lowestWinRow << ", the lowest at " << cellText(all.lowestWinColumn, all.lowestWinRow) << '\n';
    }
    if (result.fastestWin.empty()) {
        out << "levelcheck: fastest win: none\n";
    } else {
        const auto frames = static_cast<int64_t>(result.fastestWin.size());
        std::ostringstream seconds;
        seconds << std::fixed << std::setprecision(2) << static_cast<double>(frames) / stepsPerSecond;
        RunClock clock;
        for (int64_t frame = 0; frame < frames; ++frame) {
            clock.tick();
        }
        out << "levelcheck: fastest win: " << frames << " frames, " << seconds.str()
            << " s at 66 2/3 steps a second (run time " << clock.text() << "), "
            << routescript::presses(result.fastestWin) << " presses, at " << cellText(result.winColumn, result.winRow)
            << '\n';
    }
    out << "levelcheck: " << kickText(all) << '\n';
    for (const Band& band : options.bands) {
        const Summary part = summarise(result, band.firstRow, band.lastRow);
        out << "levelcheck: rows " << band.firstRow << " to " << band.lastRow << ": ";
        if (part.reached == 0) {
            out << "not reached\n";
            continue;
        }
        out << part.reached << " cells reached, the first on frame " << part.firstFrame << "; win zones: ";
        if (part.winCells == 0) {
            out << "none";
        } else {
            out << part.winCells << " cells, the lowest at " << cellText(part.lowestWinColumn, part.lowestWinRow);
        }
        out << "; " << kickText(part) << '\n';
    }
    out << "levelcheck: searched " << result.states << " states over " << result.frames << " frames";
    if (result.complete) {
        out << ", to the end\n";
    } else {
        out << "; stopped at the search's limit, so a win or a cell may be missing above\n";
    }
}

bool writeOutputs(std::ostream& out, const Options& options, const LevelGrid& grid, const RouteSearch::Result& result)
{
    bool written = true;
    std::vector<PilotBody> path;
    if (!options.picture.empty()) {
        path = routescript::replay(grid, static_cast<float>(options.startColumn), static_cast<float>(options.startRow),
                                   result.fastestWin);
        const RoutePicture picture = RoutePicture::draw(grid, result, static_cast<float>(options.startColumn),
                                                        static_cast<float>(options.startRow), path);
        const std::string bytes = pngfile::encodeRgb(picture.width, picture.height, picture.rgb);
        std::string error = bytes.empty() ? "could not encode the picture" : "";
        if (bytes.empty() || !outputfile::write(options.picture, bytes, error)) {
            out << "levelcheck: could not write the picture " << options.picture << ": " << error << '\n';
            written = false;
        } else {
            out << "levelcheck: picture written to " << options.picture << " (" << picture.scale
                << " pixels a cell)\n";
        }
    }
    if (!options.route.empty()) {
        if (result.fastestWin.empty()) {
            out << "levelcheck: no route written to " << options.route << ": there is no win\n";
        } else {
            std::ostringstream text;
            routescript::write(text, result.fastestWin);
            std::string error;
            if (!outputfile::write(options.route, text.str(), error)) {
                out << "levelcheck: could not write the route " << options.route << ": " << error << '\n';
                written = false;
            } else {
                out << "levelcheck: route written to " << options.route << " (" << result.fastestWin.size()
                    << " lines, one a frame)\n";
            }
        }
    }
    return written;
}

} // namespace

int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& progress)
{
    Options options;
    std::string problem;
    if (!parse(arguments, options, problem)) {
        out << "levelcheck: " << problem << " (levelcheck --help shows how to call it)\n";
        return exitUnusable;
    }
    if (options.help) {
        out << usage;
        return exitWin;
    }
    for (const std::string* output : {&options.picture, &options.route}) {
        if (!output->empty() && outputfile::sameFile(*output, options.level)) {
            out << "levelcheck: " << *output << " is the level itself; name another file to write\n";
            return exitUnusable;
        }
    }

    // The game's own loader, with the game's own message on failure.
    LevelGrid grid;
    out.flush();
    const bool loaded = grid.load(FilePath(options.level));
    std::fflush(stdout);
    if (!loaded) {
        out << "levelcheck: " << options.level
            << " does not load as a level: it must be a truecolour PNG or JPEG picture\n";
        return exitUnusable;
    }
    out << "levelcheck: " << options.level << ": a level of " << grid.getWidth() << " x " << grid.getHeight()
        << " cells\n";
    if (int64_t{grid.getWidth()} * grid.getHeight() > largestLevelCells) {
        out << "levelcheck: the level has more than " << largestLevelCells << " cells, more than it can search\n";
        return exitUnusable;
    }
    const std::string start = "start cell " + cellText(options.startColumn, options.startRow);
    // The movement looks at the pilot's cell and its four neighbours.
    if (options.startColumn < 1 || options.startRow < 1 || options.startColumn > grid.getWidth() - 2 ||
        options.startRow > grid.getHeight() - 2) {
        out << "levelcheck: " << start << ": it and its four neighbours must lie inside the picture, which takes at "
            << "least " << std::max(options.startColumn + 2, 3) << " x " << std::max(options.startRow + 2, 3)
            << " cells\n";
        return exitUnusable;
    }
    out << "levelcheck: " << start << ": inside the picture with its four neighbours\n";
    const uint8_t startCell = grid.cell(options.startColumn, options.startRow);
    if (startCell != LevelGrid::openCell) {
        out << "levelcheck: " << start << ": solid (red " << static_cast<int>(startCell)
            << "); the pilot must start in open space (red 255)\n";
        return exitUnusable;
    }
    out << "levelcheck: " << start << ": open\n";
    out << "levelcheck: search: any direction held or released on any frame, a jump press at most every "
        << options.pressGap << " frames\n";
    out.flush();

    RouteSearch::Options search;
    search.startColumn = options.startColumn;
    search.startRow = options.startRow;
    search.pressGap = options.pressGap;
    search.threads = options.threads;
    auto lastReport = std::chrono::steady_clock::now();
    bool reported = false;
    const RouteSearch::Result result = RouteSearch::run(grid, search, [&](const RouteSearch::Progress& now) {
        const auto time = std::chrono::steady_clock::now();
        if (time - lastReport < progressEvery) {
            return;
        }
        lastReport = time;
        reported = true;
        progress << "levelcheck: frame " << now.frame << ", " << now.states << " states, " << now.cellsReached
                 << " cells reached, fastest win so far: "
                 << (now.firstWinFrame < 0 ? std::string("none") : std::to_string(now.firstWinFrame) + " frames")
                 << std::endl;
    });
    if (reported) {
        progress << "levelcheck: search done after " << result.frames << " frames" << std::endl;
    }

    report(out, options, result);
    const bool written = writeOutputs(out, options, grid, result);
    out.flush();
    if (!written) {
        return exitUnusable;
    }
    return result.fastestWin.empty() ? exitNoWin : exitWin;
}

} // namespace levelcheck
