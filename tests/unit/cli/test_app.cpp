// The command line as a script sees it: exit codes, one message line on standard error, data
// on standard output. Every case here ends before a socket would be opened.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "cli/app.h"

namespace trv81k::cli {
namespace {

struct Outcome {
    int code = -1;
    std::string out;
    std::string err;
};

using Variables = std::map<std::string, std::string>;

Outcome run(std::vector<std::string> args, Variables variables = {}) {
    args.insert(args.begin(), "trv81k-cli");
    Environment env;
    env.getenv = [variables](const char* name) -> std::optional<std::string> {
        const auto found = variables.find(name);
        return found != variables.end() ? std::optional(found->second) : std::nullopt;
    };
    env.stdinFd = -1;  // no standard input at all
    env.prompt = [](const std::string&) -> std::optional<std::string> {
        ADD_FAILURE() << "prompted although standard input is not a terminal";
        return std::nullopt;
    };
    std::ostringstream out;
    std::ostringstream err;
    Outcome o;
    o.code = RunCli(args, out, err, env);
    o.out = out.str();
    o.err = err.str();
    return o;
}

TEST(CommandLine, HelpAndVersionOnStandardOutput) {
    Outcome help = run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("configure"), std::string::npos);
    EXPECT_NE(help.out.find("5  the device did not acknowledge"), std::string::npos);
    EXPECT_NE(help.out.find("7  apply: some devices are not done"), std::string::npos);
    EXPECT_EQ(help.out.find("--timing-scale"), std::string::npos);  // hidden
    EXPECT_TRUE(help.err.empty());

    const Outcome configureHelp = run({"configure", "--help"});
    EXPECT_EQ(configureHelp.code, 0);
    EXPECT_NE(configureHelp.out.find("--password-file"), std::string::npos);

    const Outcome applyHelp = run({"apply", "--help"});
    EXPECT_EQ(applyHelp.code, 0);
    EXPECT_NE(applyHelp.out.find("--verify SECONDS"), std::string::npos);
    EXPECT_NE(applyHelp.out.find("\"defaults\" applies to every entry"), std::string::npos);
    EXPECT_EQ(applyHelp.out.find("--parallel"), std::string::npos);  // hidden

