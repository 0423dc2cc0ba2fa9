#include "core/link.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <thread>

#include "core/overrides.h"
#include "platform/adapters.h"
#include "platform/port_holder.h"
#include "protocol/session.h"
#include "settings/text_encoding.h"

namespace trv81k {

using std::chrono::milliseconds;

std::unique_ptr<NetworkPort> MakeNetworkSession(const NetworkConfig& network,
                                                std::function<void(milliseconds)> pause) {
    return std::make_unique<NetworkSession>(network.timing, std::move(pause), network.port,
                                            network.group);
}

std::string_view OpenFailureKey(NetworkPort::OpenResult result) {
    switch (result) {
        case NetworkPort::OpenResult::Open:
            break;
        case NetworkPort::OpenResult::SocketFailed:
            return "SOCKET_FAIL";
        case NetworkPort::OpenResult::BindFailed:
            return "BIND_FAIL";
    }
    return {};
}

std::string SecondsText(milliseconds duration) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.3g s", static_cast<double>(duration.count()) / 1000);
    return text.data();
}

std::string MillisecondsText(Clock::duration duration) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.1f ms",
                  std::chrono::duration<double, std::milli>(duration).count());
    return text.data();
}

milliseconds ConfigureDialogLength(const Timing& timing) {
    return kConfigureTicks * timing.configureTick;
}

milliseconds SearchDialogLength(const Timing& timing) {
    return kSearchTicks * timing.searchTick;
}

SearchEnd::SearchEnd(Clock::time_point sent, milliseconds quiet, std::optional<int> expect)
    : sent_(sent), quiet_(quiet), expect_(expect), lastNew_(sent), wait_(quiet) {}

bool SearchEnd::operator()(int stored, Clock::time_point now) {
    if (stored > seen_) {
        if (seen_ == 0) {
            wait_ = std::max<Clock::duration>(quiet_, now - sent_);
        }
        seen_ = stored;
        lastNew_ = now;
    }
    if (expect_) {
        return seen_ >= *expect_;
    }
    return seen_ > 0 && now - lastNew_ >= wait_;
}

std::function<bool(const DeviceTable&)> QuietSearch(milliseconds quiet, std::optional<int> expect) {
    std::optional<SearchEnd> end;
    return [end, quiet, expect](const DeviceTable& table) mutable {
        const auto now = Clock::now();
        if (!end) {
            end.emplace(now, quiet, expect);
        }
        return (*end)(table.count(), now);
    };
}

Link::Link(const NetworkConfig& network, NoteFn verbose)
    : network_(network),
      verbose_(std::move(verbose)),
      session_(std::make_unique<NetworkSession>(network.timing, NetworkSession::PauseFn{},
                                                network.port, network.group)),
      exchanges_(std::make_unique<Exchanges>(*session_, network.timing, SleepingWait())) {}

Link::~Link() {
    close();
}

ExchangeState& Link::state() {
    return session_->state();
}

void Link::note(const std::string& line) const {
    if (verbose_) {
        verbose_(line);
    }
}

std::optional<Refusal> ChooseInterface(const std::string& interface) {
    if (!SetInterfaceChoice(interface)) {
        return Refuse("--interface " + interface,
                      "is neither an adapter's name nor an IPv4 address");
    }
    if (const AdapterChoice chosen = FindAdapters(); chosen.adapters.empty()) {
        return Refuse("--interface " + interface, chosen.problem);
    }
    return std::nullopt;
}

std::optional<Refusal> Link::open(std::string_view purpose) {
    if (const AdapterChoice adapters = FindAdapters(); adapters.adapters.empty()) {
        return Refuse(std::string(purpose), adapters.problem, {}, Outcome::Network);
    }
    const NetworkPort::OpenResult opened = session_->open();
    if (opened == NetworkPort::OpenResult::SocketFailed) {
        return RefuseWithText(std::string(purpose), OpenFailureKey(opened), {}, {},
                              Outcome::Network);
    }
    if (opened == NetworkPort::OpenResult::BindFailed) {
        const std::string holder = UdpPortHolder(network_.port);
        return RefuseWithText(std::string(purpose) + ": UDP port " + std::to_string(network_.port),
                              OpenFailureKey(opened), {},
                              holder.empty() ? std::string() : "held by " + TerminalText(holder),
                              Outcome::Network);
    }
    note("adapters " + adapterList());
    return std::nullopt;
}

