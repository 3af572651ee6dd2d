// A level's record: its text, what beats it, the climb's tenths, the
// ending's lines, and the file kept whole through full disks and kills.
#include "../app/ChildProcess.h"
#include "GridMaps.h"
#include "game/ClimbSplits.h"
#include "game/LevelRecord.h"
#include "game/RecordFile.h"
#include "game/RunOutcome.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/mount.h>
#include <sys/stat.h>

namespace {

LevelRecord::Splits splitsOf(std::initializer_list<int64_t> first)
{
    LevelRecord::Splits splits = LevelRecord::noSplits();
    std::copy(first.begin(), first.end(), splits.begin());
    return splits;
}

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class RecordFolder : public testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() / ("vantorrel-records-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string file() const { return (folder / "0123456789abcdef.record").string(); }

    std::filesystem::path folder;
};

} // namespace

TEST(LevelRecordText, ReadsWhatItWritesAndRefusesEverythingElse)
{
    LevelRecord written;
    written.bestSteps = 2855;
    written.splitSteps = splitsOf({143, 300});
    EXPECT_EQ(written.text(), "vantorrel record 1\nbest 2855\nsplit 1 143\nsplit 2 300\n");

    struct Case {
        const char* text;
        int64_t best; // -2: refused
        int64_t firstSplit;
        int64_t tenthSplit;
    };
    const Case cases[] = {
        {"vantorrel record 1\nbest 2855\nsplit 1 143\nsplit 2 300\n", 2855, 143, -1},
        {"vantorrel record 1\r\nbest 90\r\n\r\nsplit 10 89\r\n", 90, -1, 89},
        {"vantorrel record 1", -1, -1, -1},
        {"", -2, 0, 0},
        {"vantorrel record 2\nbest 90\n", -2, 0, 0},
        {"vantorrel record\nbest 90\n", -2, 0, 0},
        {"best 90\n", -2, 0, 0},
        {"vantorrel record 1\nbest 0\n", -2, 0, 0},
        {"vantorrel record 1\nbest -5\n", -2, 0, 0},
        {"vantorrel record 1\nbest\n", -2, 0, 0},
        {"vantorrel record 1\nsplit 0 5\n", -2, 0, 0},
        {"vantorrel record 1\nsplit 11 5\n", -2, 0, 0},
        {"vantorrel record 1\nsplit 3\n", -2, 0, 0},
        {"vantorrel record 1\nsplit 3 0\n", -2, 0, 0},
        {"vantorrel record 1\nfastest 90\n", -2, 0, 0},
        {"\xEF\xBB\xBFvantorrel record 1\nbest 90\n", -2, 0, 0},
    };
    for (const Case& c : cases) {
        const std::optional<LevelRecord> read = LevelRecord::parse(c.text);
        ASSERT_EQ(read.has_value(), c.best != -2) << c.text;
        if (!read)
            continue;
        EXPECT_EQ(read->bestSteps, c.best) << c.text;
        EXPECT_EQ(read->splitSteps[0], c.firstSplit) << c.text;
        EXPECT_EQ(read->splitSteps[9], c.tenthSplit) << c.text;
    }
}

TEST(LevelRecordText, TakesOnlyTheBetterTimesOfARun)
{
    struct Case {
        int64_t keptBest;
        std::initializer_list<int64_t> keptSplits;
        int64_t runSteps;
        std::initializer_list<int64_t> runSplits;
        bool improved;
        int64_t best;
        int64_t split1;
        int64_t split2;
    };
    const Case cases[] = {
        {-1, {}, 500, {100, 200}, true, 500, 100, 200},          // the first win
        {500, {100, 200}, 501, {100, 200}, false, 500, 100, 200}, // slower, equal splits: nothing
        {500, {100, 200}, 500, {100, 200}, false, 500, 100, 200}, // a tie beats nothing
        {500, {100, 200}, 600, {90, 250}, true, 500, 90, 200},    // slower, one split better
        {500, {100, 200}, 499, {120, 210}, true, 499, 100, 200},  // faster, splits worse
        {500, {100, 200}, 600, {-1, -1}, false, 500, 100, 200},   // a missing split never counts
    };
    for (const Case& c : cases) {
        LevelRecord record;
        record.bestSteps = c.keptBest;
        record.splitSteps = splitsOf(c.keptSplits);
        EXPECT_EQ(record.improveWith(c.runSteps, splitsOf(c.runSplits)), c.improved) << c.runSteps;
        EXPECT_EQ(record.bestSteps, c.best) << c.runSteps;
        EXPECT_EQ(record.splitSteps[0], c.split1) << c.runSteps;
        EXPECT_EQ(record.splitSteps[1], c.split2) << c.runSteps;
    }
}

