// Records: text, tenths, ending lines; written only when beaten, whole through full disks and kills.
#include "../app/ChildProcess.h"
#include "GridMaps.h"
#include "base/RegularFile.h"
#include "game/RecordFile.h"
#include "game/RunOutcome.h"
#include <gtest/gtest.h>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

static LevelRecord::Splits splitsOf(std::initializer_list<int64_t> first)
{
    LevelRecord::Splits splits = LevelRecord::noSplits();
    std::copy(first.begin(), first.end(), splits.begin());
    return splits;
}

static std::string slurp(const std::string& path) { return platform::readRegularFile(path, 1 << 16).bytes; }

struct RecordFolder : testing::Test {
    void SetUp() override { std::filesystem::create_directories(folder); }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string file() const { return (folder / "0123456789abcdef.record").string(); }
    std::filesystem::path folder = std::filesystem::temp_directory_path() / ("vantorrel-records-" + std::to_string(getpid()));
};

TEST(LevelRecordText, ReadsItsOwnVersionAndRefusesEverythingElse)
{
    const auto read = LevelRecord::parse("vantorrel record 1\r\nbest 90\r\n\r\nsplit 10 89\r\nsplit 1 3\n");
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->bestSteps, 90);
    EXPECT_EQ(read->splitSteps, splitsOf({3, -1, -1, -1, -1, -1, -1, -1, -1, 89}));
    EXPECT_EQ(LevelRecord::parse(read->text())->text(), "vantorrel record 1\nbest 90\nsplit 1 3\nsplit 10 89\n");
    for (const char* refused : {"", "vantorrel record 2\nbest 90\n", "best 90\n", "vantorrel record 1\nbest 0\n",
                                "vantorrel record 1\nbest -5\n", "vantorrel record 1\nbest\n",
                                "vantorrel record 1\nsplit 0 5\n", "vantorrel record 1\nsplit 11 5\n",
                                "vantorrel record 1\nsplit 3\n", "vantorrel record 1\nsplit 3 0\n",
                                "vantorrel record 1\nfastest 90\n", "\xEF\xBB\xBFvantorrel record 1\n"})
        EXPECT_FALSE(LevelRecord::parse(refused).has_value()) << refused;
}

TEST(ClimbSplits, TheClimbEndsAtTheHighestOpenCellJoinedToTheStartAndCountsTenths)
{
    // A corner joins nothing; down, across and up does; a solid start has no climb.
    EXPECT_EQ(ClimbSplits(gridFromMap({"#.###", "##.##", "##.##"}), 2, 2).topRow(), 1);
    EXPECT_EQ(ClimbSplits(gridFromMap({"#.###", "#.#.#", "#...#"}), 3, 1).topRow(), 0);
    EXPECT_EQ(ClimbSplits(gridFromMap({".", "#"}), 0, 1).tenthsAt(-9.0f), 0);
    std::vector<std::string> shaft(21, "#.#");
    const ClimbSplits climb(gridFromMap(shaft), 1, 20); // 20 rows of climb
    for (const auto& [y, tenths] : std::vector<std::pair<float, int>>{
             {20.5f, 0}, {18.01f, 0}, {18.0f, 1}, {2.0f, 9}, {0.01f, 9}, {0.0f, 10}, {-3.0f, 10}})
        EXPECT_EQ(climb.tenthsAt(y), tenths) << y;
}

TEST(RunOutcome, TheEndingSaysTheTimeTheBestAndTheDifference)
{
    const std::pair<RunOutcome, std::vector<std::string>> cases[] = {
        {{-1, 5000, true}, {}},
        {{42825, -1, false}, {"Run time 0:42.82"}},
        {{42825, -1, true}, {"Run time 0:42.82", "New best!"}},
        {{42825, 43870, true}, {"Run time 0:42.82", "New best! (-0:01.04)"}},
        {{62010, 40100, false}, {"Run time 1:02.01", "Best 0:40.10 (+0:21.91)"}},
        {{39000, 40100, false}, {"Run time 0:39.00", "Best 0:40.10 (-0:01.10)"}}, // a replay: no record
    };
    for (const auto& [outcome, lines] : cases)
        EXPECT_EQ(outcome.endingLines(), lines) << outcome.milliseconds;
}

