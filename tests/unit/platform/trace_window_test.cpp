// The Windows trace viewer's window: the trace sink's blocks arrive in it, from another thread
// as from another program, and it shows them as lines.

#include <windows.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "platform/trace.h"
#include "trace/windows/trace_window.h"

namespace trv81k {
namespace {

// A trace window on a thread of its own that takes its messages, as the viewer's main thread
// does; the test's thread is the traced program.
class WindowThread {
public:
    WindowThread() {
        thread_ = std::thread([this] {
            TraceWindow window(false,
                               [this](std::span<const std::uint8_t> block, std::size_t length) {
                                   const std::lock_guard lock(mutex_);
                                   blocks_.emplace_back(block.begin(), block.end());
                                   lengths_.push_back(length);
                               });
            {
                const std::lock_guard lock(mutex_);
                window_ = &window;
                made_ = true;
                error_ = window.error();
            }
            ready_.notify_all();
            MSG message;
            while (window.ok() && ::GetMessageA(&message, nullptr, 0, 0) > 0) {
                ::DispatchMessageA(&message);
            }
            const std::lock_guard lock(mutex_);
            window_ = nullptr;
        });
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return made_; });
    }
    ~WindowThread() {
        if (HWND window = handle(); window != nullptr) {
            ::PostMessageA(window, WM_CLOSE, 0, 0);
        }
        thread_.join();
    }
    WindowThread(const WindowThread&) = delete;
    WindowThread& operator=(const WindowThread&) = delete;

    HWND handle() {
        const std::lock_guard lock(mutex_);
        return window_ != nullptr ? window_->handle() : nullptr;
    }
    std::string error() {
        const std::lock_guard lock(mutex_);
        return error_;
    }
    std::vector<std::string> shownLines() {
        const std::lock_guard lock(mutex_);
        return window_ != nullptr ? window_->shownLines() : std::vector<std::string>{};
    }
    std::vector<std::vector<std::uint8_t>> blocks() {
        const std::lock_guard lock(mutex_);
        return blocks_;
    }
    std::vector<std::size_t> lengths() {
        const std::lock_guard lock(mutex_);
        return lengths_;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    bool made_ = false;
    TraceWindow* window_ = nullptr;
    std::string error_;
    std::vector<std::vector<std::uint8_t>> blocks_;
    std::vector<std::size_t> lengths_;
    std::thread thread_;
};

// The text of a shown line after its time stamp.
std::string Shown(const std::string& line) {
    static const std::regex kLine(R"(^\d\d:\d\d:\d\d\.\d\d\d (.*)$)");
    std::smatch match;
    return std::regex_match(line, match, kLine) ? match[1].str() : "(no time stamp: " + line + ")";
}

TEST(TraceWindow, TheSinksBlocksArriveAndAreShown) {
    WindowThread viewer;
    ASSERT_NE(viewer.handle(), nullptr) << viewer.error();
    // The sink finds it by class and title.
    EXPECT_EQ(::FindWindowA(kTraceWindowClass, kTraceWindowTitle), viewer.handle());

    Trace("Send Authentication");
    Trace(std::string(300, 'x'));
    Trace("a\x1b[2Jb\\c\x80");
    Trace(nullptr);

    const auto blocks = viewer.blocks();
    ASSERT_EQ(blocks.size(), 4u);
    EXPECT_EQ(viewer.lengths(), std::vector<std::size_t>(4, kTraceBlockSize));
    // Each block is the line buffer as the sink cut it: the text, zeros up to 255 bytes.
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const auto line = TraceLine(i == 0   ? "Send Authentication"
                                    : i == 1 ? std::string(300, 'x').c_str()
                                    : i == 2 ? "a\x1b[2Jb\\c\x80"
                                             : nullptr);
        EXPECT_EQ(blocks[i],
                  std::vector<std::uint8_t>(line.begin(), line.begin() + kTraceBlockSize))
            << "block " << i;
    }
    const auto lines = viewer.shownLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(Shown(lines[0]), "Send Authentication");
    EXPECT_EQ(Shown(lines[1]), std::string(254, 'x'));
    EXPECT_EQ(Shown(lines[2]), "a\\x1B[2Jb\\\\c\\x80");
    EXPECT_EQ(Shown(lines[3]), "");
}

TEST(TraceWindow, ABlockLongerThanALineIsCutAndABadOneRefused) {
    WindowThread viewer;
    ASSERT_NE(viewer.handle(), nullptr) << viewer.error();
    // Another program's block of 1000 bytes without a zero: a line's worth is taken.
    std::vector<char> big(1000, 'y');
    COPYDATASTRUCT block{0, static_cast<DWORD>(big.size()), big.data()};
    EXPECT_EQ(::SendMessageA(viewer.handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&block)),
              TRUE);
    // A length without data is refused and shows nothing.
    COPYDATASTRUCT broken{0, 10, nullptr};
    EXPECT_EQ(::SendMessageA(viewer.handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&broken)),
              FALSE);
    EXPECT_EQ(viewer.lengths(), std::vector<std::size_t>{1000});
    const auto lines = viewer.shownLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(Shown(lines[0]), std::string(kTraceBlockSize, 'y'));
}

TEST(TraceWindow, OneViewerADesktop) {
    WindowThread first;
    ASSERT_NE(first.handle(), nullptr) << first.error();
    const TraceWindow second(false);
    EXPECT_FALSE(second.ok());
    EXPECT_EQ(second.error(), "another trace viewer is running");
}

}  // namespace
}  // namespace trv81k
