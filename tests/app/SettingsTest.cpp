#include "base/Platform.h"
#include "app/Settings.h"

#include "ChildProcess.h"
#include "TempFolder.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <filesystem>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs the settings load inside a temporary configuration folder.
class SettingsFile : public testing::Test {
protected:
    TempFolder config;
    ScopedEnvironment xdg{"XDG_CONFIG_HOME", config.path().c_str()};

    std::string folder() const { return config.path() + "/Plumbrook"; }
    std::string file() const { return folder() + "/Plumbrook.conf"; }

    void writeFile(const std::string& contents)
    {
        std::filesystem::create_directory(folder());
        config.write("Plumbrook/Plumbrook.conf", contents);
    }

    Settings loadCapturing(std::string& printed)
    {
        testing::internal::CaptureStdout();
        const Settings settings = Settings::load();
        printed = testing::internal::GetCapturedStdout();
        return settings;
    }

    Settings loadWith(const std::string& contents)
    {
        writeFile(contents);
        std::string printed;
        const Settings settings = loadCapturing(printed);
        EXPECT_EQ(printed, "");
        return settings;
    }
};

} // namespace

TEST_F(SettingsFile, FirstStartCreatesFolderAndFileThenReadsThem)
{
    std::string printed;
    const Settings settings = loadCapturing(printed);
    EXPECT_EQ(printed, "Created " + folder() + " path.\n");

    const std::optional<platform::ScreenSize> measured = platform::measureScreen();
    ASSERT_TRUE(measured) << "needs the X server the tests run under";
    const platform::ScreenSize screen = *measured;
    EXPECT_EQ(config.read("Plumbrook/Plumbrook.conf"),
              "w " + std::to_string(screen.width) + "\r\nh " + std::to_string(screen.height) +
                  "\r\na 0\r\nf 1\r\nns 0\r\nnm 0\r\naa DirectSound\r\n");
    EXPECT_EQ(settings.width, screen.width);
    EXPECT_EQ(settings.height, screen.height);
    EXPECT_EQ(settings.antialias, 0);
    EXPECT_TRUE(settings.fullScreen);
    EXPECT_FALSE(settings.noSound);
    EXPECT_FALSE(settings.noMusic);
    EXPECT_EQ(settings.audioApi, "DirectSound");

    // Nothing but the file is left in the folder: no temporary file.
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(folder()))
        entries.push_back(entry.path().filename());
    EXPECT_EQ(entries, std::vector<std::string>{"Plumbrook.conf"});

    // A second start finds everything in place and says nothing.
    std::string again;
    loadCapturing(again);
    EXPECT_EQ(again, "");
}

TEST_F(SettingsFile, MissingKeysKeepBuiltInDefaults)
{
    const Settings settings = loadWith("f 0\r\n");
    EXPECT_EQ(settings.width, 1024);
    EXPECT_EQ(settings.height, 768);
    EXPECT_EQ(settings.antialias, 6);
    EXPECT_FALSE(settings.fullScreen);
    EXPECT_EQ(settings.audioApi, "DirectSound");
}

TEST_F(SettingsFile, EmptyFileIsNotRewritten)
{
    const Settings settings = loadWith("");
    EXPECT_EQ(settings.width, 1024);
    EXPECT_EQ(config.read("Plumbrook/Plumbrook.conf"), "");
}

TEST_F(SettingsFile, ValuesAndSeparators)
{
    const Settings settings = loadWith("w 0\r\nh=720\r\naa ASIO\r\nns 1\r\nnm 1\nnx 1\r\na 4\r\n");
    EXPECT_EQ(settings.width, 0);
    EXPECT_EQ(settings.height, 720);
    EXPECT_EQ(settings.audioApi, "ASIO");
    EXPECT_TRUE(settings.noSound);
    EXPECT_TRUE(settings.noMusic);
    EXPECT_EQ(settings.antialias, 4);
}

TEST_F(SettingsFile, UnreadableValuesKeepPreviousOnes)
{
    const Settings settings = loadWith("width 800\r\nf 2\r\nns\r\nw\r\naa\r\nh -\r\n\r\n# note\r\n");
    EXPECT_EQ(settings.width, 1024);
    EXPECT_TRUE(settings.fullScreen);
    EXPECT_FALSE(settings.noSound);
    EXPECT_EQ(settings.height, 768);
    EXPECT_EQ(settings.audioApi, "DirectSound");
}

