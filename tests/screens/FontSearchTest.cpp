// Where the glyph font looks for its file, and what it says when it fails.
#include "render/OpenGLFont.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// Points the per-user font folder at a fresh temporary folder for one test.
class UserFontFolder {
public:
    UserFontFolder()
    {
        const char* old = std::getenv("XDG_DATA_HOME");
        if (old != nullptr)
            previous = old;
        root = fs::temp_directory_path() / ("vantorrel-fonts-" + std::to_string(::getpid()));
        fs::create_directories(root / "fonts");
        setenv("XDG_DATA_HOME", root.c_str(), 1);
    }
    ~UserFontFolder()
    {
        if (previous)
            setenv("XDG_DATA_HOME", previous->c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    fs::path fonts() const { return root / "fonts"; }

private:
    fs::path root;
    std::optional<std::string> previous;
};

void writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

TEST(FontSearch, TheGamesFontNameFindsTheFontShippedUnderItsOwnName)
{
    const FilePath packaged = FilePath::executableDirectory().join(std::string("fonts/CabinSketch-Bold.ttf"));
    if (!packaged.isFile())
        GTEST_SKIP() << "no packaged font";
    UserFontFolder user;
    EXPECT_EQ(OpenGLFont::findFontFile("MarsNeedsCunnilingus.ttf"), packaged);
}

TEST(FontSearch, ASystemFolderComesBeforeTheProgramsOwnFolder)
{
    UserFontFolder user;
    writeFile(user.fonts() / "MarsNeedsCunnilingus.ttf", "not really a font");
    const FilePath found = OpenGLFont::findFontFile("MarsNeedsCunnilingus.ttf");
    EXPECT_EQ(found.text(), (user.fonts() / "MarsNeedsCunnilingus.ttf").string());
}

TEST(FontSearch, AFolderOfThatNameIsNotAFont)
{
    UserFontFolder user;
    fs::create_directories(user.fonts() / "Folder.ttf");
    EXPECT_TRUE(OpenGLFont::findFontFile("Folder.ttf").empty());
}

TEST(FontSearch, APathInsteadOfANameFindsNothing)
{
    UserFontFolder user;
    fs::create_directories(user.fonts() / "sub");
    writeFile(user.fonts() / "sub" / "Inner.ttf", "x");
    EXPECT_TRUE(OpenGLFont::findFontFile("sub/Inner.ttf").empty());
    EXPECT_TRUE(OpenGLFont::findFontFile("../fonts/sub/Inner.ttf").empty());
    EXPECT_TRUE(OpenGLFont::findFontFile("").empty());
}

TEST(FontSearch, AnUnknownNameGivesTheEmptyPath)
{
    UserFontFolder user;
    EXPECT_TRUE(OpenGLFont::findFontFile("NoSuchFontAnywhere.ttf").empty());
}

TEST(FontLoading, AMissingFontSaysSoAndStaysUnloaded)
{
    UserFontFolder user;
    testing::internal::CaptureStdout();
    OpenGLFont font("NoSuchFontAnywhere.ttf", 48.0f);
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(font.isLoaded());
    EXPECT_EQ(said, "OpenGLFont: Could not find font: NoSuchFontAnywhere.ttf\n");
    EXPECT_EQ(font.getTexture(), 0u);
}

TEST(FontLoading, AFileThatIsNoFontSaysItCouldNotBeLoaded)
{
    UserFontFolder user;
    writeFile(user.fonts() / "Broken.ttf", std::string(4096, 'x'));
    testing::internal::CaptureStdout();
    OpenGLFont font("Broken.ttf", 48.0f);
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(font.isLoaded());
    EXPECT_EQ(said, "OpenGLFont: Could not load font: Broken.ttf\n");
}

TEST(FontLoading, AFifoOrADeviceInPlaceOfTheFontSaysSoAtOnce)
{
    // A FIFO used to block the game in open until a writer came; the test's
    // timeout is the guard.
    UserFontFolder user;
    ASSERT_EQ(mkfifo((user.fonts() / "Fifo.ttf").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", user.fonts() / "Zero.ttf");
    for (const char* name : {"Fifo.ttf", "Zero.ttf"}) {
        testing::internal::CaptureStdout();
        OpenGLFont font(name, 48.0f);
        const std::string said = testing::internal::GetCapturedStdout();
        EXPECT_FALSE(font.isLoaded());
        EXPECT_EQ(said, "OpenGLFont: Could not read font file " + (user.fonts() / name).string() +
                            ": not a regular file\n");
    }
    // A folder of that name is passed over by the search, as if absent.
    fs::create_directories(user.fonts() / "Folder.ttf");
    testing::internal::CaptureStdout();
    OpenGLFont folder("Folder.ttf", 48.0f);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "OpenGLFont: Could not find font: Folder.ttf\n");
    EXPECT_FALSE(folder.isLoaded());
}

TEST(FontLoading, AFileBeyond64MiBIsNotRead)
{
    UserFontFolder user;
    // Sparse, so the test writes almost nothing.
    writeFile(user.fonts() / "Huge.ttf", "");
    fs::resize_file(user.fonts() / "Huge.ttf", 64u * 1024 * 1024 + 1);
    testing::internal::CaptureStdout();
    OpenGLFont font("Huge.ttf", 48.0f);
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(font.isLoaded());
    EXPECT_EQ(said, "OpenGLFont: Could not read font file " + (user.fonts() / "Huge.ttf").string() +
                        ": larger than 67108864 bytes\n");
}

TEST(FontLoading, AFontCutShortThatDrawsNoGlyphSaysSo)
{
    // The first 3000 bytes of a real font still open, but every glyph is
    // gone: without a line the text would silently be invisible.
    const FilePath packaged = FilePath::executableDirectory().join(std::string("fonts/CabinSketch-Bold.ttf"));
    if (!packaged.isFile())
        GTEST_SKIP() << "no packaged font";
    std::ifstream in(packaged.text(), std::ios::binary);
    std::string bytes(3000, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_EQ(in.gcount(), 3000);
    UserFontFolder user;
    writeFile(user.fonts() / "Cut.ttf", bytes);
    testing::internal::CaptureStdout();
    OpenGLFont font("Cut.ttf", 48.0f);
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(font.isLoaded());
    EXPECT_EQ(said, "OpenGLFont: Font draws no glyph: " + (user.fonts() / "Cut.ttf").string() + "\n");
    EXPECT_EQ(font.getTexture(), 0u);
}

} // namespace