TEST(ClimbSplits, TheClimbEndsAtTheHighestOpenCellJoinedToTheStart)
{
    struct Case {
        std::vector<std::string> map;
        int32_t startColumn;
        int32_t startRow;
        int32_t top;
    };
    const Case cases[] = {
        // A pocket joined only at a corner does not count.
        {{"#.###", "##.##", "##.##", "##.##"}, 2, 3, 1},
        // Down, across and up again: still joined.
        {{"#.###", "#.#.#", "#...#", "#####"}, 3, 1, 0},
        // An open cell on the top edge: nothing above it leaks in.
        {{"..", ".."}, 0, 1, 0},
        // A solid start cell: no climb at all.
        {{".", "#"}, 0, 1, 1},
        // A start outside the picture: no climb at all.
        {{".", "."}, 5, 1, 1},
    };
    for (const Case& c : cases) {
        const ClimbSplits climb(gridFromMap(c.map), c.startColumn, c.startRow);
        EXPECT_EQ(climb.topRow(), c.top) << c.map.front();
        EXPECT_EQ(climb.startRow(), c.startRow);
    }
}

TEST(ClimbSplits, EachTenthCountsFromTheMomentItsHeightIsReached)
{
    std::vector<std::string> shaft(22, "#.#");
    shaft.back() = "###";
    const ClimbSplits climb(gridFromMap(shaft), 1, 20); // 20 rows of climb
    const std::pair<float, int> cases[] = {
        {20.0f, 0}, {20.5f, 0}, {18.01f, 0}, {18.0f, 1}, {2.0f, 9}, {0.01f, 9}, {0.0f, 10}, {-3.0f, 10},
    };
    for (const auto& [y, tenths] : cases)
        EXPECT_EQ(climb.tenthsAt(y), tenths) << y;
    const ClimbSplits flat(gridFromMap({"...", "###"}), 1, 0);
    EXPECT_EQ(flat.tenthsAt(-50.0f), 0);
}

TEST(RunOutcome, TheEndingSaysTheTimeTheBestAndTheDifference)
{
    struct Case {
        RunOutcome outcome;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {{-1, 5000, true}, {}},
        {{42825, -1, false}, {"Run time 0:42.82"}},
        {{42825, -1, true}, {"Run time 0:42.82", "New best!"}},
        {{42825, 43870, true}, {"Run time 0:42.82", "New best! (-0:01.04)"}},
        {{62010, 40100, false}, {"Run time 1:02.01", "Best 0:40.10 (+0:21.91)"}},
        {{40100, 40100, false}, {"Run time 0:40.10", "Best 0:40.10 (+0:00.00)"}},
        {{39000, 40100, false}, {"Run time 0:39.00", "Best 0:40.10 (-0:01.10)"}}, // a replay beats no record
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.outcome.endingLines(), c.lines) << c.outcome.milliseconds;
}

TEST_F(RecordFolder, TheFileIsWrittenOnlyWhenARunBeatsIt)
{
    testing::internal::CaptureStdout();
    RecordFile first = RecordFile::at(file());
    EXPECT_FALSE(first.record().hasBest());
    EXPECT_TRUE(first.offer(500, splitsOf({100, 200})));
    EXPECT_EQ(slurp(file()), "vantorrel record 1\nbest 500\nsplit 1 100\nsplit 2 200\n");

    RecordFile second = RecordFile::at(file());
    EXPECT_EQ(second.record().bestSteps, 500);
    struct stat before {};
    stat(file().c_str(), &before);
    EXPECT_FALSE(second.offer(700, splitsOf({100, 200})));
    struct stat after {};
    stat(file().c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino) << "a slower run rewrote the record";

    EXPECT_FALSE(second.offer(700, splitsOf({99})));
    EXPECT_EQ(slurp(file()), "vantorrel record 1\nbest 500\nsplit 1 99\nsplit 2 200\n");
    EXPECT_TRUE(second.offer(450, splitsOf({99, 198})));
    EXPECT_EQ(slurp(file()), "vantorrel record 1\nbest 450\nsplit 1 99\nsplit 2 198\n");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << "no temporary file is left";
}

