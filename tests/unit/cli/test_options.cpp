// The configure options on the command line: the number texts and where the secrets come from
// (the table and its conflicts are the core's, core_settings_test).
#include <gtest/gtest.h>

#include <map>

#include "../l10n/temp_dir.h"
#include "cli/messages.h"
#include "cli/options.h"

// The tables name only the options they set; GCC 12 would warn about every other member.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace trv81k::cli {
namespace {

// Number options: the parser alone took NaN, turned "" into 0 and 2^64-1 into -1.
TEST(NumberProblem, EveryWrongNumberIsNamedWithTheRange) {
    EXPECT_EQ(NumberProblem("", 1, 13, true), "is empty; give a whole number from 1 to 13");
    EXPECT_EQ(NumberProblem("18446744073709551615", 1, 13, true),
              "\"18446744073709551615\" is outside 1 to 13");
    EXPECT_EQ(NumberProblem("abc", 1, 13, true), "\"abc\" is not a whole number from 1 to 13");
    EXPECT_EQ(NumberProblem("6.5", 1, 13, true), "\"6.5\" is not a whole number from 1 to 13");
    EXPECT_EQ(NumberProblem("14", 1, 13, true), "\"14\" is outside 1 to 13");
    for (const char* bad : {"NaN", "nan", "inf", "-Infinity", "1e99999", " 3", "3s", "0x10"}) {
        EXPECT_TRUE(NumberProblem(bad, 0.001, 3600, false).has_value()) << bad;
    }
    EXPECT_EQ(NumberProblem("NaN", 0.001, 3600, false),
              "\"NaN\" is not a number from 0.001 to 3600");
    EXPECT_EQ(NumberProblem("7200", 0.001, 3600, false), "\"7200\" is outside 0.001 to 3600");
    for (const char* good : {"3", "0.5", "1e3", "+2", "3600"}) {
        EXPECT_EQ(NumberProblem(good, 0.001, 3600, false), std::nullopt) << good;
    }
    EXPECT_EQ(NumberProblem("13", 1, 13, true), std::nullopt);
}

// ---- The secrets ------------------------------------------------------------------------

TEST(Secrets, EveryOneIsARowOfTheTable) {
    for (const SecretOption& secret : kSecretOptions) {
        EXPECT_TRUE(FindConfigureOption(secret.name)) << secret.name;
        EXPECT_TRUE(FindConfigureOption(secret.fileName)) << secret.fileName;
    }
}

TEST(Secrets, OptionThenFileThenVariableWhereNothingElseDecides) {
    const testing::TempDir dir;
    dir.Write("key.txt", "0123456789\nnext line\n");
    std::map<std::string, std::string> variables{{"TRV81K_KEY", "from-env-key"},
                                                 {"TRV81K_NEW_PASSWORD", "env-pw"},
                                                 {"TRV81K_PASSPHRASE", ""}};
    SecretContext context;
    context.folder = dir.path();
    context.getenv = [&](const char* name) -> std::optional<std::string> {
        const auto found = variables.find(name);
        return found == variables.end() ? std::nullopt : std::optional(found->second);
    };

    ConfigureOptions o{.newPassword = "typed", .keyFile = "key.txt"};
    auto origins = ReadSecrets(o, context);
    ASSERT_TRUE(std::holds_alternative<SecretOrigins>(origins));
    EXPECT_EQ(o.newPassword, "typed");  // the option beats the variable
    EXPECT_EQ(o.key, "0123456789");     // the file's first line, relative to the folder
    EXPECT_FALSE(o.keyFile);
    EXPECT_EQ(std::get<SecretOrigins>(origins), (SecretOrigins{{"key", "--key-file key.txt"}}));

    o = {};
    ASSERT_TRUE(std::holds_alternative<SecretOrigins>(ReadSecrets(o, context)));
    EXPECT_EQ(o.newPassword, "env-pw");
    EXPECT_EQ(o.key, "from-env-key");
    EXPECT_FALSE(o.passphrase);  // empty: as if unset

    // A conflicting option on the command line keeps the variable out.
    for (ConfigureOptions given :
         {ConfigureOptions{.passphrase = "typed phrase"}, ConfigureOptions{.pairing = true}}) {
        ASSERT_TRUE(std::holds_alternative<SecretOrigins>(ReadSecrets(given, context)));
        EXPECT_FALSE(given.key);
    }
    // Two variables that conflict are refused rather than one picked.
    variables["TRV81K_PASSPHRASE"] = "phrase";
    o = {};
    auto both = ReadSecrets(o, context);
    ASSERT_TRUE(std::holds_alternative<Refusal>(both));
    EXPECT_NE(RefusalLine(std::get<Refusal>(both), Messages())
                  .find("TRV81K_PASSPHRASE: cannot go with TRV81K_KEY"),
              std::string::npos);

    // Files that give nothing, and standard input for two of them.
    context.getenv = {};
    const auto refused = [&](ConfigureOptions given) {
        auto result = ReadSecrets(given, context);
        return std::holds_alternative<Refusal>(result)
                   ? RefusalLine(std::get<Refusal>(result), Messages())
                   : std::string();
    };
    dir.Write("empty", "");
    EXPECT_NE(refused({.passphraseFile = "empty"}).find("--passphrase-file empty: no line"),
              std::string::npos);
    EXPECT_NE(refused({.newPasswordFile = "missing"}).find("cannot open"), std::string::npos);
    EXPECT_NE(refused({.passwordFile = "-", .keyFile = "-"})
                  .find("--key-file -: standard input is taken by --password-file -"),
              std::string::npos);
    context.stdinAllowed = false;
    EXPECT_NE(refused({.keyFile = "-"}).find("standard input cannot be read here"),
              std::string::npos);
}

}  // namespace
}  // namespace trv81k::cli
