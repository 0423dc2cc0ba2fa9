// Per-packet cost of the protocol's hot paths, beside the raw AES-256-ECB cost they rest on.
//   build/bench_packets
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <array>

#include "core/entered_settings.h"
#include "protocol/cipher.h"
#include "protocol/wire.h"

namespace {

using namespace trv81k;

EnteredSettings enteredValues() {
    EnteredSettings s;
    s.bStaticIP = true;
    s.newIPText = "192.168.1.20";
    s.newNetmaskText = "255.255.255.0";
    s.newGatewayText = "192.168.1.1";
    s.newDeviceName = "Hall";
    s.newPassword = "secret12";
    s.newSSID = "Home network";
    s.newChannel = 6;
    s.newSecurityMode = kSecurityWpa2Aes;
    s.newPSK = "correct horse battery staple";
    s.bWirelessEditable = true;
    return s;
}

// The record the configure request is written from: checked and converted once, when the
// exchange starts.
ConfigureSettings configureSettings() {
    DeviceInfo device;
    device.macAddress = {0, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    return std::get<ConfigureSettings>(BuildConfigureSettings(enteredValues(), device));
}

void BM_ConfigureRequestBuildEncryptChecksum(benchmark::State& state) {
    const ConfigureSettings s = configureSettings();
    for (auto _ : state) {
        auto plain = buildConfigureRequest(s);
        Datagram datagram = sealPacket(*plain, 1700000000);
        benchmark::DoNotOptimize(datagram);
    }
}
BENCHMARK(BM_ConfigureRequestBuildEncryptChecksum);

void BM_SearchAnswerDecryptParse(benchmark::State& state) {
    DeviceInfo device;
    device.ssidLength = 4;
    device.ssid = {'H', 'o', 'm', 'e'};
    device.deviceNameLength = 5;
    device.deviceName = {'L', 'o', 'b', 'b', 'y'};
    const Datagram datagram = sealPacket(*buildSearchAnswer(device), 1700000000);
    for (auto _ : state) {
        const PlainMessage plain = decryptPacket(datagram);
        ParsedSearchAnswer parsed;
        if (classify(plain) == MessageKind::SearchAnswer) {
            parsed = parseSearchAnswer(plain);
        }
        benchmark::DoNotOptimize(parsed);
    }
}
BENCHMARK(BM_SearchAnswerDecryptParse);

// The parts on their own, to see where the time goes.
void BM_ConfigureRequestBuildOnly(benchmark::State& state) {
    const ConfigureSettings s = configureSettings();
    for (auto _ : state) {
        auto plain = buildConfigureRequest(s);
        benchmark::DoNotOptimize(plain);
    }
}
BENCHMARK(BM_ConfigureRequestBuildOnly);

// Once per exchange: the page checks and the conversion of the typed values.
void BM_SettingsFromEnteredValues(benchmark::State& state) {
    const EnteredSettings entered = enteredValues();
    DeviceInfo device;
    for (auto _ : state) {
        auto settings = BuildConfigureSettings(entered, device);
        benchmark::DoNotOptimize(settings);
    }
}
BENCHMARK(BM_SettingsFromEnteredValues);

void BM_SealOnly(benchmark::State& state) {
    const PlainMessage plain = buildSearchRequest();
    for (auto _ : state) {
        Datagram datagram = sealPacket(plain, 1700000000);
        benchmark::DoNotOptimize(datagram);
    }
}
BENCHMARK(BM_SealOnly);

void BM_DecryptOnly(benchmark::State& state) {
    const Datagram datagram = sealPacket(buildSearchRequest(), 1700000000);
    for (auto _ : state) {
        PlainMessage plain = decryptPacket(datagram);
        benchmark::DoNotOptimize(plain);
    }
}
BENCHMARK(BM_DecryptOnly);

void BM_RawAes256Ecb640(benchmark::State& state) {
    EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, "AES-256-ECB", nullptr);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    EVP_CipherInit_ex2(ctx, cipher, reinterpret_cast<const unsigned char*>(kPacketKey), nullptr, 1,
                       nullptr);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    std::array<unsigned char, 640> in{};
    std::array<unsigned char, 640> out{};
    for (auto _ : state) {
        int written = 0;
        EVP_CipherUpdate(ctx, out.data(), &written, in.data(), static_cast<int>(in.size()));
        benchmark::DoNotOptimize(out);
    }
    EVP_CIPHER_CTX_free(ctx);
    EVP_CIPHER_free(cipher);
}
BENCHMARK(BM_RawAes256Ecb640);

}  // namespace

BENCHMARK_MAIN();
