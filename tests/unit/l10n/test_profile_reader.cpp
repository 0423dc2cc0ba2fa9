#include "l10n/profile_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <random>
#include <string>

#include "temp_dir.h"

namespace trv81k {
namespace {

using std::string_literals::operator""s;

// Missing, empty, a folder, a FIFO without writer (a plain open would block for ever): only
// defaults, and only the empty file counts as loaded.
TEST(ProfileReaderFile, MissingEmptyOrNonRegularFilesGiveDefaults) {
    testing::TempDir dir;
    const auto fifo = dir.path() / "fifo.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_directory(dir.path() / "folder.ini");
    for (const auto& path : {dir.path() / "Language.ini", dir.path() / "folder.ini", fifo}) {
        const ProfileReader reader(path);
        EXPECT_FALSE(reader.loaded()) << path;
        EXPECT_EQ(reader.ReadString("English", "NextPanel", ""), "") << path;
        EXPECT_EQ(reader.ReadString("English", "NextPanel", "fallback"), "fallback") << path;
    }
    const ProfileReader empty(dir.Write("Language.ini", ""));
    EXPECT_TRUE(empty.loaded());
    EXPECT_EQ(empty.ReadString("English", "NextPanel", "d"), "d");
}

// A Language.ini that the user may not read reads as a missing one. Root reads every file, so
// as root the reading is done by a child that has become the user "nobody".
TEST(ProfileReaderFile, FileWithoutReadPermissionGivesDefaults) {
    testing::TempDir dir;
    const auto file = dir.Write("Language.ini", "[English]\nNextPanel=Next\n");
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all |
                                                 std::filesystem::perms::group_exec |
                                                 std::filesystem::perms::others_exec);
    std::filesystem::permissions(file, std::filesystem::perms::none);
    const auto readsNothing = [&] {
        const ProfileReader reader(file);
        return !reader.loaded() && reader.ReadString("English", "NextPanel", "d") == "d";
    };
    if (::geteuid() != 0) {
        EXPECT_TRUE(readsNothing());
        return;
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
            ::_exit(2);
        }
        ::_exit(readsNothing() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2) {
        GTEST_SKIP() << "cannot become the user nobody here";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(ProfileReaderFile, DefaultPathIsInTheCurrentDirectory) {
    testing::TempDir dir;
    dir.Write("Language.ini", "[German]\nNextPanel=Weiter\n");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    const ProfileReader reader;
    std::filesystem::current_path(previous);
    EXPECT_EQ(reader.ReadString("German", "NextPanel", ""), "Weiter");
}

TEST(ProfileReaderFile, ReadsOnceAtConstruction) {
    testing::TempDir dir;
    const auto file = dir.Write("Language.ini", "[English]\nExitPanel=Exit\n");
    const ProfileReader reader(file);
    dir.Write("Language.ini", "[English]\nExitPanel=Changed\n");
    EXPECT_EQ(reader.ReadString("English", "ExitPanel", ""), "Exit");
}

TEST(ProfileReaderSyntax, SectionsAndKeysIgnoreAsciiCaseAndBlanks) {
    const auto reader = ProfileReader::FromText(
        "  [ german ]  \n"
        "  nextpanel  =   Weiter   \n"
        "\tINVALID_GATEWAY\t=\tFalsch\t\n");
    EXPECT_EQ(reader.ReadString("German", "NextPanel", ""), "Weiter");
    EXPECT_EQ(reader.ReadString("GERMAN", "NEXTPANEL", ""), "Weiter");
    EXPECT_EQ(reader.ReadString(" German ", " NextPanel ", ""), "Weiter");
    EXPECT_EQ(reader.ReadString("German", "INVALID_Gateway", ""), "Falsch");
    // Only ASCII letters fold: a non-ASCII byte must match exactly.
    const auto umlaut = ProfileReader::FromText("[Sektion]\nK\xC3\x84y=1\n");
    EXPECT_EQ(umlaut.ReadString("sektion", "k\xC3\x84Y", ""), "1");
    EXPECT_EQ(umlaut.ReadString("sektion", "k\xC3\xA4y", "no"), "no");
}

TEST(ProfileReaderSyntax, OnePairOfQuotesIsDropped) {
    const auto reader = ProfileReader::FromText(
        "[English]\n"
        "a=\"  quoted  \"\n"
        "b='single'\n"
        "c=\"\"inner\"\"\n"
        "d=\"mismatched'\n"
        "e=\"\n"
        "f=\"\"\n"
        "g=say \"hi\"\n");
    EXPECT_EQ(reader.ReadString("English", "a", ""), "  quoted  ");
    EXPECT_EQ(reader.ReadString("English", "b", ""), "single");
    EXPECT_EQ(reader.ReadString("English", "c", ""), "\"inner\"");
    EXPECT_EQ(reader.ReadString("English", "d", ""), "\"mismatched'");
    EXPECT_EQ(reader.ReadString("English", "e", ""), "\"");
    EXPECT_EQ(reader.ReadString("English", "f", "d"), "");
    EXPECT_EQ(reader.ReadString("English", "g", ""), "say \"hi\"");
}

TEST(ProfileReaderSyntax, IgnoredLinesAndCommentsInsideValues) {
    const auto reader = ProfileReader::FromText(
        "Orphan=before any section\n"
        "[English]\n"
        "; NextPanel=commented out\n"
        "NoEqualsSign\n"
        "=empty key\n"
        "NextPanel=Next ; not a comment\n"
        "Eq=a=b\n"
        "Empty=\n");
    EXPECT_EQ(reader.ReadString("", "Orphan", "d"), "d");
    EXPECT_EQ(reader.ReadString("English", "NextPanel", ""), "Next ; not a comment");
    EXPECT_EQ(reader.ReadString("English", "NoEqualsSign", "d"), "d");
    EXPECT_EQ(reader.ReadString("English", "", "d"), "d");
    EXPECT_EQ(reader.ReadString("English", "Eq", ""), "a=b");
    EXPECT_EQ(reader.ReadString("English", "Empty", "d"), "");
}

TEST(ProfileReaderSyntax, FirstSectionAndFirstKeyWin) {
    const auto reader = ProfileReader::FromText(
        "[English]\nNextPanel=first\nnextpanel=second\n"
        "[German]\nNextPanel=Weiter\n"
        "[ENGLISH]\nNextPanel=third\nBackPanel=only in the repeated section\n");
    EXPECT_EQ(reader.ReadString("English", "NextPanel", ""), "first");
    EXPECT_EQ(reader.ReadString("English", "BackPanel", "d"), "d");
    EXPECT_EQ(reader.ReadString("German", "NextPanel", ""), "Weiter");
}

TEST(ProfileReaderSyntax, OtherSectionsOnlyGiveDefaults) {
    const auto reader = ProfileReader::FromText("[English]\nNextPanel=Next\n");
    EXPECT_EQ(reader.ReadString("German", "NextPanel", ""), "");
    // An unclosed header still ends the previous section.
    const auto unclosed = ProfileReader::FromText("[English]\nA=1\n[German\nB=2\n");
    EXPECT_EQ(unclosed.ReadString("English", "B", "d"), "d");
    EXPECT_EQ(unclosed.ReadString("German", "B", ""), "2");
}

TEST(ProfileReaderSyntax, LineEndingsBomAndNul) {
    const auto crlf = ProfileReader::FromText("\xEF\xBB\xBF[English]\r\nA=1\r\nB=2\r\n");
    EXPECT_EQ(crlf.ReadString("English", "A", ""), "1");
    EXPECT_EQ(crlf.ReadString("English", "B", ""), "2");
    const auto cr = ProfileReader::FromText("[English]\rA=1\rB=2");
    EXPECT_EQ(cr.ReadString("English", "B", ""), "2");
    const auto nul = ProfileReader::FromText("[English]\nA=Val\0ue\nB=2\n"s);
    EXPECT_EQ(nul.ReadString("English", "A", ""), "Val");
    EXPECT_EQ(nul.ReadString("English", "B", ""), "2");
}

TEST(ProfileReaderLimits, ValuesAreCutAt2047Bytes) {
    const std::string longValue(100000, 'x');
    const auto reader = ProfileReader::FromText("[English]\nLong=" + longValue + "\nQuoted=\"" +
                                                std::string(2047, 'q') + "\"\nAfter=ok\n");
    EXPECT_EQ(reader.ReadString("English", "Long", ""), std::string(2047, 'x'));
    // Quotes come off before the cut.
    EXPECT_EQ(reader.ReadString("English", "Quoted", ""), std::string(2047, 'q'));
    EXPECT_EQ(reader.ReadString("English", "After", ""), "ok");
}

TEST(ProfileReaderLimits, CutDoesNotSplitUtf8Characters) {
    const std::string e = "\xC3\xA9";         // é, two bytes
    const std::string euro = "\xE2\x82\xAC";  // €, three bytes
    const auto reader = ProfileReader::FromText(
        "[French]\n"
        "Split2=" +
        std::string(2046, 'a') + e + "\n" + "Fits2=" + std::string(2045, 'a') + e + "\n" +
        "Split3=" + std::string(2045, 'a') + euro + "\n" + "Fits3=" + std::string(2044, 'a') +
        euro + "zz\n");
    EXPECT_EQ(reader.ReadString("French", "Split2", ""), std::string(2046, 'a'));
    EXPECT_EQ(reader.ReadString("French", "Fits2", ""), std::string(2045, 'a') + e);
    EXPECT_EQ(reader.ReadString("French", "Split3", ""), std::string(2045, 'a'));
    EXPECT_EQ(reader.ReadString("French", "Fits3", ""), std::string(2044, 'a') + euro);
}

TEST(ProfileReaderLimits, BinaryJunkIsSurvived) {
    std::mt19937 rng(81);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string junk(1 << 20, '\0');
    for (char& c : junk) {
        c = static_cast<char>(byte(rng));
    }
    const auto reader = ProfileReader::FromText(junk + "\n[Zz9Section]\nKey=found\n");
    EXPECT_EQ(reader.ReadString("Zz9Section", "Key", ""), "found");
    // Structural characters only: an endless header, endless equals signs, endless brackets.
    EXPECT_EQ(ProfileReader::FromText(std::string(1 << 20, '[')).ReadString("[", "k", "d"), "d");
    const auto equals = ProfileReader::FromText("[S]\n" + std::string(1 << 20, '='));
    EXPECT_EQ(equals.ReadString("S", "=", "d"), "d");
}

// Many short documents built from the characters that matter to the syntax: whatever they
// hold, a value never contains a line end or NUL and never exceeds the limit.
TEST(ProfileReaderLimits, StructuredRandomDocuments) {
    const std::string alphabet = "[]=;\"' \t\r\n\0aAkK\xC3\xA9"s;
    std::mt19937 rng(2047);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<std::size_t> length(0, 64);
    for (int round = 0; round < 20000; ++round) {
        std::string doc;
        for (std::size_t i = length(rng); i > 0; --i) {
            doc += alphabet[pick(rng)];
        }
        const auto reader = ProfileReader::FromText(doc);
        for (const char* section : {"a", "A", "k", ""}) {
            for (const char* key : {"a", "k", "aK", "\"a\""}) {
                const std::string value = reader.ReadString(section, key, "");
                ASSERT_LE(value.size(), ProfileReader::kMaxValueBytes);
                ASSERT_EQ(value.find_first_of("\r\n\0"s), std::string::npos) << doc;
            }
        }
    }
}

TEST(ProfileReaderLimits, TenMegabyteFileWithManyEntries) {
    testing::TempDir dir;
    std::string text = "[English]\n";
    std::size_t i = 0;
    while (text.size() < 10u * 1024u * 1024u) {
        text += "Key" + std::to_string(i++) + "=" + std::string(40, 'v') + "\n";
    }
    text += "Last=end\n";
    const ProfileReader reader(dir.Write("big.ini", text));
    EXPECT_EQ(reader.ReadString("English", "Key0", ""), std::string(40, 'v'));
    EXPECT_EQ(reader.ReadString("English", "Key" + std::to_string(i - 1), ""),
              std::string(40, 'v'));
    EXPECT_EQ(reader.ReadString("english", "LAST", ""), "end");
}

}  // namespace
}  // namespace trv81k
