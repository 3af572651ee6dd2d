#include "PatchText.h"
#include "TempFolder.h"

#include "audio/PolyphonicSynth.h"
#include "base/FilePath.h"

#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>

namespace {

const std::string mismatch =
    "PolyphonicSynth: Number of parameters in file does not match synth's number of parameters.\n";

const std::vector<float> sixteen = {0.1f, 0.2f, 0.3f, 1.0f, 0.0f, 0.15f, 0.6f, 0.4f,
                                    1.0f, 1.0f, 0.05f, 0.7f, 0.3f, 2.5f, 0.5f, 0.25f};

void expectDefaults(const PolyphonicSynth& group)
{
    const SimpleSynth reference;
    for (const SimpleSynth& voice : group.voices)
        for (int p = 0; p < 16; ++p)
            ASSERT_EQ(voice.getParameter(p), reference.getParameter(p)) << p;
}

struct Loaded {
    std::unique_ptr<PolyphonicSynth> group = std::make_unique<PolyphonicSynth>();
    bool result = false;
    std::string printed;
};

Loaded load(const std::string& text)
{
    TempFolder folder;
    const std::string path = folder.write("Test.patch", text);
    Loaded loaded;
    testing::internal::CaptureStdout();
    loaded.result = loaded.group->loadParameters(path);
    loaded.printed = testing::internal::GetCapturedStdout();
    return loaded;
}

} // namespace

TEST(PatchFile, SetsAllSixteenParametersOnEveryVoice)
{
    const Loaded loaded = load(patchText("16;", valueLines(sixteen)));
    EXPECT_TRUE(loaded.result);
    EXPECT_EQ(loaded.printed, "");
    for (const SimpleSynth& voice : loaded.group->voices)
        for (int p = 0; p < 16; ++p)
            ASSERT_FLOAT_EQ(voice.getParameter(p), sixteen[p]) << p;
}

TEST(PatchFile, WrongCountPrintsOnceAndKeepsDefaults)
{
    for (const char* count : {"15;", "17;", " x;"}) {
        const Loaded loaded = load(patchText(count, valueLines(sixteen)));
        EXPECT_FALSE(loaded.result);
        EXPECT_EQ(loaded.printed, mismatch) << count;
        expectDefaults(*loaded.group);
    }
}

TEST(PatchFile, CountReadsAfterLeadingSpacesAndIgnoresTheRest)
{
    const Loaded loaded = load(patchText("   16 parameters;", valueLines(sixteen)));
    EXPECT_TRUE(loaded.result);
    EXPECT_FLOAT_EQ(loaded.group->voices[0].getParameter(15), 0.25f);
}

TEST(PatchFile, ValueLinesLoseTheirLastTwoCharacters)
{
    std::vector<std::string> lines = valueLines(sixteen);
    lines[0] = "0.25f,";
    lines[1] = "\t 0.25  ";
    lines[2] = "0.75xy";
    lines[5] = "0.33";  // becomes "0.", read as 0
    const Loaded loaded = load(patchText("16;", lines));
    EXPECT_TRUE(loaded.result);
    EXPECT_FLOAT_EQ(loaded.group->voices[0].getParameter(0), 0.25f);
    EXPECT_FLOAT_EQ(loaded.group->voices[0].getParameter(1), 0.25f);
    EXPECT_FLOAT_EQ(loaded.group->voices[0].getParameter(2), 0.75f);
    EXPECT_FLOAT_EQ(loaded.group->voices[0].getParameter(5), 0.0f);
}

TEST(PatchFile, LinesWithoutANumberRepeatThePreviousValue)
{
    std::vector<std::string> lines = valueLines(sixteen);
    lines[6] = "oops";
    lines[7] = "";
    const Loaded loaded = load(patchText("16;", lines));
    EXPECT_FLOAT_EQ(loaded.group->voices[3].getParameter(6), sixteen[5]);
    EXPECT_FLOAT_EQ(loaded.group->voices[3].getParameter(7), sixteen[5]);
    EXPECT_FLOAT_EQ(loaded.group->voices[3].getParameter(8), sixteen[8]);

    // A first line without a number leaves its parameter at the default.
    lines = valueLines(sixteen);
    lines[0] = "none";
    const Loaded first = load(patchText("16;", lines));
    EXPECT_EQ(first.group->voices[0].getParameter(0), 0.0f);
    EXPECT_FLOAT_EQ(first.group->voices[0].getParameter(1), sixteen[1]);
}

