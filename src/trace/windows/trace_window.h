#pragma once
// The trace viewer's window on Windows: a top-level window of class "TMainFrame" titled
// "TRACE Window", which the programs' trace sink finds by that class and title and sends each
// line to as one WM_COPYDATA block (platform/trace.h). Every block becomes one line of its list,
// with a local time stamp and escaped as on Linux (trace/viewer_format.h); the oldest lines go
// once kMaxLines are shown.
//
// The window belongs to the thread that makes it, which must run a message loop: a line arrives
// only while that thread takes messages. Closing the window ends that thread's loop
// (WM_QUIT).

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace trv81k {

class TraceWindow {
public:
    // Called on the window's thread with each block as received (at most the line buffer's
    // 256 bytes of it) and the length the sender gave.
    using BlockHandler =
        std::function<void(std::span<const std::uint8_t> block, std::size_t length)>;

    static constexpr std::size_t kMaxLines = 10000;

    // `showLength`: each line also shows the block's length, as "[N] ". Check ok(): a window
    // that another viewer already shows, or one the system refuses, is not made.
    explicit TraceWindow(bool showLength, BlockHandler onBlock = {});
    ~TraceWindow();
    TraceWindow(const TraceWindow&) = delete;
    TraceWindow& operator=(const TraceWindow&) = delete;

    bool ok() const { return window_ != nullptr; }
    const std::string& error() const { return error_; }
    HWND handle() const { return window_; }

    // The lines the list shows, oldest first. From any thread while the window's thread takes
    // messages.
    std::vector<std::string> shownLines() const;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool receive(const COPYDATASTRUCT* block);

    bool showLength_;
    BlockHandler onBlock_;
    HINSTANCE instance_;
    bool registered_ = false;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
    std::string error_;
};

}  // namespace trv81k
