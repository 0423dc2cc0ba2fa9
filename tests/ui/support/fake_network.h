#pragma once
// An in-memory network for the wizard's UI tests: requests go through the same builders as on
// the wire (prepareRequest), emulated devices answer them exactly as the emulator does, and
// their answers reach the shared state through handlePlainMessage, at once, after a delay, or
// when the test releases them. A stand-in receiver thread runs from open() to close().

#include <QObject>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "emulator/emulator.h"
#include "ui/services.h"

namespace trv81k::testing {

class FakeNetwork final : public NetworkPort {
public:
    enum class Delivery { Immediate, Delayed, Held };

    explicit FakeNetwork(std::vector<emulator::EmulatedDevice> devices = {});
    ~FakeNetwork() override;

    OpenResult open() override;
    bool sendPacket(PacketKind kind, const WizardState& wizard) override;
    void close() noexcept override;
    bool checkAdapter() override { return adapterPresent; }
    bool receiverRunning() const override;
    ExchangeState& state() override { return state_; }

    // How the answers to requests of one kind come back (default: at once).
    void setDelivery(PacketKind kind, Delivery delivery,
                     std::chrono::milliseconds delay = std::chrono::milliseconds{0});
    // Delivers the held answers now, in the order they were given.
    void releaseHeld();
    // Hands an answer of the test's own making to the receiver's handling.
    void inject(const PlainMessage& answer) { deliver(answer); }

    // Requests built and handed to the devices, per kind (refused ones are not counted).
    int sent(PacketKind kind) const;
    int sentTotal() const;
    int closeCount() const { return closeCount_; }

    bool adapterPresent = true;
    OpenResult openResult = OpenResult::Open;
    Ipv4Bytes localIP{192, 168, 1, 10};

private:
    void deliver(const PlainMessage& answer);
    void stopReceiver();

    ExchangeState state_;
    emulator::Emulator emulator_;
    std::map<PacketKind, std::pair<Delivery, std::chrono::milliseconds>> delivery_;
    std::vector<PlainMessage> held_;
    std::map<PacketKind, int> sent_;
    int closeCount_ = 0;
    QObject timerContext_;

    std::thread receiver_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopRequested_ = false;
};

// An emulated device with a number that makes its MAC, device ID and token unique.
emulator::EmulatedDevice MakeDevice(int number, const std::string& name,
                                    const std::string& password = "admin");

}  // namespace trv81k::testing
