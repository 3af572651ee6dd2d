#include "TempFolder.h"

#include "base/RandomGenerator.h"
#include "audio/PitchTable.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

void expectTable(const PitchTable& table, std::vector<float> expected)
{
    expected.resize(8, 0.0f);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(table[i], expected[static_cast<size_t>(i)]) << "entry " << i;
}

} // namespace

TEST(PitchFile, ValuesAreHalvedAndAFinalLineEndRepeatsTheLast)
{
    TempFolder folder;
    PitchTable open;
    ASSERT_TRUE(open.loadFile(folder.write("a.txt", "440\n880\n220")));
    expectTable(open, {220.0f, 440.0f, 110.0f});
    PitchTable terminated;
    ASSERT_TRUE(terminated.loadFile(folder.write("b.txt", "440\n880\n220\n")));
    expectTable(terminated, {220.0f, 440.0f, 110.0f, 110.0f});
}

TEST(PitchFile, AtMostEightValuesLeadingSpaceAndTrailingTextAllowed)
{
    TempFolder folder;
    PitchTable table;
    ASSERT_TRUE(table.loadFile(folder.write("a.txt", "  100 Hz\n\t200\r\n300\n400\n500\n600\n700\n800\n900\n1000\n")));
    expectTable(table, {50, 100, 150, 200, 250, 300, 350, 400});
}

TEST(PitchFile, LinesWithoutANumberRepeatThePrevious)
{
    TempFolder folder;
    PitchTable table;
    ASSERT_TRUE(table.loadFile(folder.write("a.txt", "100\nabc\n\n300\ninf\nnan\n")));
    expectTable(table, {50, 50, 50, 150, 150, 150, 150});
}

TEST(PitchFile, EmptyOrNumberlessFilesLeaveTheTableAtZero)
{
    TempFolder folder;
    PitchTable empty;
    ASSERT_TRUE(empty.loadFile(folder.write("a.txt", "")));
    expectTable(empty, {});
    PitchTable words;
    ASSERT_TRUE(words.loadFile(folder.write("b.txt", "la\nsi\n")));
    expectTable(words, {});
    PitchTable missing;
    EXPECT_FALSE(missing.loadFile(folder.file("none.txt")));
    expectTable(missing, {});
}

TEST(PitchFile, LongLinesDoNotStopTheReading)
{
    TempFolder folder;
    const std::string longLine = "100" + std::string(5000, ' ') + "999";
    PitchTable table;
    ASSERT_TRUE(table.loadFile(folder.write("a.txt", longLine + "\n200\n" + std::string(300, 'x') + "\n400")));
    expectTable(table, {50, 100, 100, 200});
}

TEST(PitchFile, HugeFileStopsAfterEightValues)
{
    // Thousands of lines, up to the 64 KiB a pitch file may hold.
    TempFolder folder;
    std::string text;
    while (text.size() + 6 <= 65536)
        text += "123.5\n";
    text += std::string(65536 - text.size(), '9');
    ASSERT_EQ(text.size(), 65536u);
    PitchTable table;
    ASSERT_TRUE(table.loadFile(folder.write("a.txt", text)));
    expectTable(table, {61.75f, 61.75f, 61.75f, 61.75f, 61.75f, 61.75f, 61.75f, 61.75f});
}

TEST(PitchFile, FifoDeviceFolderOrOversizedFileIsRefusedWithOneLine)
{
    // A drawn FIFO used to block the start in open, and a link to /dev/zero
    // never ended; the test's timeout is the guard against either.
    TempFolder folder;
    ASSERT_EQ(mkfifo(folder.file("fifo.txt").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", folder.file("zero.txt"));
    folder.makeFolder("folder.txt");
    folder.write("huge.txt", "440\n" + std::string(65536, '\n'));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"fifo.txt", "not a regular file"},
        {"zero.txt", "not a regular file"},
        {"folder.txt", "not a regular file"},
        {"huge.txt", "larger than 65536 bytes"},
        {"absent.txt", "No such file or directory"},
    };
    for (const auto& [name, reason] : cases) {
        PitchTable table;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(table.loadFile(folder.file(name)));
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "PitchTable: Could not read pitch file " + folder.file(name) + ": " + reason + "\n");
        expectTable(table, {});
    }
}

