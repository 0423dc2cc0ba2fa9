// The trace viewer: how a block is shown, and the program itself receiving lines from Trace.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "platform/trace.h"
#include "private_netns.h"
#include "trace/viewer_format.h"

namespace trv81k {
namespace {

using namespace std::chrono_literals;

std::vector<std::uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

TEST(TraceViewerFormat, LineIsEscapedForTheTerminal) {
    EXPECT_EQ(EscapeTraceLine(Bytes("Send Authentication")), "Send Authentication");
    EXPECT_EQ(EscapeTraceLine(Bytes(std::string_view("a\x1b[2Jb\\c\x7f\x80\xff\n", 13))),
              "a\\x1B[2Jb\\\\c\\x7F\\x80\\xFF\\x0A");
    // The line ends at the first zero byte; what follows is not shown.
    EXPECT_EQ(EscapeTraceLine(Bytes(std::string_view("English\0German", 14))), "English");
    EXPECT_EQ(EscapeTraceLine({}), "");
    // Without a zero byte at most 255 bytes are shown.
    const std::string full(300, 'x');
    EXPECT_EQ(EscapeTraceLine(Bytes(full)), full.substr(0, 255));
}

TEST(TraceViewerFormat, LocalTimeStampAndLength) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    const auto when = std::chrono::system_clock::from_time_t(3723) + 45ms;  // 01:02:03.045
    EXPECT_EQ(LocalTimeStamp(when), "01:02:03.045");
    EXPECT_EQ(FormatTraceOutput(when, Bytes("%d"), 255, false), "01:02:03.045 %d");
    EXPECT_EQ(FormatTraceOutput(when, Bytes("x"), 999, true), "01:02:03.045 [999] x");
}

// The viewer program as a child process, its output read through pipes.
class ViewerProcess {
public:
    explicit ViewerProcess(std::vector<std::string> args) {
        int out[2];
        int err[2];
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(err[1], STDERR_FILENO);
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(TRV81K_TRACE_VIEWER));
            for (auto& arg : args) {
                argv.push_back(arg.data());
            }
            argv.push_back(nullptr);
            ::execv(TRV81K_TRACE_VIEWER, argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~ViewerProcess() {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(out_);
        ::close(err_);
    }
    bool started() const { return pid_ > 0; }

    // One line of standard output (without its newline), or "" after the timeout.
    std::string readLine(std::chrono::milliseconds timeout = 5s) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            if (const auto end = outBuffer_.find('\n'); end != std::string::npos) {
                std::string line = outBuffer_.substr(0, end);
                outBuffer_.erase(0, end + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            ::pollfd ready{out_, POLLIN, 0};
            if (left <= 0ms || ::poll(&ready, 1, static_cast<int>(left.count())) != 1) {
                return "";
            }
            char chunk[512];
            const ssize_t n = ::read(out_, chunk, sizeof(chunk));
            if (n <= 0) {
                return "";
            }
            outBuffer_.append(chunk, static_cast<std::size_t>(n));
        }
    }

    std::string readAllErrors() {
        std::string text;
        char chunk[512];
        ssize_t n;
        while ((n = ::read(err_, chunk, sizeof(chunk))) > 0) {
            text.append(chunk, static_cast<std::size_t>(n));
        }
        return text;
    }

    // The exit code, or -1 when it did not exit normally within the timeout.
    int wait(std::chrono::milliseconds timeout = 5s) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        int status = 0;
        while (::waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                return -1;
            }
            std::this_thread::sleep_for(10ms);
        }
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void sendSignal(int number) { ::kill(pid_, number); }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    bool exited_ = false;
    std::string outBuffer_;
};

// True once something listens on the trace socket. A connect on a datagram socket sends
// nothing, so the viewer sees no stray line.
bool ViewerListens(std::chrono::milliseconds timeout = 5s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        testing::Fd probe(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
        ::sockaddr_un address;
        const auto length = static_cast<socklen_t>(MakeTraceAddress(address));
        if (::connect(probe.get(), reinterpret_cast<const ::sockaddr*>(&address), length) == 0) {
            return true;
        }
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

using TraceViewerProgram = testing::PrivateNetworkTest;

TEST_F(TraceViewerProgram, ShowsTracedLinesRefusesASecondViewerAndStopsOnSigterm) {
    ViewerProcess viewer({});
    ASSERT_TRUE(viewer.started());
    ASSERT_TRUE(ViewerListens());
    // A second viewer is refused; the first one goes on showing the lines.
    ViewerProcess second({});
    ASSERT_TRUE(second.started());
    EXPECT_EQ(second.wait(), 1);
    EXPECT_NE(second.readAllErrors().find("another trace viewer is running"), std::string::npos);

    Trace("value %d reached");
    const std::regex stamped(R"(\d\d:\d\d:\d\d\.\d\d\d value %d reached)");
    const std::string line = viewer.readLine();
    EXPECT_TRUE(std::regex_match(line, stamped)) << line;

    Trace(std::string("bell\a and \\ back"));
    EXPECT_EQ(viewer.readLine().substr(13), "bell\\x07 and \\\\ back");

    viewer.sendSignal(SIGTERM);
    EXPECT_EQ(viewer.wait(), 0);
    // The name is free again.
    EXPECT_TRUE(testing::TraceListener().bound());
}

TEST_F(TraceViewerProgram, RawShowsBlockLengthAndSigintStops) {
    ViewerProcess viewer({"--raw"});
    ASSERT_TRUE(viewer.started());
    ASSERT_TRUE(ViewerListens());
    Trace("English");
    EXPECT_EQ(viewer.readLine().substr(13), "[255] English");
    viewer.sendSignal(SIGINT);
    EXPECT_EQ(viewer.wait(), 0);
}

TEST_F(TraceViewerProgram, VersionAndBadOption) {
    ViewerProcess version({"--version"});
    ASSERT_TRUE(version.started());
    EXPECT_EQ(version.readLine(), std::string("trv81k-trace ") + TRV81K_VERSION);
    EXPECT_EQ(version.wait(), 0);

    ViewerProcess bad({"--no-such-option"});
    ASSERT_TRUE(bad.started());
    EXPECT_NE(bad.wait(), 0);
}

}  // namespace
}  // namespace trv81k