TEST_F(SettingsFile, AssistsReadWithOneLineForABadValueAndRewrittenAlone)
{
    struct Case {
        const char* text;
        int speed;
        bool buffer;
        const char* printed;
    };
    const Case cases[] = {
        {"w 800\r\n", 100, false, ""}, // an older file
        {"gs 70\r\nkb 1\r\n", 70, true, ""},
        {"gs 50\r\ngs 90\r\nkb 0\r\n", 90, false, ""},
        {"gs 75\r\n", 100, false, "Settings: game speed (gs) must be 50, 60, 70, 80, 90 or 100; using 100.\n"},
        {"gs 70\r\ngs\r\n", 100, false, "Settings: game speed (gs) must be 50, 60, 70, 80, 90 or 100; using 100.\n"},
        {"kb 1\r\nkb 2\r\n", 100, false, "Settings: kick buffer (kb) must be 0 or 1; using 0.\n"},
        {"gx 60\r\nkx 1\r\n", 100, false, ""},
    };
    for (const Case& c : cases) {
        writeFile(c.text);
        std::string printed;
        const Settings settings = loadCapturing(printed);
        EXPECT_EQ(printed, c.printed) << c.text;
        EXPECT_EQ(settings.assists.gameSpeed, c.speed) << c.text;
        EXPECT_EQ(settings.assists.kickBuffer, c.buffer) << c.text;
    }
    // Every other line stays byte for byte; the old assist lines go, the new ones come last.
    EXPECT_EQ(withAssists("w 800\r\ngs 50\r\nh=720\nkb 1\r\naa A B", Assists{70, false}),
              "w 800\r\nh=720\naa A B\r\ngs 70\r\nkb 0\r\n");
    loadWith("w 640\r\nnm 1\r\n");
    ASSERT_TRUE(saveAssists(Assists{60, true}));
    EXPECT_EQ(config.read("Plumbrook/Plumbrook.conf"), "w 640\r\nnm 1\r\ngs 60\r\nkb 1\r\n");
}

TEST_F(SettingsFile, LastOccurrenceWinsAndSpacesInApiNameKept)
{
    const Settings settings = loadWith("w 800\r\nw 640\r\naa Some API\r\n");
    EXPECT_EQ(settings.width, 640);
    EXPECT_EQ(settings.audioApi, "Some API");
}

TEST_F(SettingsFile, LongLineDoesNotDerailTheOthers)
{
    // The tail of an over-long line must not be read as a line of its own.
    const std::string longLine = "x" + std::string(126, ' ') + "f 0" + std::string(300, 'y');
    const Settings settings = loadWith("w 800\r\n" + longLine + "\r\nh 600\r\n");
    EXPECT_EQ(settings.width, 800);
    EXPECT_EQ(settings.height, 600);
    EXPECT_TRUE(settings.fullScreen);
}

TEST_F(SettingsFile, LastLineWithoutLineEnd)
{
    const Settings settings = loadWith("w 800\r\nh 600");
    EXPECT_EQ(settings.height, 600);
}

TEST_F(SettingsFile, ExistingEntryThatCannotBeReadIsNeverReplaced)
{
    // A folder where the file should be: it exists but reads as nothing.
    std::filesystem::create_directories(file());
    std::string printed;
    const Settings settings = loadCapturing(printed);
    EXPECT_EQ(printed, "Could not read " + file() + ": not a regular file\n");
    EXPECT_TRUE(std::filesystem::is_directory(file()));
    EXPECT_EQ(settings.width, 1024);
}

TEST_F(SettingsFile, FifoDeviceOrOversizedFileGivesOneLineAndTheBuiltInDefaults)
{
    // A FIFO used to block the start in open, before any window; the test's
    // timeout is the guard.
    std::filesystem::create_directory(folder());
    const std::string lines = "w 800\r\nh 600\r\n";
    std::string oversized;
    while (oversized.size() <= 64 * 1024)
        oversized += lines;
    const std::vector<std::pair<std::function<void()>, std::string>> cases = {
        {[&] { ASSERT_EQ(mkfifo(file().c_str(), 0600), 0); }, "not a regular file"},
        {[&] { std::filesystem::create_symlink("/dev/zero", file()); }, "not a regular file"},
        {[&] { config.write("Plumbrook/Plumbrook.conf", oversized); }, "larger than 65536 bytes"},
        {[&] { config.write("Plumbrook/Plumbrook.conf", std::string("\xFF\xFEw\0 \0" "8\0", 8)); }, // UTF-16
         "UTF-16 text; save it as UTF-8"},
    };
    for (const auto& [make, reason] : cases) {
        make();
        const auto kind = std::filesystem::symlink_status(file()).type();
        std::string printed;
        const Settings settings = loadCapturing(printed);
        EXPECT_EQ(printed, "Could not read " + file() + ": " + reason + "\n");
        EXPECT_EQ(settings.width, 1024);
        EXPECT_EQ(settings.height, 768);
        EXPECT_EQ(std::filesystem::symlink_status(file()).type(), kind) << "the entry was replaced";
        std::filesystem::remove(file());
    }
}

