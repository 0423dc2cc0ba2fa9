// The trace viewer's window on Windows.

#include "trace/windows/trace_window.h"

#include <algorithm>
#include <array>
#include <chrono>

#include "platform/trace.h"
#include "trace/viewer_format.h"

namespace trv81k {

namespace {
constexpr int kListId = 1;

std::string SystemError(const char* what) {
    return std::string(what) + " (error " + std::to_string(::GetLastError()) + ")";
}
}  // namespace

TraceWindow::TraceWindow(bool showLength, BlockHandler onBlock)
    : showLength_(showLength),
      onBlock_(std::move(onBlock)),
      instance_(::GetModuleHandleA(nullptr)) {
    // Window names belong to the desktop: the sink would not tell two viewers apart.
    if (::FindWindowA(kTraceWindowClass, kTraceWindowTitle) != nullptr) {
        error_ = "another trace viewer is running";
        return;
    }
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &TraceWindow::Procedure;
    windowClass.hInstance = instance_;
    windowClass.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kTraceWindowClass;
    if (::RegisterClassExA(&windowClass) == 0) {
        error_ = SystemError("cannot register the window class");
        return;
    }
    registered_ = true;
    // WM_NCCREATE hands `this` to the window procedure; window_ is set there.
    if (::CreateWindowExA(0, kTraceWindowClass, kTraceWindowTitle, WS_OVERLAPPEDWINDOW,
                          CW_USEDEFAULT, CW_USEDEFAULT, 720, 480, nullptr, nullptr, instance_,
                          this) == nullptr) {
        window_ = nullptr;
        error_ = SystemError("cannot make the window");
        return;
    }
    if (list_ == nullptr) {
        error_ = "cannot make the window's list";
        ::DestroyWindow(window_);
        window_ = nullptr;
    }
}

TraceWindow::~TraceWindow() {
    if (window_ != nullptr) {
        ::DestroyWindow(window_);
    }
    if (registered_) {
        ::UnregisterClassA(kTraceWindowClass, instance_);
    }
}

std::vector<std::string> TraceWindow::shownLines() const {
    std::vector<std::string> lines;
    if (list_ == nullptr) {
        return lines;
    }
    const LRESULT count = ::SendMessageA(list_, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = ::SendMessageA(list_, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0) {
            break;
        }
        // LB_GETTEXT writes the text and its terminating zero.
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        const LRESULT copied = ::SendMessageA(list_, LB_GETTEXT, static_cast<WPARAM>(i),
                                              reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(std::clamp<LRESULT>(copied, 0, length)));
        lines.push_back(std::move(text));
    }
    return lines;
}

LRESULT CALLBACK TraceWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        auto* self = static_cast<TraceWindow*>(create->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TraceWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) {
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        self->list_ = nullptr;
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    return self->handleMessage(message, wParam, lParam);
}

LRESULT TraceWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            list_ = ::CreateWindowExA(
                WS_EX_CLIENTEDGE, "LISTBOX", "",
                WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT, 0, 0, 0, 0,
                window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), instance_,
                nullptr);
            if (list_ != nullptr) {
                ::SendMessageA(list_, WM_SETFONT,
                               reinterpret_cast<WPARAM>(::GetStockObject(ANSI_FIXED_FONT)), FALSE);
            }
            return 0;
        case WM_SIZE:
            if (list_ != nullptr) {
                ::MoveWindow(list_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            }
            return 0;
        case WM_COPYDATA:
            return receive(reinterpret_cast<const COPYDATASTRUCT*>(lParam)) ? TRUE : FALSE;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcA(window_, message, wParam, lParam);
    }
}

bool TraceWindow::receive(const COPYDATASTRUCT* block) {
    if (block == nullptr || (block->cbData > 0 && block->lpData == nullptr)) {
        return false;
    }
    // The sender's bytes are only valid during this message: a copy of at most the line
    // buffer's size, however long the block says it is.
    std::array<std::uint8_t, kTraceLineBuffer> bytes{};
    const std::size_t length = block->cbData;
    const std::size_t kept = std::min(length, bytes.size());
    if (kept > 0) {
        std::copy_n(static_cast<const std::uint8_t*>(block->lpData), kept, bytes.begin());
    }
    const auto received = std::span<const std::uint8_t>(bytes).first(kept);
    if (onBlock_) {
        onBlock_(received, length);
    }
    if (list_ == nullptr) {
        return true;
    }
    const std::string line =
        FormatTraceOutput(std::chrono::system_clock::now(), received, length, showLength_);
    while (::SendMessageA(list_, LB_GETCOUNT, 0, 0) >= static_cast<LRESULT>(kMaxLines)) {
        if (::SendMessageA(list_, LB_DELETESTRING, 0, 0) == LB_ERR) {
            break;
        }
    }
    const LRESULT index =
        ::SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (index >= 0) {
        ::SendMessageA(list_, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    }
    return true;
}

}  // namespace trv81k
