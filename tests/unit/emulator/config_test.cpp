// The emulator's configuration and state files.

#include "emulator/config.h"

#include <sys/stat.h>

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../l10n/temp_dir.h"

namespace trv81k::emulator {
namespace {

namespace fs = std::filesystem;

DeviceToken fixedToken() {
    return {0x11, 0x22, 0x33, 0x44};
}

DevicesResult parse(const std::string& text) {
    return parseConfig(text, fixedToken);
}

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// ---- Configuration --------------------------------------------------------------------------

TEST(EmulatorConfig, DefaultDevice) {
    const auto devices = defaultDevices(fixedToken);
    ASSERT_EQ(devices.size(), 1u);
    const EmulatedDevice& d = devices[0];
    EXPECT_EQ(d.settings.name, "TRV81K");
    EXPECT_EQ(d.settings.password, "admin");
    EXPECT_EQ(d.settings.ipMode, 1);
    EXPECT_EQ(FormatIPv4(d.settings.ip), "192.168.1.254");
    EXPECT_EQ(FormatIPv4(d.settings.netmask), "255.255.255.0");
    EXPECT_EQ(FormatIPv4(d.settings.gateway), "192.168.1.1");
    EXPECT_EQ(d.settings.ssid, "TRV81K");
    EXPECT_EQ(d.settings.channel, 6);
    EXPECT_EQ(d.settings.security, 0);
    EXPECT_EQ(d.settings.networkMode, 0);
    EXPECT_EQ(d.token, fixedToken());
    EXPECT_EQ(d.behaviour, Behaviour{});
}

TEST(EmulatorConfig, EveryFieldIsRead) {
    const DevicesResult result = parse(R"({"devices": [{
        "name": "Caf\u00e9", "mac": "00-11-22-33-44-55", "deviceId": "0a0b0c0d0e0f",
        "token": "DEADBEEF", "password": "pw", "ipMode": "dhcp", "ip": "10.0.0.2",
        "netmask": "255.0.0.0", "gateway": "0.0.0.0", "ssid": "wlan", "channel": 13,
        "security": 10, "key": "0123456789", "networkMode": "b-only", "firmware": "V1.2a",
        "auxName": "second", "auxAttr": 200, "auxKeyCode": 2, "auxText": "abcdef",
        "refusePassword": true, "pairingManaged": true, "silent": true,
        "neverAcknowledge": true, "noMarker": true, "answerTwice": true,
        "ignorePairingCheck": true}]})");
    ASSERT_TRUE(result.ok()) << result.error;
    const EmulatedDevice& d = result.devices.at(0);
    EXPECT_EQ(d.settings.name, "Caf\xE9");  // held as Latin-1
    EXPECT_EQ(d.mac, (MacAddress{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}));
    EXPECT_EQ(d.deviceId, (DeviceId{0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F}));
    EXPECT_EQ(d.token, (DeviceToken{0xDE, 0xAD, 0xBE, 0xEF}));
    EXPECT_EQ(d.settings.password, "pw");
    EXPECT_EQ(d.settings.ipMode, 0);
    EXPECT_EQ(FormatIPv4(d.settings.ip), "10.0.0.2");
    EXPECT_EQ(FormatIPv4(d.settings.netmask), "255.0.0.0");
    EXPECT_EQ(FormatIPv4(d.settings.gateway), "0.0.0.0");
    EXPECT_EQ(d.settings.ssid, "wlan");
    EXPECT_EQ(d.settings.channel, 13);
    EXPECT_EQ(d.settings.security, 10);
    EXPECT_EQ(d.settings.key, "0123456789");
    EXPECT_EQ(d.settings.networkMode, 2);
    EXPECT_EQ(d.firmware, "V1.2a");
    EXPECT_EQ(d.auxName, "second");
    EXPECT_EQ(d.auxAttr, 200);
    EXPECT_EQ(d.auxKeyCode, 2);
    EXPECT_EQ(d.auxText, "abcdef");
    EXPECT_EQ(d.behaviour, (Behaviour{true, true, true, true, true, true, true}));
}

TEST(EmulatorConfig, OmittedFieldsTakeTheDefaults) {
    const DevicesResult result =
        parse(R"({"devices": [{"mac": "02:81:00:00:00:07"}, {"mac": "02-81-00-00-00-08"}]})");
    ASSERT_TRUE(result.ok()) << result.error;
    ASSERT_EQ(result.devices.size(), 2u);
    EXPECT_EQ(result.devices[0].deviceId, result.devices[0].mac);  // derived from the MAC
    EXPECT_EQ(result.devices[1].deviceId, result.devices[1].mac);
    EXPECT_EQ(result.devices[0].token, fixedToken());
    EXPECT_EQ(result.devices[1].settings, DeviceSettings{});
}