TEST_F(SettingsFile, TemporaryFilesOfAKilledStartAreRemovedAndNothingElse)
{
    // A start killed mid-write left Plumbrook.conf.PID-0.tmp for good.
    const pid_t gone = fork();
    if (gone == 0)
        _exit(0);
    waitpid(gone, nullptr, 0);
    const std::string dead = folder() + "/Plumbrook.conf." + std::to_string(gone);
    writeFile("w 800\r\n");
    for (const std::string& path : {dead + "-99.tmp", dead + "-100.tmp", dead + "-01.tmp", dead + "-0.tmp.bak",
                                    folder() + "/Plumbrook.conf.1-0.tmp"})
        std::ofstream{path};
    std::string printed;
    EXPECT_EQ(loadCapturing(printed).width, 800);
    EXPECT_EQ(printed, "Removed " + dead + "-99.tmp, left by an interrupted write\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder()), {}), 5); // the file and 4 kept
}

TEST_F(SettingsFile, ByteOrderMarkBeforeTheFirstLineIsSkipped)
{
    const Settings settings = loadWith("\xEF\xBB\xBFw 800\r\nh 600\r\n");
    EXPECT_EQ(settings.width, 800);
    EXPECT_EQ(settings.height, 600);
    // Only at the very start: elsewhere it is text like any other.
    EXPECT_EQ(loadWith("h 600\r\n\xEF\xBB\xBFw 800\r\n").width, 1024);
}

TEST_F(SettingsFile, DanglingLinkIsLeftAloneAndItsTargetNotCreated)
{
    std::filesystem::create_directory(folder());
    const std::string target = config.file("elsewhere/Plumbrook.conf");
    std::filesystem::create_symlink(target, file());
    std::string printed;
    const Settings settings = loadCapturing(printed);
    EXPECT_EQ(printed, "Could not read " + file() + ": No such file or directory\n");
    EXPECT_EQ(settings.width, 1024);
    EXPECT_EQ(settings.antialias, 6);
    EXPECT_TRUE(std::filesystem::is_symlink(file()));
    EXPECT_EQ(std::filesystem::read_symlink(file()), target);
    EXPECT_FALSE(std::filesystem::exists(config.file("elsewhere")));
}

TEST_F(SettingsFile, WithoutAScreenToMeasureNoFileIsCreated)
{
    // The file would record 1024 x 768 for good; the next start on a real
    // screen must record that screen instead.
    for (const char* display : {static_cast<const char*>(nullptr), ":187"}) {
        {
            ScopedEnvironment noDisplay("DISPLAY", display);
            std::string printed;
            const Settings settings = loadCapturing(printed);
            EXPECT_FALSE(std::filesystem::exists(file())) << (display ? display : "no DISPLAY");
            EXPECT_EQ(settings.width, 1024);
            EXPECT_EQ(settings.height, 768);
            EXPECT_EQ(settings.antialias, 6);
        }
        std::filesystem::remove_all(folder());
    }
    const std::optional<platform::ScreenSize> screen = platform::measureScreen();
    ASSERT_TRUE(screen) << "needs the X server the tests run under";
    std::string printed;
    const Settings settings = loadCapturing(printed);
    EXPECT_EQ(settings.width, screen->width);
    EXPECT_EQ(config.read("Plumbrook/Plumbrook.conf").rfind("w " + std::to_string(screen->width) + "\r\n", 0), 0u);
}

namespace {

// The settings of a first start on the screen the tests run under.
bool isFirstStartSettings(const Settings& settings, const platform::ScreenSize& screen)
{
    return settings.width == screen.width && settings.height == screen.height && settings.antialias == 0 &&
           settings.fullScreen && !settings.noSound && !settings.noMusic && settings.audioApi == "DirectSound";
}

std::vector<std::string> entriesOf(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename());
    return names;
}

// A failed first write, then a start with room: checked inside a child.
int failedWriteThenGoodOne(const std::string& folder, const std::function<void()>& makeRoom, std::string& why)
{
    const std::optional<platform::ScreenSize> screen = platform::measureScreen();
    if (!screen) {
        why = "needs the X server the tests run under";
        return 1;
    }
    const std::string file = folder + "/Plumbrook.conf";
    const int output = childprocess::captureStandardOutput();
    const Settings first = Settings::load();
    const std::string printed = childprocess::takeOutput(output);
    if (printed != "Could not create " + file + "\n") {
        why = "printed '" + printed + "'";
        return 1;
    }
    if (!entriesOf(folder).empty()) {
        why = "left behind: " + entriesOf(folder).front();
        return 1;
    }
    if (!isFirstStartSettings(first, *screen)) {
        why = "did not go on with the values the file would have held";
        return 1;
    }
    makeRoom();
    const Settings second = Settings::load();
    const std::string again = childprocess::takeOutput(output);
    if (again != "" || entriesOf(folder) != std::vector<std::string>{"Plumbrook.conf"} ||
        !isFirstStartSettings(second, *screen)) {
        why = "the next start printed '" + again + "' and did not write a good file";
        return 1;
    }
    return childprocess::passed;
}

} // namespace

