// The debug trace channel as WM_COPYDATA to the trace window.
//
// No shared state: each call has its own buffer and descriptor block, so any thread may trace
// at any moment without a lock.

#include <windows.h>

#include "platform/trace.h"

namespace trv81k {

namespace {
// How long a viewer may take over one line before the line is given up.
constexpr UINT kViewerTimeoutMs = 200;
}  // namespace

void Trace(const char* text) {
    std::array<char, kTraceLineBuffer> line = TraceLine(text);
    // Without a viewer the lookup yields no window and nothing else happens.
    HWND viewer = FindWindowA(kTraceWindowClass, kTraceWindowTitle);
    if (viewer == nullptr) {
        return;
    }
    COPYDATASTRUCT block{};
    block.dwData = 0;
    block.cbData = static_cast<DWORD>(kTraceBlockSize);
    block.lpData = line.data();
    DWORD_PTR answer = 0;
    // The answer, a timeout and a failed send are never examined.
    (void)SendMessageTimeoutA(viewer, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&block),
                              SMTO_ABORTIFHUNG | SMTO_BLOCK, kViewerTimeoutMs, &answer);
}

}  // namespace trv81k