// A document with one device of MAC 02-81-00-00-00-01 and the given fields besides.
std::string oneDevice(const std::string& fields) {
    return R"({"devices": [{"mac": "02-81-00-00-00-01", )" + fields + "}]}";
}

TEST(EmulatorConfig, BadValuesAreNamedByDeviceAndField) {
    const std::string twoDevices = R"({"devices": [{"mac": "02-81-00-00-00-01"}, )";
    const struct {
        std::string document;
        std::string expected;
    } cases[] = {
        {"{", "not valid JSON"},
        {"[]", "JSON object"},
        {R"({"devices": []})", "empty"},
        {R"({"devices": [], "extra": 1})", "unknown field \"extra\""},
        {R"({"devices": [{"name": "A"}]})", "device 1 (\"A\"): \"mac\" is missing"},
        {R"({"devices": [{"mac": "00-11-22-33-44"}]})", "device 1: \"mac\" \"00-11-22-33-44\""},
        {R"({"devices": [{"mac": 5}]})", "is not a hardware address"},
        {R"({"devices": [7]})", "device 1: must be a JSON object"},
        {twoDevices + R"({"name": "B", "mac": "02-81-00-00-00-01"}]})",
         "device 2 (\"B\"): \"mac\" 02-81-00-00-00-01 is also the mac of device 1"},
        {twoDevices + R"({"mac": "02-81-00-00-00-02", "deviceId": "028100000001"}]})",
         "device 2: \"deviceId\" 028100000001 is also the deviceId of device 1"},
        {twoDevices + R"({"mac": "02-81-00-00-00-02", "ssid": ")" + std::string(33, 's') +
             R"("}]})",
         "device 2: \"ssid\" \"" + std::string(33, 's').substr(0, 10)},
        {oneDevice(R"("name": ")" + std::string(33, 'n') + "\""), "is 33 bytes long, at most 32"},
        {oneDevice(R"("firmware": "123456")"),
         "\"firmware\" \"123456\" is 6 bytes long, at most 5"},
        {oneDevice(R"("password": ")" + std::string(33, 'p') + "\""), "\"password\""},
        {oneDevice(R"("auxText": "1234567")"),
         "\"auxText\" \"1234567\" is 7 bytes long, at most 6"},
        {oneDevice(R"("ssid": "\u20ac")"), "outside Latin-1"},
        {oneDevice(R"("ssid": "a\u0000b")"), "zero character"},
        {oneDevice(R"("channel": 14)"), "\"channel\" 14 is outside 1 to 13"},
        {oneDevice(R"("channel": "6")"), "whole number"},
        {oneDevice(R"("security": 11)"), "\"security\" 11 is outside 0 to 10"},
        {oneDevice(R"("auxAttr": 256)"), "\"auxAttr\""},
        {oneDevice(R"("ipMode": "auto")"),
         "\"ipMode\" \"auto\" is not one of \"dhcp\", \"static\""},
        {oneDevice(R"("networkMode": "n-only")"), "\"networkMode\""},
        {oneDevice(R"("ip": "192.168.1.256")"), "\"ip\" \"192.168.1.256\" is not an IPv4 address"},
        {oneDevice(R"("gateway": "10.0.0")"), "\"gateway\""},
        {oneDevice(R"("token": "1234")"), "\"token\" \"1234\" is not 4 bytes in hex"},
        {oneDevice(R"("deviceId": "zz0000000000")"), "\"deviceId\""},
        {oneDevice(R"("silent": 1)"), "\"silent\" must be true or false"},
        {oneDevice(R"("refusePasword": true)"), "unknown field \"refusePasword\""},
        // The reader's own limits, with the place they are at.
        {std::string(100000, '[') + std::string(100000, ']'), "nested deeper than 32 levels"},
        {oneDevice(R"("channel": 1e99999)"),
         "devices[0].channel: the number 1e99999 is out of range"},
        {oneDevice(R"("name": "A", "name": "B")"), "the key \"name\" is given twice"},
    };
    for (const auto& c : cases) {
        const DevicesResult result = parse(c.document);
        EXPECT_FALSE(result.ok()) << c.document;
        EXPECT_TRUE(result.devices.empty());
        EXPECT_NE(result.error.find(c.expected), std::string::npos)
            << "error: " << result.error << "\nexpected: " << c.expected;
        EXPECT_EQ(result.error.find('\n'), std::string::npos) << result.error;
    }
}

