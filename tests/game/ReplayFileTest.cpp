// Replay files: what is read, what is refused and why, and which run a
// level keeps.
#include "../app/TempFolder.h"
#include "game/ReplayFile.h"
#include "game/ReplayShelf.h"

#include <gtest/gtest.h>

#include <sstream>
#include <sys/stat.h>

namespace {

const std::string hash = "00c0ffee12345678";

} // namespace

TEST(ReplayFile, ReadsRoutesAndReplaysAndSaysWhyItRefusesTheRest)
{
    struct Case {
        std::string text;
        std::size_t steps; // 0: refused
        std::string error;
    };
    const std::string header = "vantorrel-replay 1 " + hash + " ";
    const Case cases[] = {
        {"---\nL-J\n", 2, ""}, // a levelcheck route
        {header + "3\r\n-R-\r\n--J\r\nLRJ\r\n", 3, ""},
        {header + "2\n---\n", 0, "the header says 2 steps, the file has 1"},
        {header + "99999999999\n---\n", 0, "the header says 99999999999 steps, the file has 1"},
        {"vantorrel-replay 2 " + hash + " 1\n---\n", 0, "format version 2, this game reads 1"},
        {"vantorrel-replay 1 00C0FFEE12345678 1\n---\n", 0,
         "line 1: want \"vantorrel-replay 1 <level hash> <steps>\", got \"vantorrel-replay 1 00C0FFEE12345678 1\""},
        {"vantorrel-replay 1 00c0ffee 1\n---\n", 0,
         "line 1: want \"vantorrel-replay 1 <level hash> <steps>\", got \"vantorrel-replay 1 00c0ffee 1\""},
        {header + "2\n---\nL-X\n", 0, "line 3: want three characters [L-][R-][J-], got \"L-X\""},
        {"", 0, "no steps"},
        {header + "0\n", 0, "no steps"},
    };
    for (const Case& c : cases) {
        std::string error;
        const std::optional<Replay> replay = replayfile::parse(c.text, error);
        EXPECT_EQ(replay ? replay->steps.size() : 0u, c.steps) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
    const Replay written{hash, {{true, false, false}, {false, true, true}}};
    std::string error;
    const std::optional<Replay> read = replayfile::parse(replayfile::text(written), error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(read->levelHash, hash);
    EXPECT_EQ(read->steps, written.steps);
}

TEST(ReplayFile, FifosAndOversizedFilesAreRefusedUnread)
{
    TempFolder folder;
    ASSERT_EQ(mkfifo(folder.file("fifo").c_str(), 0600), 0);
    std::string big;
    while (big.size() <= replayfile::largestFile)
        big += "---\n";
    folder.write("big", big);
    std::string error;
    EXPECT_FALSE(replayfile::load(folder.file("fifo"), error));
    EXPECT_EQ(error, "not a regular file");
    EXPECT_FALSE(replayfile::load(folder.file("big"), error));
    EXPECT_EQ(error, "larger than 4194304 bytes");
}

TEST(ReplayShelf, KeepsEveryWinAsTheLastAndOnlyAFasterOneAsTheBest)
{
    TempFolder folder;
    const ScopedEnvironment home("XDG_DATA_HOME", (folder.path() + "/data").c_str()); // not there yet
    const ReplayShelf shelf(hash);
    EXPECT_EQ(shelf.bestPath(), folder.path() + "/data/vantorrel/" + hash + ".best.replay");
    std::ostringstream out;
    EXPECT_FALSE(shelf.best(out)); // none yet, quietly
    // Runs of 10, 12, 10 and 8 steps: the best falls to 8 and never rises.
    for (const std::size_t steps : {10u, 12u, 10u, 8u}) {
        shelf.keep(Route(steps, RouteStep{false, true, false}), out);
        std::string error;
        EXPECT_EQ(replayfile::load(shelf.lastPath(), error)->steps.size(), steps);
        EXPECT_EQ(shelf.best(out)->steps.size(), steps == 8u ? 8u : 10u);
    }
    EXPECT_EQ(out.str(), "");
    const std::size_t tooLong = replayfile::largestFile / 4; // with the header, one byte too many
    shelf.keep(Route(tooLong), out);
    EXPECT_EQ(out.str(), "ReplayShelf: Not keeping a run of 1048576 steps: longer than a replay can be\n");
    EXPECT_EQ(shelf.best(out)->steps.size(), 8u);
    out.str("");
    // A damaged best is the player's: reported, used for nothing, kept.
    folder.write("data/vantorrel/" + hash + ".best.replay", "garbage\n");
    shelf.keep(Route(3), out);
    EXPECT_FALSE(shelf.best(out));
    EXPECT_EQ(folder.read("data/vantorrel/" + hash + ".best.replay"), "garbage\n");
    const std::string why = ": line 1: want three characters [L-][R-][J-], got \"garbage\"\n";
    EXPECT_EQ(out.str(), "ReplayShelf: Not replacing " + shelf.bestPath() + why + "ReplayShelf: Not using " +
                             shelf.bestPath() + why);
}
