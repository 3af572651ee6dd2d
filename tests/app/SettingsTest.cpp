#include "app/Platform.h"
#include "app/Settings.h"

#include "TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
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

    const platform::ScreenSize screen = platform::primaryScreenSize();
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
    EXPECT_EQ(printed, "");
    EXPECT_TRUE(std::filesystem::is_directory(file()));
    EXPECT_EQ(settings.width, 1024);
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
                  "Error: Could not find Application Data directory.\n"
                  "Could not create .Plumbrook/Plumbrook.conf\n");
        EXPECT_EQ(settings.width, 1024);
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