TEST(EmulatorConfig, DeviceCountLimit) {
    auto document = [](std::size_t count) {
        std::string text = R"({"devices": [)";
        for (std::size_t i = 0; i < count; ++i) {
            char mac[32];
            std::snprintf(mac, sizeof mac, "02-81-00-00-%02zX-%02zX", i / 256, i % 256);
            text += (i ? ", " : "") + std::string(R"({"mac": ")") + mac + "\"}";
        }
        return text + "]}";
    };
    EXPECT_TRUE(parse(document(33)).ok());  // more than the wizard's table holds: allowed
    EXPECT_TRUE(parse(document(kMaxEmulatedDevices)).ok());
    const DevicesResult tooMany = parse(document(kMaxEmulatedDevices + 1));
    EXPECT_NE(tooMany.error.find("at most 250"), std::string::npos) << tooMany.error;
}

// ---- State ----------------------------------------------------------------------------------

std::vector<EmulatedDevice> twoDevices() {
    return parse(R"({"devices": [{"mac": "02-81-00-00-00-01", "name": "A", "key": "k1"},
                                 {"mac": "02-81-00-00-00-02", "name": "B"}]})")
        .devices;
}

TEST(EmulatorState, RoundTripKeepsEverySetting) {
    std::vector<EmulatedDevice> devices = twoDevices();
    DeviceSettings& s = devices[1].settings;
    s.name = "\xC4rger";  // Latin-1
    s.password = "p\xE4ss";
    s.ipMode = 0;
    s.ip = {172, 16, 0, 9};
    s.netmask = {255, 255, 240, 0};
    s.gateway = {0, 0, 0, 0};
    s.ssid = std::string(32, 'w');
    s.channel = 13;
    s.security = 4;
    s.key = std::string(64, 'f');
    s.networkMode = 2;

    std::vector<EmulatedDevice> restored = twoDevices();
    const StateApplied applied = applyState(stateText(devices), restored);
    ASSERT_TRUE(applied.ok()) << applied.error;
    EXPECT_TRUE(applied.notices.empty());
    EXPECT_EQ(restored, devices);
}

TEST(EmulatorState, StateOverridesOnlyTheFieldsAndDevicesItNames) {
    std::vector<EmulatedDevice> devices = twoDevices();
    const StateApplied applied = applyState(
        R"({"version": 1, "devices": [{"mac": "02-81-00-00-00-02", "ssid": "saved"},
                                      {"mac": "02-81-00-00-00-09", "ssid": "gone"}]})",
        devices);
    ASSERT_TRUE(applied.ok()) << applied.error;
    EXPECT_EQ(devices[0], twoDevices()[0]);
    EXPECT_EQ(devices[1].settings.ssid, "saved");
    EXPECT_EQ(devices[1].settings.name, "B");
    ASSERT_EQ(applied.notices.size(), 1u);
    EXPECT_NE(applied.notices[0].find("02-81-00-00-00-09"), std::string::npos);
}

TEST(EmulatorState, CorruptStateIsRefusedWholly) {
    const std::string goodFirst = R"({"devices": [{"mac": "02-81-00-00-00-01", "ssid": "new"}, )";
    for (const std::string& document : {
             std::string(R"({"devices": [{"mac": "02-81-00-00-00-01", "ssid": "ne)"),
             std::string(R"({"version": 2, "devices": []})"),
             std::string(R"({"devices": {}})"),
             goodFirst + R"({"mac": "02-81-00-00-00-02", "channel": 0}]})",
             goodFirst + R"({"mac": "02-81-00-00-00-01"}]})",
             goodFirst + R"({"mac": "02-81-00-00-00-02", "behaviour": 1}]})",
             goodFirst + R"({"ssid": "no mac"}]})",
         }) {
        std::vector<EmulatedDevice> devices = twoDevices();
        const StateApplied applied = applyState(document, devices);
        EXPECT_FALSE(applied.ok()) << document;
        EXPECT_EQ(devices, twoDevices()) << document;
    }
}

// A fresh folder per test for the state file, removed afterwards.
class EmulatorStateFile : public ::testing::Test {
protected:
    std::size_t entries() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()));
    }
    testing::TempDir dir;
    const fs::path file{dir.path() / "state.json"};
};

