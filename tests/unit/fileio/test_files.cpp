// Reading and replacing files, as on every system.

#include <gtest/gtest.h>

#include <filesystem>

#include "../l10n/temp_dir.h"
#include "fileio/file_access.h"

namespace trv81k {
namespace {

TEST(ReadRegularFile, ReadsUpToTheLimitAndNamesWhatIsMissing) {
    const testing::TempDir dir;
    const FileContents missing = ReadRegularFile(dir.path() / "none", 1024);
    EXPECT_TRUE(missing.missing);
    EXPECT_NE(missing.error.find("No such file"), std::string::npos) << missing.error;

    // Bytes as they are: a CR LF stays two bytes.
    const auto file = dir.Write("a.json", "{}\r\n");
    const FileContents read = ReadRegularFile(file, 1024);
    EXPECT_TRUE(read.error.empty()) << read.error;
    EXPECT_EQ(read.text, "{}\r\n");
    EXPECT_EQ(ReadRegularFile(file, 2).error, file.string() + " is larger than 2 bytes");
    EXPECT_FALSE(ReadRegularFile(dir.path(), 1024).error.empty());
}

// The state file is replaced whole or not at all, and nothing else is left in its folder.
TEST(WriteFileAtomically, ReplacesTheFileAndLeavesNoTemporaryOne) {
    const testing::TempDir dir;
    const auto file = dir.Write("state.json", "old contents, longer than the new\n");
    ASSERT_EQ(WriteFileAtomically(file, "new\n"), "");
    EXPECT_EQ(ReadRegularFile(file, 1024).text, "new\n");
    ASSERT_EQ(WriteFileAtomically(dir.path() / "fresh.json", ""), "");
    EXPECT_EQ(ReadRegularFile(dir.path() / "fresh.json", 1024).text, "");
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 2u);

    const auto nowhere = dir.path() / "no-such-folder" / "state.json";
    const std::string error = WriteFileAtomically(nowhere, "x");
    EXPECT_NE(error.find("cannot create a temporary file in"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(nowhere));
}

}  // namespace
}  // namespace trv81k
