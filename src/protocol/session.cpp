#include "protocol/session.h"

#include <algorithm>
#include <thread>

#include "platform/adapters.h"
#include "platform/trace.h"
#include "protocol/Receivemulticastunit.h"
#include "protocol/cipher.h"

namespace trv81k {

std::optional<PlainMessage> prepareRequest(PacketKind kind, ExchangeState& state,
                                           const RequestContent& content, const Ipv4Address& from) {
    if (kind == PacketKind::Search) {
        state.setRequestKind(PacketKind::Search);
        state.clearLoginAnswered();
        state.noteSearchRequest();
        return buildSearchRequest();
    }
    // Every other request is for one device: the one named, else the selected one.
    const bool named = content.device >= 0;
    const int device = named ? content.device : state.selectedDevice();
    const bool stored = device >= 0 && device < state.table.count();
    switch (kind) {
        case PacketKind::Authentication: {
            if (named ? !stored : !state.hasSelection()) {
                return std::nullopt;
            }
            state.setRequestKind(PacketKind::Authentication);
            if (stored) {
                state.noteRequestTo(device, PacketKind::Authentication, from);
            }
            return named ? buildAuthRequest(state.table.at(device).deviceToken,
                                            state.table.at(device).macAddress, from,
                                            content.loginPassword)
                         : buildAuthRequest(state.selectedToken(), state.selectedMAC(), from,
                                            content.loginPassword);
        }
        case PacketKind::Configure:
            state.setRequestKind(PacketKind::Configure);
            if (stored) {
                state.noteRequestTo(device, PacketKind::Configure, from);
            }
            if (content.settings == nullptr) {
                return std::nullopt;
            }
            return buildConfigureRequest(*content.settings);
        case PacketKind::CheckBPS:
            return buildCheckBPSRequest(named && stored ? state.table.at(device).macAddress
                                                        : state.selectedMAC());
        case PacketKind::Search:
            break;
    }
    return std::nullopt;
}

NetworkSession::NetworkSession(Timing timing, PauseFn pause, std::uint16_t port, std::string group)
    : timing_(timing), pause_(std::move(pause)), port_(port), group_(std::move(group)) {
    state_.reset();
}

NetworkSession::~NetworkSession() {
    close();
}

NetworkEndpoint NetworkSession::endpointFor(const Adapter& adapter) const {
    NetworkEndpoint endpoint;
    endpoint.group = group_;
    endpoint.port = port_;
    endpoint.interfaceAddress = adapter.address;
    return endpoint;
}

std::optional<NetworkPort::OpenResult> NetworkSession::openChannel(const Adapter& adapter) {
    auto socket = std::make_shared<MulticastSocket>(io_, endpointFor(adapter), SocketRole::Channel);
    switch (socket->status()) {
        case MulticastSocket::Status::SocketFailed:
            return OpenResult::SocketFailed;
        case MulticastSocket::Status::BindFailed:
            return OpenResult::BindFailed;
        case MulticastSocket::Status::Open:
            break;
    }
    channels_.push_back(Channel{adapter, std::move(socket)});
    return std::nullopt;
}

NetworkPort::OpenResult NetworkSession::open() {
    const AdapterChoice choice = FindAdapters();
    adapterFound_ = !choice.adapters.empty();
    if (adapterFound_) {
        localIPText_ = FormatIPv4(choice.adapters.front().address);
        state_.setLocalIP(choice.adapters.front().address);
    }
    const std::lock_guard lock(sendMutex_);
    // Without an adapter one channel on the system's choice, so a later search still goes out.
    const std::vector<Adapter> adapters =
        adapterFound_ ? choice.adapters : std::vector<Adapter>{Adapter{}};
    for (const Adapter& adapter : adapters) {
        if (const auto failure = openChannel(adapter)) {
            channels_.clear();
            return *failure;
        }
    }
    receiver_ = std::make_unique<ReceiveMulticast>(
        state_, endpointFor(Adapter{}), adapterFound_ ? choice.adapters : std::vector<Adapter>{});
    receiver_->start();
    return OpenResult::Open;
}

void NetworkSession::refreshAdapters() {
    const AdapterChoice choice = FindAdapters();
    for (const Adapter& adapter : choice.adapters) {
        const bool known =
            std::any_of(channels_.begin(), channels_.end(),
                        [&adapter](const Channel& c) { return c.adapter == adapter; });
        if (known) {
            continue;
        }
        if (!openChannel(adapter) && receiver_) {
            receiver_->addAdapter(adapter);
        }
    }
    // The system's choice gives way once a real adapter is there.
    if (channels_.size() > 1 && channels_.front().adapter.name.empty()) {
        channels_.erase(channels_.begin());
    }
}

NetworkSession::Channel* NetworkSession::channelFor(int device) {
    if (channels_.empty()) {
        return nullptr;
    }
    if (device >= 0 && device < state_.table.count()) {
        const Adapter& arrivedOn = state_.table.adapterOf(device);
        for (Channel& channel : channels_) {
            if (!arrivedOn.name.empty() && channel.adapter.name == arrivedOn.name) {
                return &channel;
            }
        }
    }
    return &channels_.front();
}

bool NetworkSession::sendPacket(PacketKind kind, const RequestContent& content) {
    std::vector<std::shared_ptr<MulticastSocket>> targets;  // kept alive while in use
    Ipv4Address from = state_.localIP();
    {
        const std::lock_guard lock(sendMutex_);
        if (kind == PacketKind::Search && !channels_.empty()) {
            refreshAdapters();
            for (Channel& channel : channels_) {
                targets.push_back(channel.socket);
            }
        } else if (Channel* channel =
                       channelFor(content.device >= 0 ? content.device : state_.selectedDevice())) {
            targets.push_back(channel->socket);
            if (!channel->adapter.name.empty()) {
                from = channel->adapter.address;
            }
        }
    }
    const std::optional<PlainMessage> plain = prepareRequest(kind, state_, content, from);
    if (!plain) {
        return false;
    }
    if (kind == PacketKind::Authentication) {
        Trace("Send Authentication");
    }
    if (kind == PacketKind::Configure) {
        pause(timing_.configureBuildPause);
    }
    const Datagram datagram = sealPacket(*plain);
    bool sent = false;
    {
        const std::lock_guard lock(sendMutex_);
        for (const auto& socket : targets) {
            sent = socket->sendToGroup(datagram) || sent;
        }
    }
    if (!sent) {
        Trace("Error: send encryption packet fail");
    }
    return sent;
}

void NetworkSession::close() noexcept {
    bool hadChannels = false;
    {
        const std::lock_guard lock(sendMutex_);
        hadChannels = !channels_.empty();
        for (Channel& channel : channels_) {
            channel.socket->close();
        }
        channels_.clear();
    }
    if (hadChannels) {
        pause(timing_.closePause);
    }
    if (receiver_) {
        receiver_->stop();
        receiver_.reset();
    }
}

bool NetworkSession::checkAdapter() {
    return CheckNICState();
}

bool NetworkSession::channelOpen() const {
    const std::lock_guard lock(sendMutex_);
    return std::any_of(channels_.begin(), channels_.end(),
                       [](const Channel& c) { return c.socket->isOpen(); });
}

std::vector<Adapter> NetworkSession::adapters() const {
    const std::lock_guard lock(sendMutex_);
    std::vector<Adapter> adapters;
    for (const Channel& channel : channels_) {
        if (!channel.adapter.name.empty()) {
            adapters.push_back(channel.adapter);
        }
    }
    return adapters;
}

bool NetworkSession::sendProbe() {
    std::vector<Adapter> targets;
    {
        const std::lock_guard lock(sendMutex_);
        for (const Channel& channel : channels_) {
            if (!channel.adapter.name.empty()) {
                targets.push_back(channel.adapter);
            }
        }
    }
    const std::optional<PlainMessage> plain =
        prepareRequest(PacketKind::Search, state_, {}, state_.localIP());
    if (!plain || targets.empty()) {
        return false;
    }
    const Datagram datagram = sealPacket(*plain);
    bool sent = false;
    for (const Adapter& adapter : targets) {
        // A socket of its own, for this one request: loopback is never switched on for the
        // channels the other requests use.
        NetworkEndpoint endpoint = endpointFor(adapter);
        endpoint.probe = true;
        MulticastSocket probe(io_, endpoint, SocketRole::Channel);
        const bool out = probe.sendToGroup(datagram);
        sent = out || sent;
        const std::lock_guard lock(sendMutex_);
        probed_.erase(adapter.name);
        if (out) {
            probed_.insert(adapter.name);
        }
    }
    return sent;
}

std::vector<AdapterFacts> NetworkSession::adapterFacts() const {
    const std::vector<InterfaceRecord> records = ReadInterfaceRecords();
    std::vector<AdapterFacts> facts;
    const std::lock_guard lock(sendMutex_);
    for (const Channel& channel : channels_) {
        if (channel.adapter.name.empty()) {
            continue;
        }
        AdapterFacts fact;
        fact.adapter = channel.adapter;
        for (const InterfaceRecord& record : records) {
            if (record.name == channel.adapter.name) {
                fact.carrier = (record.flags & kInterfaceRunning) != 0;
                fact.multicast = (record.flags & kInterfaceMulticast) != 0;
            }
        }
        fact.probed = probed_.contains(channel.adapter.name);
        if (receiver_) {
            const ReceiveMulticast::Arrivals arrivals = receiver_->arrivalsOn(channel.adapter.name);
            fact.own = arrivals.own;
            fact.foreign = arrivals.foreign;
        }
        facts.push_back(fact);
    }
    // The adapters left out of the search for want of multicast (only when no one adapter
    // was chosen: a chosen one is searched on whatever it is).
    if (!InterfaceChoice()) {
        for (const InterfaceRecord& record : records) {
            const bool candidate =
                (record.flags & kInterfaceUp) != 0 && (record.flags & kInterfaceLoopback) == 0 &&
                (record.flags & kInterfaceMulticast) == 0 && record.address != Ipv4Address{};
            const bool listed = std::any_of(facts.begin(), facts.end(), [&](const AdapterFacts& f) {
                return f.adapter.name == record.name;
            });
            if (candidate && !listed) {
                AdapterFacts fact;
                fact.adapter = Adapter{record.name, record.address, record.mask};
                fact.carrier = (record.flags & kInterfaceRunning) != 0;
                fact.multicast = false;
                fact.searched = false;
                facts.push_back(fact);
            }
        }
    }
    return facts;
}

bool NetworkSession::receiverRunning() const {
    return receiver_ && receiver_->running();
}

std::uint64_t NetworkSession::datagramsReceived() const {
    return receiver_ ? receiver_->datagramsHandled() : 0;
}

void NetworkSession::pause(std::chrono::milliseconds duration) {
    if (pause_) {
        pause_(duration);
    } else {
        std::this_thread::sleep_for(duration);
    }
}

}  // namespace trv81k
