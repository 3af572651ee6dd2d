#include "base/FilePath.h"

#include "TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>

TEST(FilePath, JoinUsesSlashWithoutNormalising)
{
    EXPECT_EQ(FilePath("a").join("b").text(), "a/b");
    EXPECT_EQ(FilePath("a/").join("b").text(), "a//b");
    EXPECT_EQ(FilePath().join("name").text(), "/name");
    EXPECT_EQ(FilePath("x").join(FilePath("y")).join("z.png").text(), "x/y/z.png");
}

TEST(FilePath, ExecutableDirectoryHoldsTheTestProgram)
{
    const FilePath directory = FilePath::executableDirectory();
    EXPECT_TRUE(directory.isDirectory());
    EXPECT_TRUE(directory.join("app_unit_tests").isFile());
    // The data folders are laid beside every executable.
    EXPECT_TRUE(directory.join("levels").isDirectory());
}

TEST(FilePath, DataBesideTheExecutableFirstThenTheInstalledShareFolder)
{
    TempFolder root;
    const std::filesystem::path prefix = std::filesystem::path(root.path()) / "prefix";
    std::filesystem::create_directories(prefix / "bin");
    const FilePath bin((prefix / "bin").string());

    // Nothing anywhere: beside the executable, so messages name that place.
    testing::internal::CaptureStdout();
    EXPECT_EQ(FilePath::dataDirectoryFor(bin), bin);
    // An installed tree.
    std::filesystem::create_directories(prefix / "share" / "vantorrel" / "levels");
    EXPECT_EQ(FilePath::dataDirectoryFor(bin).text(), (prefix / "share" / "vantorrel").string());
    // Any one data folder beside the executable wins over the installed tree.
    for (const char* folder : {"fonts", "pitches", "synthPatches", "levels"}) {
        std::filesystem::create_directory(prefix / "bin" / folder);
        EXPECT_EQ(FilePath::dataDirectoryFor(bin), bin) << folder;
        std::filesystem::remove(prefix / "bin" / folder);
    }
    // A file of a data folder's name is not a data folder.
    root.write("prefix/bin/levels", "not a folder");
    EXPECT_EQ(FilePath::dataDirectoryFor(bin).text(), (prefix / "share" / "vantorrel").string());
    // share/vantorrel as a file is no installed tree either.
    std::filesystem::remove_all(prefix / "share" / "vantorrel");
    root.write("prefix/share/vantorrel", "not a folder");
    EXPECT_EQ(FilePath::dataDirectoryFor(bin), bin);
    // No executable path: nothing to look beside.
    EXPECT_EQ(FilePath::dataDirectoryFor(FilePath()), FilePath());
    // The decision is quiet, whatever is missing.
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(FilePath, AFolderMissingBesideTheProgramIsTakenInstalledElseBothPlacesAreNamed)
{
    TempFolder root;
    const std::string bin = root.path() + "/bin", share = root.path() + "/share/vantorrel";
    std::filesystem::create_directories(bin + "/levels");
    testing::internal::CaptureStdout();
    EXPECT_EQ(FilePath::dataFolderFor(FilePath(bin), "pitches").text(), bin + "/pitches");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "FilePath: No pitches folder in " + bin + "/pitches or " + share + "/pitches\n");
    std::filesystem::create_directories(share + "/pitches");
    EXPECT_EQ(FilePath::dataFolderFor(FilePath(bin), "pitches").text(), share + "/pitches");
}

TEST(FilePath, DataDirectoryOfTheTestProgramIsItsOwnFolder)
{
    EXPECT_EQ(FilePath::dataDirectory(), FilePath::executableDirectory());
}

TEST(FilePath, TestsOnFilesAndFolders)
{
    TempFolder folder;
    folder.write("x.txt", "1");
    const FilePath root(folder.path());
    EXPECT_TRUE(root.exists());
    EXPECT_FALSE(root.isFile());
    EXPECT_TRUE(root.isDirectory());
    EXPECT_TRUE(root.join("x.txt").exists());
    EXPECT_TRUE(root.join("x.txt").isFile());
    EXPECT_FALSE(root.join("x.txt").isDirectory());

    const FilePath empty;
    EXPECT_FALSE(empty.exists());
    EXPECT_FALSE(empty.isFile());
    EXPECT_FALSE(empty.isDirectory());
    EXPECT_EQ(empty.extension(), "");
    EXPECT_EQ(empty.entryCount(), 0);
}

TEST(FilePath, MissingPathReportsTheSystemError)
{
    TempFolder folder;
    const FilePath missing = FilePath(folder.path()).join("missing");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(missing.isDirectory());
    EXPECT_EQ(missing.entryCount(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "FilePath::isDirectory() error: " + missing.text() + ": No such file or directory\n"
              "FilePath::isDirectory() error: " + missing.text() + ": No such file or directory\n");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(missing.exists());
    EXPECT_FALSE(missing.isFile());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(FilePath, Extension)
{
    TempFolder folder;
    std::filesystem::create_directory(folder.file("pitches"));
    std::filesystem::create_directory(folder.file("a.b"));
    folder.write("pitches/song.txt", "");
    folder.write("a.b/plain", "");
    folder.write("plain", "");
    const FilePath root(folder.path());
    EXPECT_EQ(root.join("pitches").join("song.txt").extension(), "txt");
    EXPECT_EQ(root.join("a.b").join("plain").extension(), "b/plain");
    EXPECT_EQ(root.join("a.b").extension(), "");
    // No full stop anywhere in the path: the whole path.
    EXPECT_EQ(FilePath("plain").extension(), "plain");
}

TEST(FilePath, Entries)
{
    TempFolder folder;
    const FilePath root(folder.path());
    EXPECT_EQ(root.entryCount(), 0);
    EXPECT_EQ(root.entry(0), FilePath());

    folder.write("x.txt", "");
    EXPECT_EQ(root.entryCount(), 1);
    EXPECT_EQ(root.entry(0), root.join("x.txt"));
    EXPECT_EQ(root.entry(1), FilePath());
    EXPECT_EQ(root.entry(-1), FilePath());

    folder.write("y.txt", "");
    std::filesystem::create_directory(folder.file("sub"));
    EXPECT_EQ(root.entryCount(), 3);
    std::set<std::string> names;
    for (int i = 0; i < root.entryCount(); ++i)
        names.insert(root.entry(i).text());
    EXPECT_EQ(names, (std::set<std::string>{root.join("sub").text(), root.join("x.txt").text(),
                                            root.join("y.txt").text()}));
    EXPECT_EQ(root.join("x.txt").entryCount(), 0);
}

TEST(FilePath, FontFoldersExistAndUserFoldersComeFirst)
{
    TempFolder home;
    std::filesystem::create_directories(home.file(".local/share/fonts"));
    ScopedEnvironment homeVariable("HOME", home.path().c_str());
    ScopedEnvironment dataHome("XDG_DATA_HOME", nullptr);
    const std::vector<FilePath> folders = FilePath::systemFontDirectories();
    ASSERT_FALSE(folders.empty());
    EXPECT_EQ(folders.front().text(), home.file(".local/share/fonts"));
    for (const FilePath& folder : folders)
        EXPECT_TRUE(folder.isDirectory()) << folder.text();
}
