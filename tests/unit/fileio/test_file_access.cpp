#include "fileio/file_access.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "../l10n/temp_dir.h"

namespace trv81k {
namespace {

// Linux's own kinds of files; the rules for every system are in test_files.cpp.

// A FIFO nobody writes once held the tool up for ever: it is refused at once, as are folders
// and device files.
TEST(ReadRegularFile, RefusesWhatIsNoRegularFileWithoutWaiting) {
    const testing::TempDir dir;
    const auto fifo = dir.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const FileContents fromFifo = ReadRegularFile(fifo, 1024);
    EXPECT_EQ(fromFifo.error, fifo.string() + " is a FIFO; only a regular file is read or written");
    EXPECT_NE(ReadRegularFile(dir.path(), 1024).error.find("is a folder"), std::string::npos);
    EXPECT_NE(ReadRegularFile("/dev/zero", 1024).error.find("is a device"), std::string::npos);

    EXPECT_FALSE(OpenRegularFileForReading(fifo).file.valid());
}

// The request log holds passwords: it is never written through a symbolic link, and a new one
// is its owner's alone.
TEST(OpenForAppending, RefusesALinkAndCreatesTheFileForItsOwnerOnly) {
    const testing::TempDir dir;
    const auto target = dir.Write("target", "kept\n");
    const auto link = dir.path() / "link";
    std::filesystem::create_symlink(target, link);
    const OpenedFile throughLink = OpenForAppending(link);
    EXPECT_FALSE(throughLink.file.valid());
    EXPECT_EQ(throughLink.error, link.string() + " is a symbolic link; it is not followed");
    EXPECT_EQ(ReadRegularFile(target, 64).text, "kept\n");

    const auto fifo = dir.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(OpenForAppending(fifo).file.valid());

    const auto fresh = dir.path() / "new.log";
    const OpenedFile opened = OpenForAppending(fresh);
    ASSERT_TRUE(opened.file.valid()) << opened.error;
    ASSERT_EQ(::write(opened.file.get(), "x\n", 2), 2);
    struct stat status {};
    ASSERT_EQ(::stat(fresh.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    EXPECT_EQ(ReadRegularFile(fresh, 64).text, "x\n");
}

}  // namespace
}  // namespace trv81k