    const Outcome version = run({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out.rfind("trv81k-cli ", 0), 0u);
}

TEST(CommandLine, WepKeyPrintsTheDerivedKey) {
    // Expected keys computed with python3 (LCG and hashlib.md5), not with this code.
    Outcome o = run({"wep-key", "--bits", "64", "abc"});
    EXPECT_EQ(o.code, 0);
    EXPECT_EQ(o.out, "41192B542A\n");
    EXPECT_TRUE(o.err.empty());
    o = run({"wep-key", "--bits", "128", "trv81k"});
    EXPECT_EQ(o.out, "821E25AC3C100470AC236AB101\n");
    o = run({"wep-key", "--bits", "64",
             "Gr\xC3\xBC\xC3\x9F"
             "e"});  // UTF-8 in, Latin-1 used
    EXPECT_EQ(o.out, "E8DD84EDC6\n");
    o = run({"wep-key", "--bits", "128", "x"});
    EXPECT_EQ(o.out, "C1BB4F81D892B2D57947682AEB\n");
}

struct Refused {
    std::vector<std::string> args;
    std::string fragment;  // of the one line on standard error
};

class RefusedCommandLines : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedCommandLines, ExitTwoWithOneMessageLine) {
    const Refused& row = GetParam();
    const Outcome o = run(row.args, {{"TRV81K_PASSWORD", "admin"}});
    EXPECT_EQ(o.code, 2);
    EXPECT_TRUE(o.out.empty()) << o.out;
    EXPECT_NE(o.err.find(row.fragment), std::string::npos) << o.err;
    EXPECT_EQ(o.err.rfind("trv81k-cli: ", 0), 0u) << o.err;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
}

const std::vector<std::string> kConfigure{"configure", "--device", "00-11-22-33-44-55"};

std::vector<std::string> configureWith(std::initializer_list<std::string> more) {
    std::vector<std::string> args = kConfigure;
    args.insert(args.end(), more);
    return args;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedCommandLines,
    ::testing::Values(
        Refused{{}, "A subcommand is required"},
        Refused{{"frobnicate"}, "A subcommand is required"},
        Refused{{"wep-key", "--bits", "32", "abc"}, "--bits: \"32\" is outside 64 to 128"},
        Refused{{"wep-key", "--bits", "64", "12345678901234567"},
                "PASSPHRASE: The passphrase may be at most 16 characters long."},
        Refused{{"wep-key", "--bits", "64", ""}, "PASSPHRASE: must not be empty"},
        Refused{{"wep-key", "--bits", "64", "\xE2\x82\xAC"}, "Latin-1"},
        Refused{{"--interface", "10.0.0", "search"}, "--interface 10.0.0: no adapter is called"},
        Refused{{"--interface", "lab0/1", "search"}, "is neither an adapter's name"},
        Refused{{"search", "--timeout", "0"}, "--timeout"},
        Refused{{"configure"}, "--device is required"},
        Refused{configureWith({"--dhcp", "--static"}), "--dhcp: cannot go with --static"},
        Refused{configureWith({"--ip", "10.0.0.5"}), "--ip: needs --static"},
        Refused{configureWith({"--static", "--ip", "10.0.0.255"}),
                "trv81k-cli: --ip 10.0.0.255: The IP address is not valid. Please enter an "
                "address such as 192.168.1.10."},
        Refused{configureWith({"--static", "--netmask", "255.255.255.000"}),
                "--netmask 255.255.255.000: The subnet mask is not valid."},
        Refused{configureWith({"--static", "--gateway", "1.2.3"}),
                "--gateway 1.2.3: The gateway address is not valid."},
        Refused{configureWith({"--new-password", "abc"}),
                "--new-password: The password must be 4 to 16 characters long."},
        Refused{configureWith({"--ssid", ""}), "SSID"},
        Refused{configureWith({"--channel", "14"}), "--channel: \"14\" is outside 1 to 13"},
        Refused{configureWith({"--channel", ""}), "--channel: is empty; give a whole number"},
        Refused{configureWith({"--channel", "18446744073709551615"}),
                "--channel: \"18446744073709551615\" is outside 1 to 13"},
        Refused{configureWith({"--verify", "NaN"}), "--verify: \"NaN\" is not a number"},
        Refused{{"search", "--timeout", "NaN"}, "--timeout: \"NaN\" is not a number from 0.001"},
        Refused{{"search", "--timeout", "inf"}, "--timeout: \"inf\" is not a number"},
        Refused{configureWith({"--channel", "x"}), "--channel"},
        Refused{configureWith({"--security", "wpa3"}), "--security"},
        Refused{configureWith({"--security", "wep64", "--key", "12345"}),
                "--key: The 64-bit WEP key must be exactly 10 hexadecimal digits long."},
        Refused{configureWith({"--key", "0123456789", "--passphrase", "x"}),
                "--key: cannot go with --passphrase"},
        Refused{configureWith({"--pairing", "--ssid", "Net"}), "--pairing: cannot go with --ssid"},
        Refused{configureWith({"--password", "a", "--password-file", "-"}),
                "--password: cannot go with --password-file"},
        Refused{configureWith({"--verify", "-1"}), "--verify"},
        Refused{configureWith({"--key", "0123456789", "--key-file", "k"}),
                "--key: cannot go with --key-file"},
        Refused{configureWith({"--pairing", "--passphrase-file", "p"}),
                "--pairing: cannot go with --passphrase-file"},
        Refused{{"search", "--expect", "0"}, "--expect"}, Refused{{"apply"}, "FILE is required"},
        Refused{{"apply", "nonexistent/sites.json"},
                "nonexistent/sites.json: cannot open nonexistent/sites.json: No such file"},
        // A path is never read as a Windows-style option.
        Refused{{"apply", "/nonexistent/sites.json"}, "cannot open /nonexistent/sites.json"}));

TEST(CommandLine, NoPasswordSourceIsRefusedBeforeTheNetwork) {
    const Outcome o = run(kConfigure);
    EXPECT_EQ(o.code, 2);
    EXPECT_NE(o.err.find("password: none given"), std::string::npos) << o.err;
}

TEST(CommandLine, ASecretFromTheEnvironmentIsNamedWhenRefused) {
    const Outcome o = run(configureWith({"--security", "wep64"}),
                          {{"TRV81K_PASSWORD", "admin"}, {"TRV81K_KEY", "12345"}});
    EXPECT_EQ(o.code, 2);
    EXPECT_NE(o.err.find("--key: The 64-bit WEP key must be exactly 10 hexadecimal digits long. "
                         "(the value came from TRV81K_KEY)"),
              std::string::npos)
        << o.err;
}

}  // namespace
}  // namespace trv81k::cli