TEST_F(SettingsFile, FileSizeLimitLeavesNoPartialFileAndTheNextStartWritesAGoodOne)
{
    // Before, the first start left "w 1920\r\nh " under this limit, and every
    // later start read it.
    std::filesystem::create_directory(folder());
    const std::string where = folder();
    EXPECT_CHILD_PASSES(childprocess::run([&](std::string& why) {
        // The captured output must not be cut short by the limit either.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlim_t previous = limit.rlim_cur;
        limit.rlim_cur = 10; // bytes
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            why = "cannot set a file-size limit";
            return childprocess::skipped;
        }
        return failedWriteThenGoodOne(where, [&] {
            limit.rlim_cur = previous;
            setrlimit(RLIMIT_FSIZE, &limit);
        }, why);
    }));
}

TEST_F(SettingsFile, FullDiskLeavesNoPartialFileAndTheNextStartWritesAGoodOne)
{
    // Before, the first start on a full disk left an empty file for good.
    // A tiny file system of its own, mounted in a private mount namespace
    // (root only), filled up.
    const std::string mountPoint = config.path();
    EXPECT_CHILD_PASSES(childprocess::run([&](std::string& why) {
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("vantorrel-full", mountPoint.c_str(), "tmpfs", 0, "size=16k") != 0) {
            why = "cannot mount a small file system here (needs root): " + platform::errorText(errno);
            return childprocess::skipped;
        }
        const std::string filler = mountPoint + "/filler";
        {
            const int fd = open(filler.c_str(), O_WRONLY | O_CREAT, 0600);
            const std::string block(4096, 'x');
            while (fd >= 0 && write(fd, block.data(), block.size()) > 0) {
            }
            close(fd);
        }
        const std::string where = mountPoint + "/Plumbrook";
        if (mkdir(where.c_str(), 0755) != 0) {
            why = "cannot make the folder on the full file system";
            return 1;
        }
        return failedWriteThenGoodOne(where, [&] { unlink(filler.c_str()); }, why);
    }));
}

TEST_F(SettingsFile, FileWithoutReadPermissionKeepsItsContents)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    writeFile("w 800\r\n");
    std::filesystem::permissions(file(), std::filesystem::perms::none);
    std::string printed;
    const Settings settings = loadCapturing(printed);
    std::filesystem::permissions(file(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(config.read("Plumbrook/Plumbrook.conf"), "w 800\r\n");
    EXPECT_EQ(settings.width, 1024);
}

TEST(SettingsFolder, RelativeConfigHomeFallsBackToHome)
{
    TempFolder home;
    ScopedEnvironment homeVariable("HOME", home.path().c_str());
    ScopedEnvironment xdg("XDG_CONFIG_HOME", "relative/config");
    testing::internal::CaptureStdout();
    const std::string folder = userDataFolder();
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(folder, home.path() + "/.config/Plumbrook");
    EXPECT_EQ(printed, "Created " + folder + " path.\n");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST(SettingsFolder, NoConfigurationFolderAtAll)
{
    TempFolder work;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(work.path());
    {
        ScopedEnvironment homeVariable("HOME", nullptr);
        ScopedEnvironment xdg("XDG_CONFIG_HOME", nullptr);
        testing::internal::CaptureStdout();
        const Settings settings = Settings::load();
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(printed,
                  "Error: Could not find Application Data directory.\n"
                  "Could not create .Plumbrook/Plumbrook.conf\n");
        // It goes on with what the file would have held: the screen size.
        EXPECT_EQ(settings.width, platform::primaryScreenSize().width);
        EXPECT_EQ(settings.antialias, 0);
        EXPECT_FALSE(std::filesystem::exists(".Plumbrook"));
    }
    std::filesystem::current_path(previous);
}

TEST(SettingsFolder, FolderBlockedByAPlainFileIsReturnedAsItIs)
{
    TempFolder config;
    ScopedEnvironment xdg("XDG_CONFIG_HOME", config.path().c_str());
    config.write("Plumbrook", "not a folder");
    testing::internal::CaptureStdout();
    const std::string folder = userDataFolder();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(folder, config.path() + "/Plumbrook");
}