TEST_F(RecordFolder, TheFileIsWrittenOnlyWhenARunBeatsItAndItsFolderMadeOnTheFirstWin)
{
    const std::string path = (folder / "share" / "vantorrel" / "feed.record").string();
    testing::internal::CaptureStdout();
    EXPECT_TRUE(RecordFile::at(path).offer(500, splitsOf({100, 200})).newBest);
    RecordFile second = RecordFile::at(path);
    struct stat before {}, after {};
    stat(path.c_str(), &before);
    EXPECT_FALSE(second.offer(500, splitsOf({100, 200, -1})).newBest);
    stat(path.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino) << "a run that beat nothing rewrote the record";
    EXPECT_FALSE(second.offer(700, splitsOf({99, 201})).newBest);
    EXPECT_EQ(slurp(path), "vantorrel record 1\nbest 500\nsplit 1 99\nsplit 2 200\n");
    EXPECT_TRUE(second.offer(450, splitsOf({120})).newBest);
    EXPECT_EQ(slurp(path), "vantorrel record 1\nbest 450\nsplit 1 99\nsplit 2 200\n");
    // The assisted record is a file of its own under the same lock.
    EXPECT_TRUE(RecordFile::at((folder / "share" / "vantorrel" / "feed.assisted.record").string()).offer(300, {}).newBest);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    // The two records and the level's lock; no temporary file is left.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "share" / "vantorrel"), {}), 3);
    for (const char* made : {"share", "share/vantorrel"})
        EXPECT_EQ(std::filesystem::status(folder / made).permissions(), std::filesystem::perms::owner_all) << made;
}

TEST_F(RecordFolder, AFileThatCannotBeReadGetsOneLineAndIsLeftAlone)
{
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { std::ofstream(file()) << "vantorrel record 1\nbest 12\ngarbage\n"; },
         "not a record of this version (line 3: \"garbage\")"},
        {[&] { std::ofstream(file()) << "vantorrel record 1\n" << std::string(5000, '\n'); }, "larger than 4096 bytes"},
        {[&] { std::ofstream(file()) << "vantorrel record 1\nbest \x1b[2J9\n"; },
         "not a record of this version (line 2: \"best \\x1b[2J9\")"},
        {[&] { mkfifo(file().c_str(), 0600); }, "not a regular file"},
    };
    for (const auto& [make, reason] : cases) {
        std::filesystem::remove_all(file());
        make();
        const std::string bytes = slurp(file());
        testing::internal::CaptureStdout();
        RecordFile record = RecordFile::at(file());
        EXPECT_FALSE(record.record().hasBest()) << reason;
        EXPECT_FALSE(record.offer(50, splitsOf({10})).newBest) << reason << ": a best that was not kept";
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Records: Could not read " + file() + ": " + reason + "\n");
        EXPECT_EQ(slurp(file()), bytes) << reason << ": the player's file was replaced";
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
        std::ofstream(path) << "vantorrel record 1\nbest 500\n";
        for (std::ofstream filler(mountPoint + "/filler"); filler << std::string(4096, 'x');) {
        }
        const int output = childprocess::captureStandardOutput();
        RecordFile::at(path).offer(400, splitsOf({10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
        why = childprocess::takeOutput(output) + slurp(path);
        const bool kept = why == "Records: Could not write " + path + ": No space left on device\n" +
                                     "vantorrel record 1\nbest 500\n";
        // The record, the filler and the lock.
        return kept && std::distance(std::filesystem::directory_iterator(mountPoint), {}) == 3 ? childprocess::passed : 1;
    }));
}

