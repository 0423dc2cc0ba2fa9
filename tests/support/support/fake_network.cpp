#include "support/fake_network.h"

#include "protocol/handle_datagram.h"

namespace trv81k::testing {

FakeNetwork::FakeNetwork(std::vector<emulator::EmulatedDevice> devices)
    : emulator_(std::move(devices)) {
    state_.reset();
}

FakeNetwork::~FakeNetwork() {
    stopReceiver();
}

NetworkPort::OpenResult FakeNetwork::open() {
    state_.setLocalIP(localIP);
    if (openResult == OpenResult::Open && !receiver_.joinable()) {
        stopRequested_ = false;
        receiver_ = std::thread([this] { receive(); });
    }
    return openResult;
}

void FakeNetwork::receive() {
    std::unique_lock lock(mutex_);
    while (!stopRequested_) {
        if (due_.empty()) {
            wake_.wait(lock);
            continue;
        }
        const auto next = due_.begin();
        if (Clock::now() < next->first) {
            wake_.wait_until(lock, next->first);
            continue;
        }
        const PlainMessage answer = next->second;
        due_.erase(next);
        lock.unlock();
        deliver(answer);
        lock.lock();
    }
}

bool FakeNetwork::sendPacket(PacketKind kind, const RequestContent& content) {
    const std::optional<PlainMessage> plain = prepareRequest(kind, state_, content, localIP);
    if (!plain) {
        return false;
    }
    {
        const std::lock_guard lock(mutex_);
        ++sent_[kind];
        requests_.push_back(*plain);
    }
    const emulator::Reaction reaction =
        emulator_.handlePlain(*plain, localIP, emulator::Clock::now());
    const auto rule = delivery_.find(kind);
    const Delivery delivery = rule == delivery_.end() ? Delivery::Immediate : rule->second.first;
    for (const PlainMessage& answer : reaction.answers) {
        switch (delivery) {
            case Delivery::Immediate:
                deliver(answer);
                break;
            case Delivery::Delayed: {
                const std::lock_guard lock(mutex_);
                due_.emplace(Clock::now() + rule->second.second, answer);
                wake_.notify_all();
                break;
            }
            case Delivery::Held:
                held_.push_back(answer);
                break;
        }
    }
    return true;
}

void FakeNetwork::deliver(const PlainMessage& answer) {
    handlePlainMessage(answer, state_, Adapter{"lan1", localIP, {}});
}

void FakeNetwork::releaseHeld() {
    std::vector<PlainMessage> answers;
    answers.swap(held_);
    for (const PlainMessage& answer : answers) {
        deliver(answer);
    }
}

void FakeNetwork::close() noexcept {
    ++closeCount_;
    stopReceiver();
}

void FakeNetwork::stopReceiver() {
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    wake_.notify_all();
    if (receiver_.joinable()) {
        receiver_.join();
    }
}

bool FakeNetwork::receiverRunning() const {
    return receiver_.joinable();
}

void FakeNetwork::setDelivery(PacketKind kind, Delivery delivery, std::chrono::milliseconds delay) {
    delivery_[kind] = {delivery, delay};
}

int FakeNetwork::sent(PacketKind kind) const {
    const std::lock_guard lock(mutex_);
    const auto it = sent_.find(kind);
    return it == sent_.end() ? 0 : it->second;
}

std::vector<PlainMessage> FakeNetwork::requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

int FakeNetwork::sentTotal() const {
    const std::lock_guard lock(mutex_);
    int total = 0;
    for (const auto& [kind, count] : sent_) {
        total += count;
    }
    return total;
}

emulator::EmulatedDevice MakeDevice(int number, const std::string& name,
                                    const std::string& password) {
    emulator::EmulatedDevice device;
    const auto low = static_cast<std::uint8_t>(number);
    device.mac = {0x02, 0x81, 0x00, 0x00, 0x00, low};
    device.deviceId = device.mac;
    device.token = {0x10, 0x20, 0x30, low};
    device.firmware = "1.0" + std::to_string(number % 10);
    device.settings.name = name;
    device.settings.password = password;
    device.settings.ssid = name + "-net";
    device.settings.ip = {192, 168, 1, static_cast<std::uint8_t>(100 + number)};
    return device;
}

}  // namespace trv81k::testing
