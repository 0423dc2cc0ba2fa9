// Who holds a UDP port, from the system's UDP table with the owning process of each endpoint.

// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
// clang-format on

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/port_holder.h"
#include "platform/windows/text.h"

namespace trv81k {
namespace {

// The image name of a process ("trv81k-emulator.exe"), empty when it cannot be asked.
std::string ProcessName(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == nullptr) {
        return {};
    }
    std::array<wchar_t, MAX_PATH> path{};
    DWORD size = static_cast<DWORD>(path.size());
    const BOOL ok = QueryFullProcessImageNameW(process, 0, path.data(), &size);
    CloseHandle(process);
    if (!ok) {
        return {};
    }
    return Utf8Of(std::filesystem::path(std::wstring(path.data(), size)).filename().c_str());
}

}  // namespace

std::string UdpPortHolder(std::uint16_t port) {
    ULONG size = 16 * 1024;
    std::vector<std::uint8_t> storage;
    DWORD status = ERROR_INSUFFICIENT_BUFFER;
    for (int attempt = 0; attempt < 3 && status == ERROR_INSUFFICIENT_BUFFER; ++attempt) {
        storage.assign(size, 0);
        status = GetExtendedUdpTable(storage.data(), &size, FALSE, AF_INET, UDP_TABLE_OWNER_PID, 0);
    }
    if (status != NO_ERROR) {
        return {};
    }
    const auto* table = reinterpret_cast<const MIB_UDPTABLE_OWNER_PID*>(storage.data());
    const DWORD self = GetCurrentProcessId();
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const MIB_UDPROW_OWNER_PID& row = table->table[i];
        if (ntohs(static_cast<u_short>(row.dwLocalPort)) != port || row.dwOwningPid == self) {
            continue;
        }
        const std::string name = ProcessName(row.dwOwningPid);
        return (name.empty() ? std::string("a program") : name) + " (process " +
               std::to_string(row.dwOwningPid) + ")";
    }
    return {};
}

}  // namespace trv81k