TEST(PitchFolder, DrawnFifoOrDeviceLeavesZerosWithOneLine)
{
    TempFolder folder;
    folder.makeFolder("fifo");
    ASSERT_EQ(mkfifo(folder.file("fifo/scale.txt").c_str(), 0600), 0);
    folder.makeFolder("zero");
    std::filesystem::create_symlink("/dev/zero", folder.file("zero/scale.txt"));
    for (const char* name : {"fifo", "zero"}) {
        PitchTable table;
        testing::internal::CaptureStdout();
        table.loadRandomFile(FilePath(folder.file(name)));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "PitchTable: Could not read pitch file " +
                                                              folder.file(name) + "/scale.txt: not a regular file\n");
        expectTable(table, {});
    }
}

TEST(PitchFolder, OnlyALowerCaseTxtFileIsUsed)
{
    TempFolder folder;
    folder.makeFolder("upper");
    folder.write("upper/scale.TXT", "440\n");
    PitchTable upper;
    upper.loadRandomFile(FilePath(folder.file("upper")));
    expectTable(upper, {});

    // Stray files beside it are never drawn: a README drawn left all pitches at 0 Hz.
    folder.makeFolder("lower/folder.txt");
    for (const char* stray : {"README", "scale.txt.bak", "txt", ".txt", "old.TXT"})
        folder.write(std::string("lower/") + stray, "no pitches\n");
    folder.write("lower/scale.txt", "440\n");
    for (int seed = 0; seed < 20; ++seed) {
        RandomGenerator::instance().setCounter(seed);
        PitchTable lower;
        lower.loadRandomFile(FilePath(folder.file("lower")));
        expectTable(lower, {220, 220});
    }

    folder.makeFolder("nested/inner.txt");
    PitchTable directory;
    directory.loadRandomFile(FilePath(folder.file("nested")));
    expectTable(directory, {});
}

TEST(PitchFolder, FilesWithoutAPitchAreNamedOnceAndNeverDrawn)
{
    TempFolder folder;
    const std::vector<std::pair<std::string, std::string>> prose = {
        {"README.txt", "Put one frequency per line in these files.\n"}, {"empty.txt", ""}, {"zero.txt", "0\n0\n"}};
    for (const bool withScale : {true, false}) {
        const std::string name = withScale ? "scale" : "prose";
        folder.makeFolder(name);
        std::string lines;
        for (const auto& [file, text] : prose) {
            folder.write(name + "/" + file, text);
            lines += "PitchTable: No pitch in " + folder.file(name + "/" + file) + "\n";
        }
        if (withScale)
            folder.write(name + "/scale.txt", "440\n");
        for (int seed = 0; seed < 8; ++seed) {
            RandomGenerator::instance().setCounter(seed);
            PitchTable table;
            testing::internal::CaptureStdout();
            table.loadRandomFile(FilePath(folder.file(name)));
            EXPECT_EQ(testing::internal::GetCapturedStdout(), lines) << name << " " << seed;
            expectTable(table, withScale ? std::vector<float>{220, 220} : std::vector<float>{});
            EXPECT_EQ(RandomGenerator::instance().currentCounter(), seed + 1) << "one draw";
        }
    }
}

TEST(PitchFolder, MissingOrEmptyFolderLeavesZerosAndStillDraws)
{
    TempFolder folder;
    folder.makeFolder("empty");
    RandomGenerator::instance().setCounter(10);
    PitchTable empty;
    empty.loadRandomFile(FilePath(folder.file("empty")));
    expectTable(empty, {});
    EXPECT_EQ(RandomGenerator::instance().currentCounter(), 11);

    PitchTable missing;
    testing::internal::CaptureStdout();
    missing.loadRandomFile(FilePath(folder.file("absent")));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "PitchTable: No pitch file (.txt) in " + folder.file("absent") + "\n");
    expectTable(missing, {});
}

TEST(PitchFolder, ShippedPitchFilesHoldEightRisingFrequencies)
{
    const FilePath folder = FilePath::executableDirectory().join(std::string("pitches"));
    const int count = folder.entryCount();
    ASSERT_GE(count, 2);
    for (int i = 0; i < count; ++i) {
        const FilePath file = folder.entry(i);
        ASSERT_EQ(file.extension(), "txt") << file.text();
        PitchTable table;
        ASSERT_TRUE(table.loadFile(file.text()));
        for (int p = 1; p < 8; ++p)
            EXPECT_GT(table[p], table[p - 1]) << file.text();
        EXPECT_GT(table[0], 40.0f);
    }
}
