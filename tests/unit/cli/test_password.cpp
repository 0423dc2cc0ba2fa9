// Where the login password comes from, and the prompt without echo on a real terminal (a
// pseudo-terminal pair).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "../l10n/temp_dir.h"
#include "cli/messages.h"
#include "cli/password.h"

namespace trv81k::cli {
namespace {

using namespace std::chrono_literals;

class Pipe {
public:
    Pipe() { EXPECT_EQ(::pipe(fds_), 0); }
    ~Pipe() {
        closeWrite();
        ::close(fds_[0]);
    }
    int readFd() const { return fds_[0]; }
    int writeFd() const { return fds_[1]; }
    void write(std::string_view text) {
        ASSERT_EQ(::write(fds_[1], text.data(), text.size()), static_cast<::ssize_t>(text.size()));
    }
    void closeWrite() {
        if (fds_[1] >= 0) {
            ::close(fds_[1]);
            fds_[1] = -1;
        }
    }

private:
    int fds_[2] = {-1, -1};
};

Password resolved(const PasswordInputs& in) {
    auto result = ResolvePassword(in);
    if (auto* refusal = std::get_if<Refusal>(&result)) {
        ADD_FAILURE() << RefusalLine(*refusal, Messages());
        return {};
    }
    return std::get<Password>(result);
}

std::string refusedLine(const PasswordInputs& in) {
    auto result = ResolvePassword(in);
    if (!std::holds_alternative<Refusal>(result)) {
        ADD_FAILURE() << "not refused";
        return {};
    }
    EXPECT_EQ(std::get<Refusal>(result).outcome, Outcome::Usage);
    return RefusalLine(std::get<Refusal>(result), Messages());
}

TEST(PasswordSources, OptionOrFileThenEnvironmentThenPrompt) {
    int prompted = 0;
    PasswordInputs in;
    in.environment = "from-env";
    in.stdinIsTerminal = true;
    in.prompt = [&] {
        ++prompted;
        return std::optional<std::string>("typed");
    };

    in.option = "from-option";
    EXPECT_EQ(resolved(in).latin1, "from-option");
    EXPECT_EQ(resolved(in).source, PasswordSource::Option);

    in.option.reset();
    const testing::TempDir dir;
    in.file = dir.Write("pw", "from-file\r\nsecond line\n").string();
    EXPECT_EQ(resolved(in).latin1, "from-file");
    EXPECT_EQ(resolved(in).source, PasswordSource::File);

    in.file.reset();
    EXPECT_EQ(resolved(in).latin1, "from-env");
    EXPECT_EQ(resolved(in).source, PasswordSource::Environment);

    in.environment = "";  // set but empty: as if unset
    const Password typed = resolved(in);
    EXPECT_EQ(typed.latin1, "typed");
    EXPECT_EQ(typed.source, PasswordSource::Prompt);
    EXPECT_EQ(prompted, 1);

    // Not a terminal: never a prompt.
    in.stdinIsTerminal = false;
    EXPECT_NE(refusedLine(in).find("TRV81K_PASSWORD"), std::string::npos);
    EXPECT_EQ(prompted, 1);

    in.option = "a";
    in.file = "b";
    EXPECT_NE(refusedLine(in).find("cannot go with --password-file"), std::string::npos);
}

TEST(PasswordSources, StandardInputFileAndBadContent) {
    Pipe input;
    input.write("piped pw\nrest");
    PasswordInputs in;
    in.file = "-";
    in.stdinFd = input.readFd();
    EXPECT_EQ(resolved(in).latin1, "piped pw");
    // Only the first line was taken; the rest is still there.
    char rest[4] = {};
    EXPECT_EQ(::read(input.readFd(), rest, 4), 4);
    EXPECT_EQ(std::string(rest, 4), "rest");

    input.closeWrite();
    EXPECT_NE(refusedLine(in).find("no line on standard input"), std::string::npos);

    in.file = "/nonexistent/dir/pw";
    EXPECT_NE(refusedLine(in).find("--password-file /nonexistent/dir/pw: cannot open"),
              std::string::npos);
    const testing::TempDir dir;
    in.file = dir.Write("empty", "").string();
    EXPECT_NE(refusedLine(in).find("no line in the file"), std::string::npos);

    PasswordInputs env;
    env.environment = "p\xC3\xA4ss";  // UTF-8 "päss"
    EXPECT_EQ(resolved(env).latin1, "p\xE4ss");
    env.environment = "\xE2\x82\xAC";
    EXPECT_NE(refusedLine(env).find("TRV81K_PASSWORD: has a character"), std::string::npos);
    env.environment = std::string(32, 'x');
    EXPECT_EQ(resolved(env).latin1.size(), 32u);
    env.environment = std::string(33, 'x');
    EXPECT_NE(refusedLine(env).find("at most 32"), std::string::npos);
}

TEST(ReadLine, StopsAtTheLineEndAndRefusesOverlongLines) {
    Pipe input;
    input.write("abc\n\nlast");
    input.closeWrite();
    EXPECT_EQ(ReadLine(input.readFd()), "abc");
    EXPECT_EQ(ReadLine(input.readFd()), "");
    EXPECT_EQ(ReadLine(input.readFd()), "last");
    EXPECT_EQ(ReadLine(input.readFd()), std::nullopt);

    Pipe longer;
    longer.write("12345\n");
    EXPECT_EQ(ReadLine(longer.readFd(), 4), std::nullopt);
}

bool echoOn(int fd) {
    ::termios t{};
    EXPECT_EQ(::tcgetattr(fd, &t), 0);
    return (t.c_lflag & ECHO) != 0;
}

template <typename Predicate>
bool eventually(Predicate done) {
    const auto end = std::chrono::steady_clock::now() + 3s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

class Terminal : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::openpty(&master_, &slave_, nullptr, nullptr, nullptr), 0);
        ASSERT_TRUE(echoOn(slave_));
    }
    void TearDown() override {
        ::close(master_);
        ::close(slave_);
    }
    int master_ = -1;
    int slave_ = -1;
};