TEST_F(EmulatorStateFile, WriteThenLoad) {
    std::vector<EmulatedDevice> devices = twoDevices();

    std::vector<EmulatedDevice> untouched = devices;
    EXPECT_EQ(loadStateFile(file, untouched).outcome, StateLoad::Missing);
    EXPECT_EQ(untouched, devices);

    devices[0].settings.password = "saved";
    ASSERT_EQ(writeStateFile(file, devices), "");
    EXPECT_EQ(entries(), 1u);  // no temporary file left behind
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::others_read, fs::perms::none);

    std::vector<EmulatedDevice> restored = twoDevices();
    const StateLoadResult loaded = loadStateFile(file, restored);
    ASSERT_EQ(loaded.outcome, StateLoad::Applied) << loaded.error;
    EXPECT_EQ(restored, devices);

    devices[0].settings.password = "again";
    ASSERT_EQ(writeStateFile(file, devices), "");
    EXPECT_EQ(entries(), 1u);
    EXPECT_NE(slurp(file).find("\"again\""), std::string::npos);
}

TEST_F(EmulatorStateFile, CorruptFileIsRefusedAndLeftAsItIs) {
    dir.Write("state.json", "{\"devices\": [");
    std::vector<EmulatedDevice> devices = twoDevices();
    const StateLoadResult loaded = loadStateFile(file, devices);
    EXPECT_EQ(loaded.outcome, StateLoad::Failed);
    EXPECT_NE(loaded.error.find(file.string()), std::string::npos) << loaded.error;
    EXPECT_EQ(slurp(file), "{\"devices\": [");

    // A folder in place of the file is unreadable, not missing.
    std::vector<EmulatedDevice> other = twoDevices();
    EXPECT_EQ(loadStateFile(dir.path(), other).outcome, StateLoad::Failed);
    // A FIFO nobody writes is refused at once instead of waited on.
    const fs::path fifo = dir.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const StateLoadResult fromFifo = loadStateFile(fifo, other);
    EXPECT_EQ(fromFifo.outcome, StateLoad::Failed);
    EXPECT_NE(fromFifo.error.find("is a FIFO"), std::string::npos) << fromFifo.error;
}

TEST_F(EmulatorStateFile, FailedWriteKeepsTheOldState) {
    const fs::path missingFolder = dir.path() / "no" / "state.json";
    const std::string error = writeStateFile(missingFolder, twoDevices());
    EXPECT_NE(error.find("temporary file"), std::string::npos) << error;

    // Renaming onto a folder fails after the temporary file was written: it is removed again.
    const fs::path blocked = dir.path() / "blocked";
    fs::create_directories(blocked / "inside");
    EXPECT_NE(writeStateFile(blocked, twoDevices()), "");
    EXPECT_TRUE(fs::is_directory(blocked / "inside"));
    EXPECT_EQ(entries(), 1u);
}

// The disk refuses the new state half-way through (here: a file size limit of 100 bytes, so
// write() fails with EFBIG after the first bytes): the message names the file and the reason,
// the old state is there as it was, and no temporary file is left behind.
TEST_F(EmulatorStateFile, WriteThatFailsHalfWayKeepsTheOldStateWhole) {
    std::vector<EmulatedDevice> devices = twoDevices();
    devices[0].settings.password = "old-one";
    ASSERT_EQ(writeStateFile(file, devices), "");
    const std::string old = slurp(file);
    ASSERT_GT(old.size(), 100u);

    devices[0].settings.password = "new-one";
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeFds[0]);
        std::signal(SIGXFSZ, SIG_IGN);  // the limit shows as an error, not as a signal
        const ::rlimit limit{100, 100};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const std::string error = writeStateFile(file, devices);
        const ssize_t ignored = ::write(pipeFds[1], error.data(), error.size());
        (void)ignored;
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string error;
    char chunk[256];
    for (ssize_t n; (n = ::read(pipeFds[0], chunk, sizeof chunk)) > 0;) {
        error.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);

    EXPECT_NE(error.find(file.string()), std::string::npos) << error;
    EXPECT_NE(error.find(std::strerror(EFBIG)), std::string::npos) << error;
    EXPECT_EQ(slurp(file), old);
    EXPECT_EQ(entries(), 1u);
    std::vector<EmulatedDevice> restored = twoDevices();
    ASSERT_EQ(loadStateFile(file, restored).outcome, StateLoad::Applied);
    EXPECT_EQ(restored[0].settings.password, "old-one");
}

}  // namespace
}  // namespace trv81k::emulator
