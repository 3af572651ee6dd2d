// Replay files: what is read, what is refused and why, and which run is kept.
#include "../app/TempFolder.h"
#include "GridMaps.h"
#include "base/QuotedBytes.h"
#include "game/ReplayShelf.h"
#include "game/RunTape.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <tuple>
#include <sys/stat.h>

TEST(ReplayFile, ReadsRoutesAndReplaysWithTheirAssistsAndSaysWhyItRefusesTheRest)
{
    const std::string header = "vantorrel-replay 1 00c0ffee12345678 ";
    const std::string want = "line 1: want \"vantorrel-replay 1 <level hash> <steps>\", got ";
    const std::pair<std::string, std::string> cases[] = { // text, error ("" if read)
        {"---\nL-J\n", ""},
        {header + "3\r\n-R-\r\n--J\r\nLRJ\r\n", ""},
        {header + "99999999999\n---\n", "the header says 99999999999 steps, the file has 1"},
        {"vantorrel-replay 3 00c0ffee12345678 1\n---\n", "format version 3, this game reads 1 and 2"},
        {"vantorrel-replay 2 00c0ffee12345678 1 75 0\n", "line 1: want \"vantorrel-replay 2 <level hash> <steps> <game "
                                                        "speed> <kick buffer>\", got \"vantorrel-replay 2 00c0ffee12345678 1 75 0\""},
        {"vantorrel-replay 1 00C0FFEE12345678 1\n", want + "\"vantorrel-replay 1 00C0FFEE12345678 1\""},
        {header + "2\n---\nL-X\n", "line 3: want three characters [L-][R-][J-], got \"L-X\""},
        {header + "0\n", "no steps"},
        {"\x1b]0;owned\x07\n---\n", "line 1: want three characters [L-][R-][J-], got \"\\x1b]0;owned\\x07\""},
        {"vantorrel-replay 1 \x1b[31m 1\n", want + "\"vantorrel-replay 1 \\x1b[31m 1\""},
    };
    for (const auto& [text, error] : cases) {
        std::string said;
        EXPECT_EQ(replayfile::parse(text, said).has_value(), error.empty()) << text;
        EXPECT_EQ(said, error) << text;
    }
    for (const auto& [text, assists] : {std::pair<std::string, Assists>{header + "1\n---\n", {}}, // made before assists
                                        {"vantorrel-replay 2 00c0ffee12345678 1 70 1\n---\n", {70, true}}}) {
        std::string said;
        EXPECT_EQ(replayfile::parse(text, said)->assists, assists) << text;
        EXPECT_EQ(replayfile::parse(replayfile::text(*replayfile::parse(text, said)), said)->assists, assists) << text;
    }
    TempFolder folder;
    ASSERT_EQ(mkfifo(folder.file("fifo").c_str(), 0600), 0);
    folder.write("big", std::string(replayfile::largestFile + 1, '-'));
    for (const auto& [name, error] : {std::pair{"fifo", "not a regular file"}, {"big", "larger than 4194304 bytes"}}) {
        std::string said;
        EXPECT_FALSE(replayfile::load(folder.file(name), said));
        EXPECT_EQ(said, error);
    }
}

TEST(ReplayShelf, KeepsEveryWinAsTheLastAndOnlyAFasterOneOfItsOwnKindAsTheBest)
{
    TempFolder folder;
    const ScopedEnvironment home("XDG_DATA_HOME", (folder.path() + "/data").c_str()); // not there yet
    const ReplayShelf shelf("00c0ffee12345678", levelfiles::Kind::unassisted);
    EXPECT_EQ(shelf.lastPath(), folder.path() + "/data/vantorrel/00c0ffee12345678.last.replay");
    std::ostringstream out;
    for (const std::size_t steps : {10u, 12u, 10u, 8u}) { // the best falls to 8 and never rises
        shelf.keep(Route(steps), {}, out);
        std::string error;
        EXPECT_EQ(replayfile::load(shelf.lastPath(), error)->steps.size(), steps);
        EXPECT_EQ(shelf.best(out)->steps.size(), steps == 8u ? 8u : 10u);
    }
    const ReplayShelf helped("00c0ffee12345678", levelfiles::Kind::assisted);
    helped.keep(Route(5), {70, true}, out); // faster, but a best of its own kind only
    std::string error;
    EXPECT_EQ(replayfile::load(shelf.lastPath(), error)->assists, (Assists{70, true}));
    EXPECT_EQ(shelf.best(out)->steps.size(), 8u);
    EXPECT_EQ(helped.best(out)->steps.size(), 5u);
    std::filesystem::copy_file(helped.bestPath(), shelf.bestPath(), std::filesystem::copy_options::overwrite_existing);
    EXPECT_FALSE(shelf.best(out)); // an assisted run is never the unassisted ghost
    shelf.keep(Route(replayfile::largestFile / 4), {}, out); // one byte too long with the header
    EXPECT_EQ(out.str(), "ReplayShelf: Not using " + shelf.bestPath() + ": made with assists\n" +
                             "ReplayShelf: Not keeping a run of 1048576 steps: longer than a replay can be\n");
}

