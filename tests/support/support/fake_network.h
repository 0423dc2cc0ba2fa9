#pragma once
// An in-memory network for the tests of the exchanges and of the wizard: requests go through
// the same builders as on the wire (prepareRequest), emulated devices answer them exactly as
// the emulator does, and their answers reach the shared state through handlePlainMessage, at
// once, after a delay, or when the test releases them. A stand-in receiver thread runs from
// open() to close() and delivers the delayed answers.

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "emulator/emulator.h"
#include "protocol/network_port.h"

namespace trv81k::testing {

class FakeNetwork final : public NetworkPort {
public:
    enum class Delivery { Immediate, Delayed, Held };

    explicit FakeNetwork(std::vector<emulator::EmulatedDevice> devices = {});
    ~FakeNetwork() override;

    OpenResult open() override;
    bool sendPacket(PacketKind kind, const RequestContent& content) override;
    void close() noexcept override;
    bool checkAdapter() override { return adapterPresent; }
    bool receiverRunning() const override;
    std::vector<Adapter> adapters() const override { return {Adapter{"lan1", localIP, {}}}; }
    ExchangeState& state() override { return state_; }

    // How the answers to requests of one kind come back (default: at once). Delayed answers
    // need the receiver (open()).
    void setDelivery(PacketKind kind, Delivery delivery,
                     std::chrono::milliseconds delay = std::chrono::milliseconds{0});
    // Delivers the held answers now, in the order they were given.
    void releaseHeld();
    // Hands an answer of the test's own making to the receiver's handling.
    void inject(const PlainMessage& answer) { deliver(answer); }

    // Requests built and handed to the devices, per kind (refused ones are not counted).
    int sent(PacketKind kind) const;
    int sentTotal() const;
    // The requests handed to the devices, in order.
    std::vector<PlainMessage> requests() const;
    int closeCount() const { return closeCount_; }

    bool adapterPresent = true;
    OpenResult openResult = OpenResult::Open;
    Ipv4Address localIP{192, 168, 1, 10};

private:
    using Clock = std::chrono::steady_clock;

    void deliver(const PlainMessage& answer);
    void receive();
    void stopReceiver();

    ExchangeState state_;
    emulator::Emulator emulator_;
    std::map<PacketKind, std::pair<Delivery, std::chrono::milliseconds>> delivery_;
    std::vector<PlainMessage> held_;
    std::map<PacketKind, int> sent_;
    std::vector<PlainMessage> requests_;
    int closeCount_ = 0;

    std::thread receiver_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::multimap<Clock::time_point, PlainMessage> due_;  // delayed answers
    bool stopRequested_ = false;
};

// An emulated device with a number that makes its MAC, device ID and token unique.
emulator::EmulatedDevice MakeDevice(int number, const std::string& name,
                                    const std::string& password = "admin");

}  // namespace trv81k::testing