TEST_F(RecordFolder, AMissingDataFolderIsMadeOnTheFirstWin)
{
    const std::string nested = (folder / "share" / "vantorrel" / "feed.record").string();
    testing::internal::CaptureStdout();
    RecordFile record = RecordFile::at(nested);
    EXPECT_TRUE(record.offer(90, LevelRecord::noSplits()));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(slurp(nested), "vantorrel record 1\nbest 90\n");
}

TEST_F(RecordFolder, AFileThatCannotBeReadGetsOneLineAndIsLeftAlone)
{
    struct Case {
        const char* name;
        std::function<void(const std::string&)> make;
        std::string reason;
    };
    const Case cases[] = {
        {"damaged", [](const std::string& p) { std::ofstream(p) << "vantorrel record 1\nbest 12\ngarbage\n"; },
         "not a record of this version"},
        {"oversized", [](const std::string& p) { std::ofstream(p) << "vantorrel record 1\n" << std::string(5000, '\n'); },
         "larger than 4096 bytes"},
        {"fifo", [](const std::string& p) { mkfifo(p.c_str(), 0600); }, "not a regular file"},
        {"folder", [](const std::string& p) { std::filesystem::create_directory(p); }, "not a regular file"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(file());
        c.make(file());
        const auto type = std::filesystem::symlink_status(file()).type();
        const std::string bytes = type == std::filesystem::file_type::regular ? slurp(file()) : "";
        testing::internal::CaptureStdout();
        RecordFile record = RecordFile::at(file());
        EXPECT_FALSE(record.record().hasBest()) << c.name;
        EXPECT_TRUE(record.offer(50, splitsOf({10}))) << c.name;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Records: Could not read " + file() + ": " + c.reason + "\n")
            << c.name;
        EXPECT_EQ(std::filesystem::symlink_status(file()).type(), type) << c.name;
        if (type == std::filesystem::file_type::regular) {
            EXPECT_EQ(slurp(file()), bytes) << c.name << ": the player's file was replaced";
        }
    }
}

TEST_F(RecordFolder, AFullDiskKeepsTheOldRecordWhole)
{
    const std::string mountPoint = folder.string();
    EXPECT_CHILD_PASSES(childprocess::run([&](std::string& why) {
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("vantorrel-full", mountPoint.c_str(), "tmpfs", 0, "size=16k") != 0) {
            why = "cannot mount a small file system here (needs root)";
            return childprocess::skipped;
        }
        const std::string path = mountPoint + "/feed.record";
        const std::string old = "vantorrel record 1\nbest 500\n";
        std::ofstream(path) << old;
        {
            std::ofstream filler(mountPoint + "/filler");
            const std::string block(4096, 'x');
            while (filler.write(block.data(), block.size())) {
            }
        }
        const int output = childprocess::captureStandardOutput();
        RecordFile record = RecordFile::at(path);
        record.offer(400, splitsOf({10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
        const std::string printed = childprocess::takeOutput(output);
        if (printed != "Records: Could not write " + path + ": No space left on device\n") {
            why = "printed '" + printed + "'";
            return 1;
        }
        if (slurp(path) != old) {
            why = "the old record was not kept whole: '" + slurp(path) + "'";
            return 1;
        }
        if (std::distance(std::filesystem::directory_iterator(mountPoint), {}) != 2) {
            why = "a temporary file was left behind";
            return 1;
        }
        return childprocess::passed;
    }));
}

TEST_F(RecordFolder, AKillDuringAWriteLeavesAWholeRecord)
{
    // A child writes ever better records as fast as it can until it is
    // killed; whenever that happens, the file holds one of them whole.
    for (int round = 0; round < 20; ++round) {
        std::filesystem::remove(file());
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::fclose(stdout);
            RecordFile record = RecordFile::at(file());
            for (int64_t steps = 1000000; steps > 1; --steps)
                record.offer(steps, splitsOf({steps / 2, steps / 2, steps / 2, steps / 2, steps / 2}));
            _exit(0);
        }
        while (!std::filesystem::exists(file()))
            usleep(100);
        usleep(static_cast<useconds_t>(200 + round * 150));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const std::optional<LevelRecord> left = LevelRecord::parse(slurp(file()));
        ASSERT_TRUE(left.has_value()) << "round " << round << ": '" << slurp(file()) << "'";
        EXPECT_EQ(left->splitSteps[4], left->bestSteps / 2) << "round " << round;
    }
}