TEST(PatchFile, FewerValueLinesSetOnlyThose)
{
    const std::vector<float> three = {0.9f, 0.05f, 0.8f};
    const Loaded loaded = load(patchText("16;", valueLines(three)));
    EXPECT_TRUE(loaded.result);
    const SimpleSynth reference;
    for (const SimpleSynth& voice : loaded.group->voices) {
        EXPECT_FLOAT_EQ(voice.getParameter(0), 0.9f);
        EXPECT_FLOAT_EQ(voice.getParameter(1), 0.05f);
        EXPECT_FLOAT_EQ(voice.getParameter(2), 0.8f);
        for (int p = 3; p < 16; ++p)
            ASSERT_EQ(voice.getParameter(p), reference.getParameter(p));
    }
}

TEST(PatchFile, ExtraLinesBeforeTheCloseAreIgnored)
{
    std::vector<std::string> lines = valueLines(sixteen);
    lines.push_back("   9.0f,");
    lines.push_back("   8.0f,");
    const Loaded loaded = load(patchText("16;", lines));
    EXPECT_TRUE(loaded.result);
    EXPECT_FLOAT_EQ(loaded.group->voices[31].getParameter(15), 0.25f);
}

TEST(PatchFile, CarriageReturnLineEndsAreAccepted)
{
    const Loaded loaded = load(patchText("16;", valueLines(sixteen), true, "\r\n"));
    EXPECT_TRUE(loaded.result);
    EXPECT_FLOAT_EQ(loaded.group->voices[0].getParameter(13), 2.5f);
    EXPECT_FLOAT_EQ(loaded.group->voices[0].getParameter(15), 0.25f);
}

TEST(PatchFile, MissingFileKeepsDefaultsWithOneLine)
{
    PolyphonicSynth group;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(group.loadParameters("/nonexistent/vantorrel/Missing.patch"));
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1);
    expectDefaults(group);
}

TEST(PatchFile, MalformedFilesKeepDefaultsAndEnd)
{
    // Line 23 of 26 characters: no room for a count before its last character.
    std::string shortCount = patchText("", valueLines(sixteen));
    // A file without the closing line.
    const std::string unclosed = patchText("16;", valueLines(sixteen), false);
    // A file cut off in the header, and an empty one.
    const std::string cut = "// one\n// two\n";
    // No number at all (all NaN, or no value line) kept the built-in sound without a line.
    const std::string allNaN = patchText("16;", std::vector<std::string>(16, "    nanf,"));
    for (const std::string& text : {shortCount, unclosed, cut, std::string(), allNaN, patchText("16;", {})}) {
        const Loaded loaded = load(text);
        EXPECT_FALSE(loaded.result);
        EXPECT_EQ(std::count(loaded.printed.begin(), loaded.printed.end(), '\n'), 1);
        expectDefaults(*loaded.group);
    }
    EXPECT_EQ(load(allNaN).printed.rfind("PolyphonicSynth: Patch file holds no number: /", 0), 0u);
}

TEST(PatchFile, FifoDeviceFolderOrOversizedFileKeepsDefaultsWithOneLine)
{
    // A FIFO used to block the start in open, and a link to /dev/zero read a
    // line without end; the test's timeout is the guard against either.
    TempFolder folder;
    ASSERT_EQ(mkfifo(folder.file("Fifo.patch").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", folder.file("Zero.patch"));
    folder.makeFolder("Folder.patch");
    // A sound patch with free text after its closing line, one byte too much.
    const std::string good = patchText("16;", valueLines(sixteen));
    folder.write("Huge.patch", good + std::string(65536 + 1 - good.size(), '/'));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Fifo.patch", "not a regular file"},
        {"Zero.patch", "not a regular file"},
        {"Folder.patch", "not a regular file"},
        {"Huge.patch", "larger than 65536 bytes"},
    };
    for (const auto& [name, reason] : cases) {
        PolyphonicSynth group;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(group.loadParameters(folder.file(name)));
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "PolyphonicSynth: Could not read patch file " + folder.file(name) + ": " + reason + "\n");
        expectDefaults(group);
    }

    // The same patch padded to exactly the bound still loads.
    const Loaded full = load(good + std::string(65536 - good.size(), '/'));
    EXPECT_TRUE(full.result);
    EXPECT_EQ(full.printed, "");
    EXPECT_FLOAT_EQ(full.group->voices[0].getParameter(13), 2.5f);
}

TEST(PatchFile, ShippedPatchesAllLoad)
{
    const FilePath folder = FilePath::executableDirectory().join(std::string("synthPatches"));
    for (const char* name : {"SeqBass", "SeqPad", "SeqHi", "SeqDuck", "Bom"}) {
        PolyphonicSynth group;
        testing::internal::CaptureStdout();
        EXPECT_TRUE(group.loadParameters(folder.join(std::string(name) + ".patch").text())) << name;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    }
}
