#include "base/RegularFile.h"

#include "TempFolder.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Refusal = platform::FileBytes::Refusal;
constexpr size_t bound = 16; // bytes, small so that the edges are cheap to reach

} // namespace

TEST(RegularFile, ReadsEveryByteOfAFileUpToTheBound)
{
    TempFolder folder;
    const std::string bytes("a\0b\r\n\xff", 6);
    folder.write("six", bytes);
    const platform::FileBytes six = platform::readRegularFile(folder.file("six"), bound);
    ASSERT_TRUE(six.ok()) << six.reason();
    EXPECT_EQ(six.bytes, bytes);
    EXPECT_EQ(six.reason(), "");

    folder.write("empty", "");
    const platform::FileBytes empty = platform::readRegularFile(folder.file("empty"), bound);
    EXPECT_TRUE(empty.ok());
    EXPECT_EQ(empty.bytes, "");

    folder.write("full", std::string(bound, 'x'));
    const platform::FileBytes full = platform::readRegularFile(folder.file("full"), bound);
    EXPECT_TRUE(full.ok());
    EXPECT_EQ(full.bytes, std::string(bound, 'x'));

    // A link to a regular file is that file.
    std::filesystem::create_symlink(folder.file("six"), folder.file("link"));
    EXPECT_EQ(platform::readRegularFile(folder.file("link"), bound).bytes, bytes);
}

TEST(RegularFile, OneByteBeyondTheBoundIsRefused)
{
    TempFolder folder;
    folder.write("over", std::string(bound + 1, 'x'));
    const platform::FileBytes over = platform::readRegularFile(folder.file("over"), bound);
    EXPECT_EQ(over.refusal, Refusal::tooLarge);
    EXPECT_EQ(over.bytes, "");
    EXPECT_EQ(over.reason(), "larger than 16 bytes");
}

TEST(RegularFile, SizeLessSystemFilesAreStillBounded)
{
    // Kernel files report a size of 0 but hold text; the bound still holds.
    const platform::FileBytes small = platform::readRegularFile("/proc/self/status", bound);
    EXPECT_EQ(small.refusal, Refusal::tooLarge);
    const platform::FileBytes whole = platform::readRegularFile("/proc/self/status", 1 << 20);
    ASSERT_TRUE(whole.ok()) << whole.reason();
    EXPECT_EQ(whole.bytes.rfind("Name:", 0), 0u);
}

TEST(RegularFile, FifoDevicesAndFoldersAreRefusedAtOnce)
{
    // The test's timeout is the guard: before, a FIFO blocked in open and
    // /dev/zero never ended.
    TempFolder folder;
    ASSERT_EQ(mkfifo(folder.file("fifo").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", folder.file("zero"));
    std::filesystem::create_directory(folder.file("folder"));
    for (const std::string& path : {folder.file("fifo"), folder.file("zero"), std::string("/dev/zero"),
                                    std::string("/dev/null"), folder.file("folder")}) {
        const platform::FileBytes refused = platform::readRegularFile(path, bound);
        EXPECT_EQ(refused.refusal, Refusal::notRegularFile) << path;
        EXPECT_EQ(refused.reason(), "not a regular file") << path;
        EXPECT_EQ(refused.bytes, "") << path;
    }
}

TEST(RegularFile, MissingFilesAndDanglingLinksCannotBeOpened)
{
    TempFolder folder;
    std::filesystem::create_symlink(folder.file("nowhere"), folder.file("dangling"));
    for (const std::string& path : {folder.file("absent"), folder.file("dangling"), std::string()}) {
        const platform::FileBytes missing = platform::readRegularFile(path, bound);
        EXPECT_EQ(missing.refusal, Refusal::cannotOpen) << path;
        EXPECT_EQ(missing.error, ENOENT) << path;
        EXPECT_EQ(missing.reason(), "No such file or directory") << path;
    }
    folder.write("plain", "x");
    const platform::FileBytes under = platform::readRegularFile(folder.file("plain/inside"), bound);
    EXPECT_EQ(under.refusal, Refusal::cannotOpen);
    EXPECT_EQ(under.error, ENOTDIR);
}

TEST(RegularFile, FileWithoutReadPermission)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    TempFolder folder;
    folder.write("secret", "x");
    std::filesystem::permissions(folder.file("secret"), std::filesystem::perms::none);
    const platform::FileBytes secret = platform::readRegularFile(folder.file("secret"), bound);
    EXPECT_EQ(secret.refusal, Refusal::cannotOpen);
    EXPECT_EQ(secret.error, EACCES);
}
