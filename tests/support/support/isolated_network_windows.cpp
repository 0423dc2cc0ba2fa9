// The Windows side of the isolation guard: before main, a test program that opens multicast
// sockets makes sure the only adapters it sees are loopback ones (under Wine: the network
// namespace scripts/windows-build starts Wine in). It cannot make a namespace itself, so it
// stops before any test runs otherwise.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
// clang-format on

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

bool OnlyLoopback() {
    ULONG size = 16 * 1024;
    std::vector<unsigned char> storage;
    ULONG status = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 3 && status == ERROR_BUFFER_OVERFLOW; ++attempt) {
        storage.assign(size, 0);
        status = GetAdaptersAddresses(
            AF_UNSPEC, 0, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(storage.data()), &size);
    }
    if (status == ERROR_NO_DATA) {
        return true;
    }
    if (status != NO_ERROR) {
        return false;
    }
    for (auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(storage.data());
         adapter != nullptr; adapter = adapter->Next) {
        if (adapter->IfType != IF_TYPE_SOFTWARE_LOOPBACK &&
            adapter->FirstUnicastAddress != nullptr) {
            return false;
        }
    }
    return true;
}

[[maybe_unused]] const bool kIsolated = [] {
    if (OnlyLoopback()) {
        return true;
    }
    std::fprintf(stderr,
                 "this test program opens multicast sockets and runs only where nothing but "
                 "loopback is seen (run it through scripts/windows-build)\n");
    std::_Exit(1);
}();

}  // namespace
