// Measurements of the network code on a lab network (scripts/measure-network runs it there;
// never start it in the machine's own network namespace).
//
//   lab_probe --interface ADDR search  [--devices N] [--rounds R]
//       A NetworkSession with the real Timing per round: one search request, then the time
//       until the first and until N devices are in the DeviceTable.
//   lab_probe --interface ADDR latency [--rounds R]
//       One channel socket: a search request, the time until the first answer is readable.
//   lab_probe --interface ADDR idle    [--seconds S]
//       A NetworkSession left open and idle; then the CPU time of each of the process's
//       threads (the receiver among them) from /proc/self/task.
// Results go to standard output, one "name value unit" line each, so scripts can pick them.
#include <poll.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/adapters.h"
#include "protocol/channel.h"
#include "protocol/cipher.h"
#include "protocol/session.h"

namespace {

using namespace trv81k;
using Clock = std::chrono::steady_clock;

double microseconds(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

// min, median, 90th and 99th percentile and max of a sample, in the sample's unit.
void summary(const std::string& name, std::vector<double> values, const char* unit) {
    if (values.empty()) {
        std::printf("%s none %s\n", name.c_str(), unit);
        return;
    }
    std::sort(values.begin(), values.end());
    const auto at = [&](double q) {
        return values[static_cast<std::size_t>(q * static_cast<double>(values.size() - 1))];
    };
    const std::pair<const char*, double> rows[] = {{"min", values.front()},
                                                   {"median", at(0.5)},
                                                   {"p90", at(0.9)},
                                                   {"p99", at(0.99)},
                                                   {"max", values.back()}};
    for (const auto& [label, value] : rows) {
        std::printf("%s_%s %.1f %s\n", name.c_str(), label, value, unit);
    }
}

int searchTime(int devices, int rounds) {
    std::vector<double> first, all;
    int incomplete = 0;
    for (int round = 0; round < rounds; ++round) {
        NetworkSession session;  // real Timing
        if (session.open() != NetworkSession::OpenResult::Open) {
            std::fprintf(stderr, "lab_probe: the session did not open\n");
            return 1;
        }
        const ExchangeState& state = session.state();
        const auto sent = Clock::now();
        session.sendPacket(PacketKind::Search, {});
        Clock::time_point firstAt{}, allAt{};
        // A tight poll (50 us) so that the probe, not the poller, limits the resolution.
        while (Clock::now() - sent < std::chrono::seconds(3)) {
            const int count = state.table.count();
            if (count > 0 && firstAt == Clock::time_point{}) {
                firstAt = Clock::now();
            }
            if (count >= devices) {
                allAt = Clock::now();
                break;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
        if (firstAt != Clock::time_point{}) {
            first.push_back(microseconds(firstAt - sent) / 1000);
        }
        if (allAt != Clock::time_point{}) {
            all.push_back(microseconds(allAt - sent) / 1000);
        } else {
            ++incomplete;
            std::fprintf(stderr, "lab_probe: round %d: %d of %d devices within 3 s\n", round + 1,
                         state.table.count(), devices);
        }
        session.close();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    summary("first_device", first, "ms");
    summary("all_" + std::to_string(devices) + "_devices", all, "ms");
    std::printf("rounds_incomplete %d of %d\n", incomplete, rounds);
    return incomplete == 0 ? 0 : 1;
}

int latency(int rounds) {
    asio::io_context io;
    NetworkEndpoint endpoint;
    const AdapterChoice adapters = FindAdapters();
    if (!adapters.adapters.empty()) {
        endpoint.interfaceAddress = adapters.adapters.front().address;
    }
    MulticastSocket socket(io, endpoint, SocketRole::Device);
    if (!socket.isOpen()) {
        std::fprintf(stderr, "lab_probe: the socket did not open\n");
        return 1;
    }
    const int fd = socket.socket().native_handle();
    std::array<std::uint8_t, kReceiveBufferSize> buffer{};
    const auto drain = [&](int milliseconds) {
        ::pollfd ready{fd, POLLIN, 0};
        while (::poll(&ready, 1, milliseconds) > 0) {
            ::recv(fd, buffer.data(), buffer.size(), 0);
        }
    };
    std::vector<double> samples;
    int lost = 0;
    for (int round = 0; round < rounds; ++round) {
        const Datagram request = sealPacket(buildSearchRequest());  // sealed before the clock
        const auto sent = Clock::now();
        socket.sendToGroup(request);
        bool answered = false;
        while (!answered) {
            ::pollfd ready{fd, POLLIN, 0};
            if (::poll(&ready, 1, 1000) <= 0) {
                break;
            }
            const auto arrived = Clock::now();
            const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
            if (n <= 0) {
                continue;
            }
            const PlainMessage plain =
                decryptPacket(std::span<const std::uint8_t>(buffer.data(), std::size_t(n)));
            if (classify(plain) == MessageKind::SearchAnswer) {
                samples.push_back(microseconds(arrived - sent));
                answered = true;
            }
        }
        lost += answered ? 0 : 1;
        drain(20);  // further answers of this round
    }
    summary("answer_latency", samples, "us");
    std::printf("rounds_unanswered %d of %d\n", lost, rounds);
    return lost == 0 ? 0 : 1;
}

// "utime stime" of a thread in clock ticks, and its time on the CPU in ns (schedstat).
struct ThreadCpu {
    std::string tid, name;
    long ticks = 0;
    long long nanoseconds = -1;
};

std::vector<ThreadCpu> threadsCpu() {
    std::vector<ThreadCpu> threads;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
        ThreadCpu t;
        t.tid = entry.path().filename().string();
        std::ifstream comm(entry.path() / "comm");
        std::getline(comm, t.name);
        std::ifstream statFile(entry.path() / "stat");
        std::string stat((std::istreambuf_iterator<char>(statFile)), {});
        // Fields after the command name in parentheses: state is field 3, utime 14, stime 15.
        std::istringstream rest(stat.substr(stat.rfind(')') + 2));
        std::vector<std::string> fields{std::istream_iterator<std::string>(rest), {}};
        if (fields.size() > 12) {
            t.ticks = std::stol(fields[11]) + std::stol(fields[12]);
        }
        std::ifstream schedstat(entry.path() / "schedstat");
        schedstat >> t.nanoseconds;
        threads.push_back(t);
    }
    return threads;
}

int idle(double seconds) {
    NetworkSession session;
    if (session.open() != NetworkSession::OpenResult::Open || !session.receiverRunning()) {
        std::fprintf(stderr, "lab_probe: the session did not open\n");
        return 1;
    }
    const std::string self = std::to_string(::getpid());
    const auto before = threadsCpu();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const auto after = threadsCpu();
    for (const ThreadCpu& t : after) {
        const auto earlier = std::find_if(before.begin(), before.end(),
                                          [&](const ThreadCpu& b) { return b.tid == t.tid; });
        const long long ns =
            earlier != before.end() ? t.nanoseconds - earlier->nanoseconds : t.nanoseconds;
        const char* role = t.tid == self ? "main" : "receiver";
        std::printf("idle_%s_thread_cpu %.3f ms in %.1f s (utime+stime %ld ticks of 1/%ld s)\n",
                    role, static_cast<double>(ns) / 1e6, seconds, t.ticks, ::sysconf(_SC_CLK_TCK));
    }
    std::printf("datagrams_received %llu\n",
                static_cast<unsigned long long>(session.datagramsReceived()));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"measurements of the network code on a lab network"};
    std::string interface;
    int devices = 32;
    int rounds = 20;
    double seconds = 10;
    app.add_option("--interface", interface, "adapter address")->required();
    app.require_subcommand(1);
    CLI::App* search = app.add_subcommand("search", "time until N devices are stored");
    search->add_option("--devices", devices, "devices expected");
    search->add_option("--rounds", rounds, "searches");
    CLI::App* lat = app.add_subcommand("latency", "time until the first answer arrives");
    lat->add_option("--rounds", rounds, "requests");
    CLI::App* quiet = app.add_subcommand("idle", "CPU time of an idle session's threads");
    quiet->add_option("--seconds", seconds, "how long to stay idle");
    CLI11_PARSE(app, argc, argv);
    if (!SetInterfaceChoice(interface)) {
        std::fprintf(stderr, "lab_probe: bad --interface %s\n", interface.c_str());
        return 2;
    }
    if (search->parsed()) {
        return searchTime(devices, rounds);
    }
    if (lat->parsed()) {
        return latency(rounds);
    }
    return idle(seconds);
}
