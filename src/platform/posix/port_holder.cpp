#include "platform/port_holder.h"

#include <unistd.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string_view>
#include <system_error>

namespace trv81k {
namespace {

namespace fs = std::filesystem;

// At most this many processes are looked into, so a crowded machine cannot stall the search.
constexpr int kMaxProcesses = 4096;

// The inodes of the UDP sockets bound to `port`, from /proc/net/udp
// ("  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout
// inode").
std::set<std::string> SocketInodes(std::uint16_t port) {
    std::set<std::string> inodes;
    std::ifstream table("/proc/net/udp");
    std::string line;
    std::getline(table, line);  // the heading
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout, inode;
        if (!(fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >>
              timeout >> inode)) {
            continue;
        }
        const std::size_t colon = local.find(':');
        if (colon == std::string::npos) {
            continue;
        }
        unsigned value = 0;
        const std::string_view hex = std::string_view(local).substr(colon + 1);
        const auto [end, error] = std::from_chars(hex.data(), hex.data() + hex.size(), value, 16);
        if (error == std::errc{} && end == hex.data() + hex.size() && value == port &&
            inode != "0") {
            inodes.insert(inode);
        }
    }
    return inodes;
}

}  // namespace

std::string UdpPortHolder(std::uint16_t port) {
    const std::set<std::string> inodes = SocketInodes(port);
    if (inodes.empty()) {
        return {};
    }
    const std::string self = std::to_string(::getpid());
    std::error_code error;
    int looked = 0;
    for (fs::directory_iterator process("/proc", error), end; !error && process != end;
         process.increment(error)) {
        const std::string pid = process->path().filename().string();
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos ||
            pid == self) {
            continue;
        }
        if (++looked > kMaxProcesses) {
            break;
        }
        std::error_code fdError;
        for (fs::directory_iterator fd(process->path() / "fd", fdError), fdEnd;
             !fdError && fd != fdEnd; fd.increment(fdError)) {
            std::error_code linkError;
            const std::string target = fs::read_symlink(fd->path(), linkError).string();
            if (linkError || !target.starts_with("socket:[") || target.size() < 10) {
                continue;
            }
            if (!inodes.contains(target.substr(8, target.size() - 9))) {
                continue;
            }
            std::ifstream commFile(process->path() / "comm");
            std::string name;
            std::getline(commFile, name);
            return (name.empty() ? std::string("a program") : name) + " (process " + pid + ")";
        }
    }
    return {};
}

}  // namespace trv81k
