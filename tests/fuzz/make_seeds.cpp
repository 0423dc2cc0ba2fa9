// Writes the seed corpora of the fuzz harnesses from the project's own builders:
//   make_seeds tests/fuzz/corpus
// The files are named after what they hold; the first byte of a receiver seed is the harness's
// mode byte (which state the datagram meets, encrypted or plain).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/entered_settings.h"
#include "protocol/cipher.h"
#include "protocol/wire.h"

namespace {

using namespace trv81k;
namespace fs = std::filesystem;

void write(const fs::path& file, std::string_view bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

template <typename Bytes>
std::string withMode(std::uint8_t mode, const Bytes& bytes) {
    std::string out(1, static_cast<char>(mode));
    out.append(bytes.begin(), bytes.end());
    return out;
}

DeviceInfo device() {
    DeviceInfo d;
    d.deviceId = {1, 2, 3, 4, 5, 1};
    d.macAddress = {0, 0x1A, 0x2B, 0x3C, 0x4D, 1};
    d.deviceToken = {9, 9, 9, 1};
    d.ssidLength = 4;
    d.ssid = {'H', 'o', 'm', 'e'};
    d.deviceNameLength = 5;
    d.deviceName = {'L', 'o', 'b', 'b', 'y'};
    d.auxKeyCode = 2;
    d.firmwareVersion = {'1', '.', '0', '.', '4', 0};
    d.ipMode = 1;
    d.ipAddress = {10, 81, 0, 11};
    d.subnetMask = {255, 255, 255, 0};
    return d;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds CORPUS_DIR\n");
        return 2;
    }
    const fs::path root(argv[1]);
    const DeviceInfo d = device();
    const MacAddress selected{0, 0x1A, 0x2B, 0x3C, 0x4D, 1};  // entry 1 of the harness's table

    // Receiver: every answer, plain (mode bit 0 clear) and encrypted (bit 0 set), meeting a
    // table of three with entry 1 selected (0x0A) and, for authentication, requestKind 2 (0x20).
    const std::vector<std::pair<std::string, PlainMessage>> answers = {
        {"search-answer", *buildSearchAnswer(d)},
        {"auth-answer", buildAuthAnswer({9, 9, 9, 1}, selected, {10, 81, 0, 1}, 0)},
        {"configure-answer", buildConfigureAnswer(selected, 0)},
        {"pairing-answer", buildCheckBPSAnswer(selected, 1)},
        {"search-request", buildSearchRequest()},
    };
    for (const auto& [name, plain] : answers) {
        write(root / "receiver" / (name + "-plain"), withMode(0x2A, plain));
        write(root / "receiver" / (name + "-sealed"),
              withMode(0x2B, sealPacket(plain, 1700000000)));
    }
    write(root / "receiver" / "search-answer-full-table", withMode(0x0C, *buildSearchAnswer(d)));
    write(root / "receiver" / "search-answer-last-slot", withMode(0x06, *buildSearchAnswer(d)));
    // The same answers meeting flags that are set already (bits 6-7).
    write(root / "receiver" / "auth-answer-flags-set",
          withMode(0x6A, buildAuthAnswer({9, 9, 9, 1}, selected, {10, 81, 0, 1}, 1)));
    write(root / "receiver" / "configure-answer-flags-set",
          withMode(0xAA, buildConfigureAnswer(selected, 0)));
    write(root / "receiver" / "pairing-answer-flags-set",
          withMode(0xEA, buildCheckBPSAnswer(selected, 0)));

    // Emulator: every request, plain.
    EnteredSettings wizard;
    wizard.newIPText = "10.81.0.20";
    wizard.newNetmaskText = "255.255.255.0";
    wizard.newGatewayText = "10.81.0.1";
    wizard.newDeviceName = "Hall";
    wizard.newPassword = "secret12";
    wizard.newSSID = "Home";
    wizard.newChannel = 6;
    wizard.newSecurityMode = kSecurityWpa2Aes;
    wizard.newPSK = "correct horse";
    wizard.bWirelessEditable = true;
    const ConfigureSettings settings =
        std::get<ConfigureSettings>(BuildConfigureSettings(wizard, d));
    const std::vector<std::pair<std::string, PlainMessage>> requests = {
        {"search-request", buildSearchRequest()},
        {"auth-request", buildAuthRequest({9, 9, 9, 1}, d.macAddress, {10, 81, 0, 1}, "admin")},
        {"pairing-request", buildCheckBPSRequest(d.macAddress)},
        {"configure-request", *buildConfigureRequest(settings)},
    };
    for (const auto& [name, plain] : requests) {
        write(root / "emulator" / name, std::string(plain.begin(), plain.end()));
    }
    // Two plain messages in a row: a configure request to device 0 of the harness (logged in
    // by then), then a search that announces what it applied.
    const MacAddress first{0, 0x1A, 0x2B, 0x3C, 0x4D, 0};
    ConfigureSettings toFirst = settings;
    toFirst.mac = first;
    const PlainMessage configure = *buildConfigureRequest(toFirst);
    const PlainMessage search = buildSearchRequest();
    write(root / "emulator" / "configure-then-search",
          std::string(configure.begin(), configure.end()) +
              std::string(search.begin(), search.end()));
    write(root / "emulator" / "search-sealed", [] {
        const Datagram sealed = sealPacket(buildSearchRequest(), 1700000000);
        return std::string(sealed.begin(), sealed.end());
    }());

    write(root / "profile_reader" / "sections",
          "[English]\nNextPanel=Next\nINVALID_IP=\"The IP address is not "
          "valid.\"\n[German]\nNextPanel = Weiter\n");
    write(root / "profile_reader" / "crlf-bom", "\xEF\xBB\xBF[French]\r\nNextPanel='Suivant'\r\n");
    // A value longer than the limit with a two-byte character across the cut, a repeated
    // section, a repeated key, a comment, a NUL and a lone CR.
    write(root / "profile_reader" / "long-value-repeats",
          "[English]\nExitPanel=" + std::string(2046, 'a') + "\xC3\xA9tail\n; note\n" +
              "exitpanel=second\r[ENGLISH]\nNextPanel=ignored\n[German]\nNextPanel=\"Weiter\"" +
              std::string(1, '\0') + "rest\n");

    for (std::string_view text : {"192.168.001.010", "255.255.255.0", "0.0.0.0", "10.0.0.255",
                                  "1..2.3", "255.0.255.0", "0123456789abcdef"}) {
        write(root / "validators" / std::string(text), text);
    }
    // The fields of a configure request, '|' between them: ip, netmask, gateway, name,
    // password, SSID, key.
    write(root / "validators" / "configure-fields",
          "10.81.0.20|255.255.255.0|10.81.0.1|Hall|secret12|Home|correct horse battery");
    return 0;
}