TEST_F(Terminal, PromptReadsWithoutEchoAndRestoresTheTerminal) {
    Pipe shown;
    std::optional<std::string> line;
    std::thread reader(
        [&] { line = PromptWithoutEcho(slave_, shown.writeFd(), "Password of 00-11: "); });
    ASSERT_TRUE(eventually([&] { return !echoOn(slave_); }));
    ASSERT_EQ(::write(master_, "s3cret\n", 7), 7);
    reader.join();
    EXPECT_EQ(line, "s3cret");
    EXPECT_TRUE(echoOn(slave_));

    shown.closeWrite();
    char text[64] = {};
    const auto n = ::read(shown.readFd(), text, sizeof text);
    EXPECT_EQ(std::string(text, static_cast<std::size_t>(n)), "Password of 00-11: \n");
    // Nothing was echoed back to the terminal's other side.
    ::fcntl(master_, F_SETFL, O_NONBLOCK);
    char echoed[64] = {};
    EXPECT_LE(::read(master_, echoed, sizeof echoed), 0) << echoed;
}

TEST_F(Terminal, InterruptDuringThePromptRestoresEchoAndStillEndsTheProgram) {
#if defined(__SANITIZE_THREAD__)
    // ThreadSanitizer holds a signal back until the call it arrives in returns; a read that
    // waits for a line never does, so the child would wait for ever.
    GTEST_SKIP() << "signals during a blocking read are held back under ThreadSanitizer";
#endif
    const ::pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        PromptWithoutEcho(slave_, STDERR_FILENO, "");
        ::_exit(0);  // not reached: the signal ends the child
    }
    ASSERT_TRUE(eventually([&] { return !echoOn(slave_); }));
    ASSERT_EQ(::kill(child, SIGINT), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGINT);
    EXPECT_TRUE(echoOn(slave_));
}

}  // namespace
}  // namespace trv81k::cli