TEST(QuotedBytes, ShowsEveryByteATerminalWouldActOnAsAnEscape)
{
    const std::pair<std::string, std::string> cases[] = {
        {"say \"hi\" \\ ok", "\"say \\\"hi\\\" \\\\ ok\""},
        {"\x1b]0;t\x07\r\n\t", "\"\\x1b]0;t\\x07\\x0d\\x0a\\x09\""},
        {std::string("\0\x7f\x9b\xc3\xa9", 5), "\"\\x00\\x7f\\x9b\\xc3\\xa9\""},
        {std::string(41, 'L'), "\"" + std::string(40, 'L') + "\"..."},
    };
    for (const auto& [bytes, shown] : cases)
        EXPECT_EQ(quotedBytes(bytes), shown) << shown;
}

TEST(ReplayShelf, SaysWhatStandsInTheWayAndWritesThroughTheLinksItFinds)
{
    TempFolder folder;
    const ScopedEnvironment home("XDG_DATA_HOME", (folder.path() + "/data").c_str());
    const ReplayShelf shelf("00c0ffee12345678", levelfiles::Kind::unassisted);
    std::ostringstream out;
    shelf.keep(Route(5), {}, out); // makes the folder
    std::filesystem::remove(shelf.lastPath());
    std::filesystem::create_directory(shelf.lastPath());
    std::filesystem::rename(shelf.bestPath(), folder.file("mine.replay"));
    std::filesystem::create_symlink(folder.file("mine.replay"), shelf.bestPath());
    shelf.keep(Route(3), {}, out);
    EXPECT_EQ(out.str(), "ReplayShelf: Could not write " + shelf.lastPath() + ": a folder is in its place\n");
    EXPECT_TRUE(std::filesystem::is_symlink(shelf.bestPath()));
    std::string error;
    EXPECT_EQ(replayfile::load(folder.file("mine.replay"), error)->steps.size(), 3u) << error;
}

TEST(RunTape, AKickBufferedRunAtSeventyPercentPlaysBackFromItsFileToTheSameWinningStep)
{
    // Presses three steps apart up a shaft: without the buffer every other
    // one falls in a kick's recovery and is dropped; with it each waits.
    std::vector<std::string> rows(400, "#.#");
    rows.push_back("###");
    const auto run = [grid = gridFromMap(rows)](RunTape& tape, const Assists& player, bool press) {
        PilotBody body(1.0f, 399.0f);
        int step = 0;
        for (; step < 600 && body.flightSpeed() < PilotBody::winningFlightSpeed; ++step) {
            body.jumpRequested = press && step % 3 == 0;
            body.update(tape.next(PilotInput{}, body, player), grid);
        }
        return std::tuple{step, body.x, body.y, body.vy};
    };
    RunTape live;
    const auto won = run(live, Assists{70, true}, true);
    EXPECT_LT(std::get<0>(won), 600);
    std::string error;
    const std::optional<Replay> kept =
        replayfile::parse(replayfile::text(Replay{"00c0ffee12345678", live.taken(), live.liveAssists()}), error);
    for (const bool buffered : {true, false}) { // as recorded, and the fault of playing it without
        RunTape tape;
        tape.playBack(kept->steps, Assists{kept->assists.gameSpeed, buffered && kept->assists.kickBuffer});
        EXPECT_EQ(run(tape, Assists{}, false) == won, buffered);
    }
}
