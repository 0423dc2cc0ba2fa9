#include "protocol/session.h"

#include <thread>

#include "platform/adapters.h"
#include "platform/trace.h"
#include "protocol/Receivemulticastunit.h"
#include "protocol/cipher.h"

namespace trv81k {

std::optional<PlainMessage> prepareRequest(PacketKind kind, ExchangeState& state,
                                           const RequestContent& content) {
    switch (kind) {
        case PacketKind::Search:
            state.setRequestKind(PacketKind::Search);
            state.clearLoginAnswered();
            return buildSearchRequest();
        case PacketKind::Authentication:
            if (!state.hasSelection()) {
                return std::nullopt;
            }
            state.setRequestKind(PacketKind::Authentication);
            return buildAuthRequest(state.selectedToken(), state.selectedMAC(), state.localIP(),
                                    content.loginPassword);
        case PacketKind::Configure:
            state.setRequestKind(PacketKind::Configure);
            if (content.settings == nullptr) {
                return std::nullopt;
            }
            return buildConfigureRequest(*content.settings);
        case PacketKind::CheckBPS:
            return buildCheckBPSRequest(state.selectedMAC());
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

NetworkPort::OpenResult NetworkSession::open() {
    AddressText address{};
    AddressText mask{};
    adapterFound_ = GetNICAddress(address, mask);
    localIPText_ = address.data();
    // An adapter named with --interface is used whether or not it holds its address yet.
    if (const auto chosen = InterfaceOverride()) {
        state_.setLocalIP(*chosen);
    } else if (adapterFound_) {
        state_.setLocalIP(ParseIPv4(localIPText_).value_or(Ipv4Address{}));
    }

    NetworkEndpoint endpoint;
    endpoint.group = group_;
    endpoint.port = port_;
    endpoint.interfaceAddress = state_.localIP();

    channel_ = std::make_unique<MulticastSocket>(io_, endpoint, SocketRole::Channel);
    switch (channel_->status()) {
        case MulticastSocket::Status::SocketFailed:
            channel_.reset();
            return OpenResult::SocketFailed;
        case MulticastSocket::Status::BindFailed:
            channel_.reset();
            return OpenResult::BindFailed;
        case MulticastSocket::Status::Open:
            break;
    }
    receiver_ = std::make_unique<ReceiveMulticast>(state_, endpoint, timing_);
    receiver_->start();
    return OpenResult::Open;
}

bool NetworkSession::sendPacket(PacketKind kind, const RequestContent& content) {
    const std::optional<PlainMessage> plain = prepareRequest(kind, state_, content);
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
    if (!channel_ || !channel_->sendToGroup(datagram)) {
        Trace("Error: send encryption packet fail");
        return false;
    }
    return true;
}

void NetworkSession::close() noexcept {
    if (channel_) {
        channel_->close();
        channel_.reset();
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
    return channel_ && channel_->isOpen();
}
std::vector<Adapter> NetworkSession::adapters() const {
    if (!adapterFound_) {
        return {};
    }
    const Ipv4Address address = state_.localIP();
    for (const InterfaceRecord& record : ReadInterfaceRecords()) {
        if (record.address == address) {
            return {Adapter{record.name, record.address, record.mask}};
        }
    }
    return {Adapter{"", address, {}}};
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