std::string Link::adapterList() const {
    std::string text;
    for (const Adapter& adapter : session_->adapters()) {
        text += (text.empty() ? "" : ", ") + AdapterText(adapter);
    }
    return text;
}

std::optional<Refusal> Link::search(std::optional<milliseconds> limit,
                                    const std::function<bool(const DeviceTable&)>& enough) {
    const ExchangeState& state = session_->state();
    const auto sent = Clock::now();
    int seen = state.table.count();
    Clock::time_point lastStored = sent;
    // Looked at by the wait: notes when the table grew, and ends it once `enough` holds.
    const auto until = [&] {
        const int count = state.table.count();
        if (count != seen) {
            seen = count;
            lastStored = Clock::now();
        }
        return enough && enough(state.table);
    };
    const bool requested =
        limit ? exchanges_->searchFor(*limit, until) : exchanges_->search({}, until);
    if (!requested) {
        return RefuseWithText("search request", "SOCKET_FAIL", {}, {}, Outcome::Network);
    }
    until();
    if (verbose_) {
        std::string line = "search: " + std::to_string(seen) + " device(s) stored";
        if (seen > 0) {
            line += ", the last " + MillisecondsText(lastStored - sent) + " after the request";
        }
        note(line + ", ended " + MillisecondsText(Clock::now() - sent) +
             " after it; receiver handled " + std::to_string(session_->datagramsReceived()) +
             " datagram(s)");
    }
    return std::nullopt;
}

void Link::close() {
    if (closed_) {
        return;
    }
    closed_ = true;
    note("receiver handled " + std::to_string(session_->datagramsReceived()) +
         " datagram(s) in all");
    session_->close();
}

std::optional<Adapter> Link::adapterOf(int index) const {
    const Adapter& arrived = session_->state().table.adapterOf(index);
    if (!arrived.name.empty() || arrived.address != Ipv4Address{}) {
        return arrived;
    }
    const std::vector<Adapter> searched = session_->adapters();
    if (searched.size() == 1) {
        return searched.front();
    }
    return std::nullopt;
}

VerifyResult VerifyAnnounced(std::span<const ConfigureSettings> written,
                             std::chrono::duration<double> limit, const NetworkConfig& network,
                             const NoteFn& verbose) {
    VerifyResult result;
    result.devices.resize(written.size());
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(limit);
    const auto pending = [&](std::size_t i) { return !result.devices[i].verified(); };
    while (Clock::now() < deadline) {
        Link link(network, verbose);
        if (auto refusal = link.open("verify")) {
            result.network = std::move(refusal);
            return result;
        }
        const auto window = std::chrono::duration_cast<milliseconds>(
            std::min<Clock::duration>(deadline - Clock::now(), SearchDialogLength(network.timing)));
        // Ends once every device still to verify has answered this search.
        const auto allAnswered = [&](const DeviceTable& table) {
            for (std::size_t i = 0; i < written.size(); ++i) {
                if (pending(i) && !table.find(written[i].mac)) {
                    return false;
                }
            }
            return true;
        };
        if (auto refusal = link.search(window, allAnswered)) {
            result.network = std::move(refusal);
            return result;
        }
        bool all = true;
        for (std::size_t i = 0; i < written.size(); ++i) {
            if (!pending(i)) {
                continue;
            }
            if (const auto index = link.state().table.find(written[i].mac)) {
                result.devices[i].answered = true;
                result.devices[i].differences =
                    CompareAnnounced(written[i], link.state().table.at(*index));
            }
            all = all && result.devices[i].verified();
        }
        link.close();
        if (all) {
            break;
        }
        const auto rest = deadline - Clock::now();
        if (rest > Clock::duration::zero()) {
            std::this_thread::sleep_for(std::min<Clock::duration>(rest, network.timing.searchTick));
        }
    }
    return result;
}

}  // namespace trv81k
