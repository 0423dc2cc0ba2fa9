// A long-running receiver for the flood test: one NetworkSession (the wizard's and the
// command-line tool's network code) whose main thread plays the window thread, looking at the
// shared state every millisecond as the dialogs' timers do. It measures what the flood must
// not change:
//   - how long the window thread's looks at the state take and how far apart they come (it
//     never waits on the receiver, so neither grows with the traffic);
//   - the resident memory of the process before and after (the receiver keeps nothing per
//     datagram);
//   - which devices the table holds at the end (no datagram of the flood is ever stored).
// Run it on a lab host only (scripts/netlab), never in the machine's own network namespace.
//   flood_probe --interface ADDR [--seconds S]
// Prints "ready" once the receiver runs. Then it takes commands, one a line, on standard input:
//   rss      prints "rss KIB", the resident memory now, and makes it the "before" figure
//   search   sends one search request through the session, as the search page does, and
//            prints "searched"
//   count    prints "count N", the devices stored so far
// At the end of its input, SIGTERM, SIGINT or after S seconds it prints one JSON object.
#include <poll.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <array>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>

#include "platform/adapters.h"
#include "protocol/session.h"

namespace {

using namespace trv81k;
using Clock = std::chrono::steady_clock;

std::atomic<bool> stopRequested{false};

void onSignal(int) {
    stopRequested.store(true);
}

// A field of /proc/self/status in KiB ("VmRSS", "VmHWM"); -1 when absent.
long statusKiB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, field.size() + 1, field + ":") == 0) {
            return std::stol(line.substr(field.size() + 1));
        }
    }
    return -1;
}

// Durations in microseconds, counted in buckets of powers of two: fixed memory however long
// the run, so the probe itself does not grow.
class Histogram {
public:
    void add(Clock::duration d) {
        const auto us = std::chrono::duration_cast<std::chrono::microseconds>(d).count();
        std::size_t bucket = 0;
        while (bucket + 1 < counts_.size() && (1LL << bucket) <= us) {
            ++bucket;
        }
        ++counts_[bucket];
        ++total_;
        max_ = std::max<long long>(max_, us);
    }
    long long max() const { return max_; }
    long long total() const { return total_; }
    // The smallest bucket bound (us) that at least `share` of the samples lie below.
    long long quantileBound(double share) const {
        long long seen = 0;
        for (std::size_t i = 0; i < counts_.size(); ++i) {
            seen += counts_[i];
            if (static_cast<double>(seen) >= share * static_cast<double>(total_)) {
                return 1LL << i;
            }
        }
        return max_;
    }

private:
    std::array<long long, 32> counts_{};
    long long total_ = 0;
    long long max_ = 0;
};

// Commands from standard input, read without blocking: the window thread never waits here.
class Commands {
public:
    // The next complete line, or nothing. `ended` turns true at the end of the input.
    std::optional<std::string> next() {
        for (;;) {
            if (const auto newline = pending_.find('\n'); newline != std::string::npos) {
                std::string line = pending_.substr(0, newline);
                pending_.erase(0, newline + 1);
                return line;
            }
            if (ended) {
                return std::nullopt;
            }
            ::pollfd ready{0, POLLIN, 0};
            if (::poll(&ready, 1, 0) <= 0) {
                return std::nullopt;
            }
            char chunk[256];
            const ssize_t got = ::read(0, chunk, sizeof chunk);
            if (got <= 0) {
                ended = true;
            } else {
                pending_.append(chunk, static_cast<std::size_t>(got));
            }
        }
    }
    bool ended = false;

private:
    std::string pending_;
};

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"a receiver that measures itself while the device group is flooded"};
    std::string interface;
    double seconds = 60;
    app.add_option("--interface", interface, "adapter address")->required();
    app.add_option("--seconds", seconds, "end after this long at the latest");
    CLI11_PARSE(app, argc, argv);
    if (!SetInterfaceChoice(interface)) {
        std::fprintf(stderr, "flood_probe: bad --interface %s\n", interface.c_str());
        return 2;
    }
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);

    NetworkSession session;  // the real Timing: the receiver's 100 ms pause included
    if (session.open() != NetworkSession::OpenResult::Open || !session.receiverRunning()) {
        std::fprintf(stderr, "flood_probe: the session did not open\n");
        return 1;
    }
    ExchangeState& state = session.state();
    // Settle: the receiver thread's stack and the allocator's first pages are in place.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    long rssBefore = statusKiB("VmRSS");
    std::printf("ready\n");
    std::fflush(stdout);
    Commands commands;

    Histogram look;  // one look at the state, as a dialog's timer tick makes it
    Histogram gap;   // from one look to the next (1 ms apart when nothing holds it up)
    int seenDevices = 0;
    const auto begun = Clock::now();
    const auto end = begun + std::chrono::duration<double>(seconds);
    auto previous = Clock::now();
    while (!stopRequested.load() && !commands.ended && Clock::now() < end) {
        while (const auto command = commands.next()) {
            if (*command == "rss") {
                rssBefore = statusKiB("VmRSS");
                std::printf("rss %ld\n", rssBefore);
            } else if (*command == "search") {
                state.clearSearchAnswered();
                std::printf(session.sendPacket(PacketKind::Search, {}) ? "searched\n"
                                                                       : "not sent\n");
            } else if (*command == "count") {
                std::printf("count %d\n", state.table.count());
            } else {
                std::printf("unknown command\n");
            }
            std::fflush(stdout);
        }
        const auto start = Clock::now();
        gap.add(start - previous);
        previous = start;
        // What the search dialog's tick reads: the flags and the table up to deviceCount.
        const int count = state.table.count();
        for (int i = seenDevices; i < count; ++i) {
            (void)state.table.at(i).deviceNameText();
        }
        seenDevices = count;
        (void)state.searchAnswered();
        (void)state.deviceListed();
        look.add(Clock::now() - start);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const long rssAfter = statusKiB("VmRSS");
    const std::uint64_t handled = session.datagramsReceived();

    nlohmann::ordered_json report;
    report["rssBeforeKiB"] = rssBefore;
    report["rssAfterKiB"] = rssAfter;
    report["rssPeakKiB"] = statusKiB("VmHWM");
    report["datagramsHandled"] = handled;
    report["seconds"] = std::chrono::duration<double>(Clock::now() - begun).count();
    report["looks"] = look.total();
    report["lookMaxUs"] = look.max();
    report["gapP99BoundUs"] = gap.quantileBound(0.99);
    report["gapMaxUs"] = gap.max();
    nlohmann::ordered_json devices = nlohmann::ordered_json::array();
    for (int i = 0; i < state.table.count(); ++i) {
        const DeviceInfo& d = state.table.at(i);
        devices.push_back({{"mac", formatMac(d.macAddress)}, {"name", d.deviceNameText()}});
    }
    report["devices"] = devices;
    session.close();
    std::printf(
        "%s\n",
        report.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
    return 0;
}
