#include "LevelCheck.h"

#include "Forgiveness.h"
#include "OutputFile.h"
#include "RoutePicture.h"
#include "game/RouteScript.h"
#include "RouteSearch.h"
#include "SectionMap.h"

#include "base/NewFile.h"
#include "base/PngWriter.h"
#include "base/RegularFile.h"
#include "base/TextNumber.h"

#include "game/GamePlay.h"
#include "game/LevelGrid.h"
#include "game/PilotBody.h"
#include "game/RunClock.h"
#include "base/FilePath.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <charconv>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iomanip>
#include <new>
#include <sstream>

namespace levelcheck {

namespace {

constexpr int32_t defaultPressGap = 8;       // frames: about eight presses a second
constexpr int32_t largestPressGap = 500;     // frames
constexpr int32_t largestThreads = 64;
constexpr int64_t largestLevelCells = 64000000; // cells the search keeps a frame number for
constexpr int32_t defaultMemory = 1536;      // MiB the search may hold: a whole search of the play level needs about 1200
constexpr int32_t largestMemory = 1 << 20;   // MiB (1 TiB)
constexpr int64_t bytesPerMiB = int64_t{1} << 20;
constexpr double stepsPerSecond = 1000.0 / 15.0; // the game's fixed step of 15 ms
constexpr auto progressEvery = std::chrono::seconds(1);
constexpr int32_t curveGaps[] = {8, 12, 16, 24}; // frames between presses: eight a second down to under three
// Forgiveness: how many attempts a section, and how far off a press may land.
constexpr int32_t forgivenessAttempts = 100;
constexpr int32_t narrowSpread = 2; // steps early or late, about 30 ms
constexpr int32_t wideSpread = 4;   // steps early or late, about 60 ms
constexpr uint64_t forgivenessSeed = 88; // fixed, so the figures repeat

struct Band {
    int32_t firstRow;
    int32_t lastRow;
    std::string name; // from a text map's section line; empty for --band
};

struct Options {
    std::string level;
    int32_t startColumn = static_cast<int32_t>(GamePlay::startX);
    int32_t startRow = static_cast<int32_t>(GamePlay::startY);
    int32_t pressGap = defaultPressGap;
    int32_t threads = 0;
    int32_t memory = defaultMemory;
    std::string picture;
    std::string route;
    std::vector<Band> bands;
    std::string sections;
    bool curve = false;
    bool pressGapGiven = false;
    bool help = false;
};

const char* const usage =
    "usage: levelcheck LEVEL.png [--start X Y] [--press-gap N] [--picture OUT.png] [--route OUT.txt]\n"
    "                  [--band FIRST LAST]... [--sections MAP.txt] [--curve] [--threads N] [--memory MiB]\n"
    "Searches what a player can do on a level from the start cell (default 60 984): any direction held\n"
    "or released on any frame, a jump press at most once every N frames (default 8). Reports the cells\n"
    "reached, the win zones and the fastest win. The search holds at most --memory MiB (default 1536).\n"
    "--curve searches at press gaps 8, 12, 16 and 24 and tables each section's fastest time through.\n"
    "Exit status: 0 a win exists (with --curve: at gap 8), 1 none, 2 unusable input.\n";

bool parseNumber(const std::string& text, int32_t& value)
{
    const std::optional<int> number = wholeInteger(text);
    if (number)
        value = *number;
    return number.has_value();
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
            options.pressGapGiven = true;
            if (options.pressGap < 1 || options.pressGap > largestPressGap) {
                problem = "--press-gap must lie in 1.." + std::to_string(largestPressGap) + " frames, not " + arguments[at];
                return false;
            }
        } else if (word == "--threads") {
            if (!number(at, "--threads", options.threads)) {
                return false;
            }
            if (options.threads < 1 || options.threads > largestThreads) {
                problem = "--threads must lie in 1.." + std::to_string(largestThreads) + ", not " + arguments[at];
                return false;
            }
        } else if (word == "--memory") {
            if (!number(at, "--memory", options.memory)) {
                return false;
            }
            if (options.memory < 1 || options.memory > largestMemory) {
                problem = "--memory must lie in 1.." + std::to_string(largestMemory) + " MiB, not " + arguments[at];
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
        } else if (word == "--sections") {
            if (!text(at, "--sections", options.sections)) {
                return false;
            }
        } else if (word == "--curve") {
            options.curve = true;
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
    if (options.curve && (options.pressGapGiven || !options.picture.empty() || !options.route.empty())) {
        problem = "--curve searches at its own press gaps and writes no picture or route";
        return false;
    }
    if (options.curve && options.sections.empty() && options.bands.empty()) {
        problem = "--curve needs the sections: --sections MAP.txt or --band FIRST LAST";
        return false;
    }
    if (!options.picture.empty() && !options.route.empty() && platform::sameFile(options.picture, options.route)) {
        problem = "--picture and --route name the same file, " + options.route + "; name two";
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

// The sections a text map marks, added to the bands. False with one line in
// `problem`.
bool readSections(const std::string& path, std::vector<Band>& bands, std::string& problem)
{
    std::vector<MapSection> sections;
    if (!readSectionMap(path, sections, problem))
        return false;
    for (const MapSection& section : sections) {
        Band band{};
        band.firstRow = section.firstRow;
        band.lastRow = section.lastRow;
        band.name = section.name;
        bands.push_back(band);
    }
    return true;
}

std::string secondsText(int64_t frames)
{
    std::ostringstream text;
    text << frames << " (" << std::fixed << std::setprecision(2) << static_cast<double>(frames) / stepsPerSecond
         << " s)";
    return text.str();
}

std::string bandName(const Band& band)
{
    return band.name.empty() ? "rows " + std::to_string(band.firstRow) + "-" + std::to_string(band.lastRow) : band.name;
}

// The first frame the pilot is in rows first..last, -1 never.
int32_t firstFrameIn(const RouteSearch::Result& result, int32_t firstRow, int32_t lastRow)
{
    int32_t first = -1;
    for (int32_t row = std::max(firstRow, 0); row <= std::min(lastRow, result.height - 1); ++row) {
        for (int32_t column = 0; column < result.width; ++column) {
            const int32_t frame = result.firstFrame[static_cast<std::size_t>(row) * static_cast<std::size_t>(result.width) +
                                                    static_cast<std::size_t>(column)];
            if (frame >= 0 && (first < 0 || frame < first)) {
                first = frame;
            }
        }
    }
    return first;
}

// One table cell: how long the fastest player at this gap takes from its
// first frame in the band to its first frame above it (or to the win, when
// the win lies in the band), or the highest row it reaches there.
std::string curveCell(const RouteSearch::Result& result, const Band& band, int32_t startRow)
{
    if (band.firstRow > startRow) {
        return "below the start";
    }
    const int32_t entry = firstFrameIn(result, band.firstRow, band.lastRow);
    if (entry < 0) {
        return "-";
    }
    const bool winHere = result.winRow >= band.firstRow && result.winRow <= band.lastRow;
    if (winHere) {
        return secondsText(static_cast<int64_t>(result.fastestWin.size()) - entry) + ", won";
    }
    const int32_t exit = firstFrameIn(result, 0, band.firstRow - 1);
    if (exit >= 0) {
        return secondsText(exit - entry);
    }
    const Summary part = summarise(result, band.firstRow, band.lastRow);
    return "stuck at row " + std::to_string(part.firstRow);
}

// Where the climb ends at one gap: its win, or the highest row reached.
std::string climbCell(const RouteSearch::Result& result, const std::vector<Band>& bands)
{
    if (!result.fastestWin.empty()) {
        return "won in " + secondsText(static_cast<int64_t>(result.fastestWin.size()));
    }
    const Summary all = summarise(result, 0, result.height - 1);
    std::string text = "no win; highest row " + std::to_string(all.firstRow);
    for (const Band& band : bands) {
        if (all.firstRow >= band.firstRow && all.firstRow <= band.lastRow) {
            text += " (" + bandName(band) + ")";
            break;
        }
    }
    return text;
}

void reportCurve(std::ostream& out, const Options& options, const std::vector<RouteSearch::Result>& results)
{
    std::vector<Band> climb = options.bands;
    // The order of the climb: from the bottom up.
    std::stable_sort(climb.begin(), climb.end(), [](const Band& a, const Band& b) { return a.firstRow > b.firstRow; });
    out << "levelcheck: frames through each section at each press gap (seconds at 66 2/3 steps a second), from its "
           "first frame in the section to its first frame above it or its win:\n";
    out << "| section | rows |";
    for (const int32_t gap : curveGaps) {
        out << " gap " << gap << " |";
    }
    out << "\n|---|---|";
    for (std::size_t i = 0; i < results.size(); ++i) {
        out << "---|";
    }
    out << '\n';
    for (const Band& band : climb) {
        out << "| " << bandName(band) << " | " << band.firstRow << "-" << band.lastRow << " |";
        for (const RouteSearch::Result& result : results) {
            out << ' ' << curveCell(result, band, options.startRow) << " |";
        }
        out << '\n';
    }
    out << "| the whole climb | " << climb.back().firstRow << "-" << climb.front().lastRow << " |";
    for (const RouteSearch::Result& result : results) {
        out << ' ' << climbCell(result, climb) << " |";
    }
    out << '\n';
}

// Percent, cut rather than rounded, and the counts it comes from.
std::string shareText(const forgiveness::Result& measured)
{
    return std::to_string(measured.passed * 100 / std::max(measured.attempts, 1)) + " % (" +
           std::to_string(measured.passed) + " of " + std::to_string(measured.attempts) + ")";
}

// Each section from where the fastest win enters it, played by attempts
// whose presses land off the beat.
void reportForgiveness(std::ostream& out, const Options& options, const LevelGrid& grid,
                       const RouteSearch::Result& result, int32_t pressGap)
{
    std::vector<Band> climb = options.bands;
    std::stable_sort(climb.begin(), climb.end(), [](const Band& a, const Band& b) { return a.firstRow > b.firstRow; });
    out << "levelcheck: forgiveness: the share of " << forgivenessAttempts
        << " attempts a section that get out of it (above it, or the win) when every press lands up to "
        << narrowSpread << " or " << wideSpread << " steps early or late, planning again after each press, from "
        << "where the fastest win at press gap " << pressGap << " enters it:\n";
    out << "| section | rows | " << narrowSpread << " steps (about 30 ms) | " << wideSpread
        << " steps (about 60 ms) |\n|---|---|---|---|\n";
    const auto startX = static_cast<float>(options.startColumn);
    const auto startY = static_cast<float>(options.startRow);
    const std::vector<PilotBody> path = routescript::replay(grid, startX, startY, result.fastestWin);
    for (const Band& band : climb) {
        out << "| " << bandName(band) << " | " << band.firstRow << "-" << band.lastRow << " |";
        if (band.firstRow > options.startRow) {
            out << " below the start | below the start |\n";
            continue;
        }
        // The pilot's row in state `s` of the route: the start, then after each step.
        const auto rowOf = [&](std::size_t s) { return static_cast<int32_t>(s == 0 ? startY : path[s - 1].y); };
        std::size_t entry = 0;
        while (entry <= path.size() && rowOf(entry) > band.lastRow) {
            ++entry;
        }
        if (result.fastestWin.empty() || entry > path.size()) {
            out << " no win to start from | no win to start from |\n";
            continue;
        }
        forgiveness::Stretch stretch;
        stretch.start = entry == 0 ? PilotBody(startX, startY) : path[entry - 1];
        stretch.framesSincePress = pressGap;
        for (std::size_t step = entry; step > 0; --step) {
            if (result.fastestWin[step - 1].jump) { // made on step `step - 1`, so 1 in state `step`
                stretch.framesSincePress = std::min(static_cast<int32_t>(entry - step + 1), pressGap);
                break;
            }
        }
        stretch.exitRow = band.firstRow;
        stretch.needsWin = result.winRow >= band.firstRow && result.winRow <= band.lastRow;
        for (const int32_t spread : {narrowSpread, wideSpread}) {
            forgiveness::Options measure;
            measure.attempts = forgivenessAttempts;
            measure.spread = spread;
            measure.pressGap = pressGap;
            measure.seed = forgivenessSeed;
            out << ' ' << shareText(forgiveness::measure(grid, stretch, measure)) << " |";
        }
        out << '\n';
        out.flush();
    }
}

std::string searchedText(const Options& options, const RouteSearch::Result& result);

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
    out << "levelcheck: " << searchedText(options, result) << '\n';
}

// How much was searched, and what stopped it short of the end.
std::string searchedText(const Options& options, const RouteSearch::Result& result)
{
    std::ostringstream out;
    out << "searched " << result.states << " states over " << result.frames << " frames (--memory "
        << (result.neededBytes + bytesPerMiB - 1) / bytesPerMiB << " would do)";
    switch (result.stoppedBy) {
    case RouteSearch::Stop::none:
        out << ", to the end";
        return out.str();
    case RouteSearch::Stop::states:
        out << "; stopped at its limit of " << RouteSearch::Options().stateLimit << " states";
        break;
    case RouteSearch::Stop::frames:
        out << "; stopped at its limit of " << RouteSearch::Options().frameLimit << " frames";
        break;
    case RouteSearch::Stop::memory:
        out << "; stopped where the next frame could take it beyond --memory " << options.memory << " MiB";
        break;
    case RouteSearch::Stop::outOfMemory:
        out << "; stopped where the system had no more memory to give";
        break;
    }
    out << ", so a win or a cell may be missing above";
    return out.str();
}

// A whole file or nothing, through the game's own writer; what is at the
// path already stays as it was when anything fails.
bool writeWhole(const std::string& path, const std::string& bytes, std::string& error)
{
    const int failure = platform::replaceFileWhole(path, {bytes});
    if (failure != 0)
        error = failure == EINVAL ? "not a regular file" : std::strerror(failure);
    return failure == 0;
}

bool writeOutputs(std::ostream& out, const Options& options, const LevelGrid& grid, const RouteSearch::Result& result)
{
    bool written = true;
    std::vector<PilotBody> path;
    if (!options.picture.empty()) {
        path = routescript::replay(grid, static_cast<float>(options.startColumn), static_cast<float>(options.startRow),
                                   result.fastestWin);
        std::string bytes;
        int32_t scale = 0;
        std::string error;
        try {
            const RoutePicture picture = RoutePicture::draw(grid, result, static_cast<float>(options.startColumn),
                                                            static_cast<float>(options.startRow), path);
            bytes = pngwriter::encode(picture.width, picture.height, pngwriter::rgb, 8, picture.rgb);
            scale = picture.scale;
            error = bytes.empty() ? "could not encode the picture" : "";
        } catch (const std::bad_alloc&) {
            error = "not enough memory to draw it";
        }
        if (bytes.empty() || !writeWhole(options.picture, bytes, error)) {
            out << "levelcheck: could not write the picture " << options.picture << ": " << error << '\n';
            written = false;
        } else {
            out << "levelcheck: picture written to " << options.picture << " (" << scale
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
            if (!writeWhole(options.route, text.str(), error)) {
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
    // Under a file-size limit a write fails with EFBIG, which is reported,
    // instead of ending the program half way through a file.
    std::signal(SIGXFSZ, SIG_IGN);
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
    if (!options.sections.empty() && !readSections(options.sections, options.bands, problem)) {
        out << "levelcheck: " << problem << '\n';
        return exitUnusable;
    }
    // The outputs are checked now, not after a search of a minute.
    for (const auto& [output, what] : {std::pair{&options.picture, "picture"}, std::pair{&options.route, "route"}}) {
        if (output->empty()) {
            continue;
        }
        if (platform::sameFile(*output, options.level)) {
            out << "levelcheck: " << *output << " is the level itself; name another file to write\n";
            return exitUnusable;
        }
        std::string error;
        if (!outputfile::writable(*output, error)) {
            out << "levelcheck: could not write the " << what << " " << *output << ": " << error << '\n';
            return exitUnusable;
        }
    }

    // The game's own loader, with the game's own message on failure.
    LevelGrid grid;
    out.flush();
    const bool loaded = grid.load(FilePath(options.level));
    std::fflush(stdout);
    if (!loaded) {
        out << "levelcheck: " << options.level << " does not load as a level: " << grid.refusal() << '\n';
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
            << "least " << std::max(int64_t{options.startColumn} + 2, int64_t{3}) << " x "
            << std::max(int64_t{options.startRow} + 2, int64_t{3})
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
    if (options.curve) {
        out << "levelcheck: search: any direction held or released on any frame, a jump press at most every 8, 12, "
               "16 and 24 frames in turn\n";
    } else {
        out << "levelcheck: search: any direction held or released on any frame, a jump press at most every "
            << options.pressGap << " frames\n";
    }
    out.flush();

    const auto searchAt = [&](int32_t pressGap, RouteSearch::Result& result) {
        RouteSearch::Options search;
        search.startColumn = options.startColumn;
        search.startRow = options.startRow;
        search.pressGap = pressGap;
        search.threads = options.threads;
        search.memoryLimit = int64_t{options.memory} * bytesPerMiB;
        auto lastReport = std::chrono::steady_clock::now();
        bool reported = false;
        try {
            result = RouteSearch::run(grid, search, [&](const RouteSearch::Progress& now) {
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
        } catch (const std::bad_alloc&) {
            // Only the per-cell tables come before the search's own guard.
            out << "levelcheck: not enough memory to begin a search of " << grid.getWidth() << " x " << grid.getHeight()
                << " cells\n";
            return false;
        }
        if (reported) {
            progress << "levelcheck: search done after " << result.frames << " frames" << std::endl;
        }
        return true;
    };

    if (options.curve) {
        // One whole search a gap; every section's figures come from its
        // first-reach frames.
        std::vector<RouteSearch::Result> results;
        for (const int32_t gap : curveGaps) {
            RouteSearch::Result result;
            if (!searchAt(gap, result)) {
                return exitUnusable;
            }
            out << "levelcheck: press gap " << gap << ": " << climbCell(result, options.bands) << "; "
                << searchedText(options, result) << '\n';
            out.flush();
            results.push_back(std::move(result));
        }
        reportCurve(out, options, results);
        reportForgiveness(out, options, grid, results.front(), curveGaps[0]);
        out.flush();
        return results.front().fastestWin.empty() ? exitNoWin : exitWin;
    }

    RouteSearch::Result result;
    if (!searchAt(options.pressGap, result)) {
        return exitUnusable;
    }
    report(out, options, result);
    if (!options.sections.empty()) {
        reportForgiveness(out, options, grid, result, options.pressGap);
    }
    const bool written = writeOutputs(out, options, grid, result);
    out.flush();
    if (!written) {
        return exitUnusable;
    }
    return result.fastestWin.empty() ? exitNoWin : exitWin;
}

} // namespace levelcheck