TEST_F(RecordFolder, AKillDuringAWriteLeavesAWholeRecord)
{
    // A child writes ever better records until killed: the file holds one whole.
    for (int round = 0; round < 20; ++round) {
        std::filesystem::remove(file());
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
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

TEST_F(RecordFolder, ARunIsComparedWithTheFileAsItIsWhenItIsWritten)
{
    // What another game on the same level did between this one's start and its win.
    const std::string other = (folder / "elsewhere.record").string();
    struct Case {
        const char* atStart;   // "" for no file
        std::function<void()> meanwhile;
        int64_t steps;
        const char* left;      // the record file afterwards
        bool newBest;
        int64_t previousBest;
        const char* said;
    };
    const auto write = [&](const char* text) { return [&, text] { std::ofstream(file()) << text; }; };
    const Case cases[] = {
        {"", write("vantorrel record 1\nbest 264\nsplit 1 50\n"), 609,
         "vantorrel record 1\nbest 264\nsplit 1 50\nsplit 2 300\n", false, 264, ""},
        {"", write("vantorrel record 1\nbest 609\n"), 264, "vantorrel record 1\nbest 264\nsplit 1 60\nsplit 2 300\n",
         true, 609, ""},
        {"vantorrel record 1\nbest 100\n", [&] { std::filesystem::remove(file()); }, 600,
         "vantorrel record 1\nbest 600\nsplit 1 60\nsplit 2 300\n", true, -1, ""},
        {"", write("vantorrel record 9\n"), 264, "vantorrel record 9\n", false, -1,
         "not a record of this version (line 1: \"vantorrel record 9\")"},
        {"", [&] {
             std::ofstream(other) << "vantorrel record 1\nbest 400\n";
             std::filesystem::create_symlink("elsewhere.record", file());
         },
         300, "vantorrel record 1\nbest 300\nsplit 1 60\nsplit 2 300\n", true, 400, ""},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(file());
        std::filesystem::remove(other);
        if (*c.atStart != '\0')
            std::ofstream(file()) << c.atStart;
        RecordFile record = RecordFile::at(file());
        c.meanwhile();
        testing::internal::CaptureStdout();
        const RecordFile::Offer offered = record.offer(c.steps, splitsOf({60, 300}));
        const std::string said = testing::internal::GetCapturedStdout();
        EXPECT_EQ(slurp(file()), c.left) << c.steps;
        EXPECT_EQ(offered.newBest, c.newBest) << c.steps;
        EXPECT_EQ(offered.previousBestSteps, c.previousBest) << c.steps;
        EXPECT_EQ(said, *c.said ? "Records: Could not read " + file() + ": " + c.said + "\n" : "") << c.steps;
    }
    EXPECT_TRUE(std::filesystem::is_symlink(file())) << "the player's link was replaced by a file";
}

TEST_F(RecordFolder, OnlyOurOwnTemporariesOfGoneGamesAreRemovedAtTheStart)
{
    const pid_t gone = fork();
    if (gone == 0)
        _exit(0);
    waitpid(gone, nullptr, 0);
    const std::string dead = "." + std::to_string(gone), live = "." + std::to_string(getppid());
    const std::pair<std::string, bool> names[] = { // name, removed
        {"0123456789abcdef.record" + dead + "-0.tmp", true},  {"fedcba9876543210.best.replay" + dead + "-12.tmp", true},
        {"fedcba9876543210.last.replay" + dead + "-3.tmp", true}, {"0123456789abcdef.record" + live + "-0.tmp", false},
        {"0123456789ABCDEF.record" + dead + "-0.tmp", false}, {"0123456789abcdef.lock" + dead + "-0.tmp", false},
        {"0123456789abcdef.record" + dead + "-0.tmp~", false}, {"0123456789abcdef.record" + dead + "-100.tmp", false},
        {"0123456789abcdef.assisted.record" + dead + "-0.tmp", true}, {"0.assisted.best.replay" + dead + "-1.tmp", false},
        {"0123456789abcdef.assisted.best.replay" + dead + "-1.tmp", true},
    };
    for (const auto& [name, removed] : names)
        std::ofstream(folder / name) << "vantorrel record 1\n";
    testing::internal::CaptureStdout();
    RecordFile::at(file());
    const std::string said = testing::internal::GetCapturedStdout();
    for (const auto& [name, removed] : names) {
        EXPECT_EQ(std::filesystem::exists(folder / name), !removed) << name;
        const std::string line = "Removed " + (folder / name).string() + ", left by an interrupted write\n";
        EXPECT_EQ(said.find(line) != std::string::npos, removed) << said;
    }
}
