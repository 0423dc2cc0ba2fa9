// trv81k-emulator: one or more emulated TRV81K access points on the local network.

#include <CLI/CLI.hpp>
#include <array>
#include <asio/io_context.hpp>
#include <asio/signal_set.hpp>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "emulator/config.h"
#include "emulator/emulator.h"
#include "fileio/file_access.h"
#include "platform/adapters.h"
#include "protocol/channel.h"
#include "protocol/cipher.h"
#include "settings/text_encoding.h"

namespace {

using namespace trv81k;
using namespace trv81k::emulator;

constexpr char kName[] = "trv81k-emulator";

constexpr char kDescription[] =
    "Emulates one or more TRV81K access points: answers the setup software's search,\n"
    "login, pairing check and configure requests on the multicast group 234.2.2.2, UDP port\n"
    "14675, and applies accepted configure requests to the emulated devices.\n"
    "\n"
    "Without --config it emulates one device: name \"TRV81K\", password \"admin\", MAC\n"
    "02-81-00-00-00-01, static 192.168.1.254/255.255.255.0, gateway 192.168.1.1, SSID\n"
    "\"TRV81K\", channel 6, security disabled, mixed mode.\n"
    "\n"
    "The configuration is JSON: {\"devices\": [ {\"mac\": \"02-81-00-00-00-02\", ...}, ... ]} "
    "with\n"
    "the fields name, mac (required), deviceId (6 bytes hex, default the MAC), token (4 bytes\n"
    "hex, default random), password, ipMode (\"dhcp\"|\"static\"), ip, netmask, gateway, ssid,\n"
    "channel (1-13), security (code 0-10), key, networkMode (\"mixed\"|\"g-only\"|\"b-only\"),\n"
    "firmware (up to 5 characters), auxName, auxAttr, auxKeyCode, auxText, and the switches\n"
    "refusePassword, pairingManaged, silent, neverAcknowledge, noMarker, answerTwice,\n"
    "ignorePairingCheck (answers everything but the pairing check), keepSettings\n"
    "(acknowledges configure requests but applies nothing).\n"
    "\n"
    "A configure request is taken only after a successful login from the same address within\n"
    "10 minutes. The log holds every request as one JSON line, PASSWORDS INCLUDED: it is a\n"
    "test tool. Never run it on a network that carries real devices. Each line has the time,\n"
    "kind, from (sender address), size (datagram bytes), the request's fields, the answers\n"
    "sent and, last, plain: the 320-byte decrypted message as lower-case hexadecimal.\n"
    "\n"
    "Exit codes: 0 stopped by SIGINT or SIGTERM, 1 the network could not be used, 2 bad\n"
    "arguments, configuration or state file.";

// Messages may repeat a file's values: nothing of them may steer the terminal.
void complain(const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", kName, TerminalText(text).c_str());
}

// "2024-05-01T12:00:00.123Z"
std::string utcNow() {
    using namespace std::chrono;
    const auto now = floor<milliseconds>(system_clock::now());
    const auto day = floor<days>(now);
    const year_month_day date{day};
    const hh_mm_ss time{now - day};
    std::array<char, 40> text{};
    std::snprintf(text.data(), text.size(), "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()),
                  static_cast<int>(time.subseconds().count()));
    return text.data();
}

// The request log: one JSON line per request, flushed at once.
class RequestLog {
public:
    // Empty path: no log. "-": standard output. Otherwise a regular file, never a link (the
    // log holds passwords: a new one is readable by its owner only); why not, in `error`.
    bool open(const std::string& path, std::string& error) {
        if (path.empty()) {
            return true;
        }
        if (path == "-") {
            file_ = stdout;
            return true;
        }
        OpenedFile opened = OpenForAppending(path);
        if (!opened.file.valid()) {
            error = opened.error;
            return false;
        }
        // Binary: the log's lines end in LF on every system.
        owned_.reset(::fdopen(opened.file.get(), "ab"));
        if (!owned_) {
            error = "cannot open the log " + path + ": " + ErrnoText(errno);
            return false;
        }
        opened.file.release();  // the stream owns it now
        file_ = owned_.get();
        return true;
    }

    void write(const nlohmann::ordered_json& entry) {
        if (file_ == nullptr || entry.is_null()) {
            return;
        }
        nlohmann::ordered_json line;
        line["time"] = utcNow();
        for (const auto& [key, value] : entry.items()) {
            line[key] = value;
        }
        const std::string text =
            line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
        const bool ok = std::fwrite(text.data(), 1, text.size(), file_) == text.size() &&
                        std::fflush(file_) == 0;
        if (!ok && !failed_) {
            complain("cannot write the log; further lines are lost");
        }
        failed_ = failed_ || !ok;
    }

private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> owned_;
    std::FILE* file_ = nullptr;
    bool failed_ = false;
};

struct Options {
    std::optional<std::string> interface;
    std::string config;
    std::string state;
    std::string log;
    bool quiet = false;
};

class Server {
public:
    Server(asio::io_context& io, MulticastSocket& socket, Emulator& emulator, RequestLog& log,
           std::string statePath)
        : io_(io),
          socket_(socket),
          emulator_(emulator),
          log_(log),
          statePath_(std::move(statePath)) {}

    void receive() {
        socket_.socket().async_receive_from(
            asio::buffer(buffer_), from_, [this](const asio::error_code& error, std::size_t size) {
                if (error == asio::error::operation_aborted || !socket_.isOpen()) {
                    return;
                }
                if (error) {
                    if (++failures_ > 100) {
                        complain("receiving keeps failing (" + error.message() + "); stopping");
                        failed_ = true;
                        io_.stop();
                        return;
                    }
                } else {
                    failures_ = 0;
                    handle(size);
                }
                receive();
            });
    }

    bool failed() const { return failed_; }

private:
    void handle(std::size_t size) {
        Ipv4Address sender{};
        if (from_.address().is_v4()) {
            sender = from_.address().to_v4().to_bytes();
        }
        const Reaction reaction = emulator_.handleDatagram(
            std::span<const std::uint8_t>(buffer_).first(size), sender, Clock::now());
        // Answers first: the wizard's timers do not wait for the log or the disk.
        for (const PlainMessage& plain : reaction.answers) {
            const Datagram datagram = sealPacket(plain);
            if (!socket_.sendToGroup(datagram)) {
                complain("sending an answer failed");
            }
        }
        log_.write(reaction.log);
        if (reaction.settingsApplied && !statePath_.empty()) {
            const std::string error = writeStateFile(statePath_, emulator_.devices());
            if (!error.empty()) {
                complain(error + "; the settings are kept in memory only");
            }
        }
    }

    asio::io_context& io_;
    MulticastSocket& socket_;
    Emulator& emulator_;
    RequestLog& log_;
    std::string statePath_;
    std::array<std::uint8_t, kReceiveBufferSize> buffer_{};
    asio::ip::udp::endpoint from_;
    int failures_ = 0;
    bool failed_ = false;
};

int Run(const Options& options) {
    if (options.interface && !SetInterfaceChoice(options.interface)) {
        complain("--interface: \"" + *options.interface +
                 "\" is neither an adapter's name nor an IPv4 address such as 10.81.0.11");
        return 2;
    }

    std::vector<EmulatedDevice> devices;
    if (options.config.empty()) {
        devices = defaultDevices(randomToken);
    } else {
        const FileText file = readTextFile(options.config);
        if (file.status != FileText::Status::Read) {
            complain("config: " + file.error);
            return 2;
        }
        DevicesResult parsed = parseConfig(file.text, randomToken);
        if (!parsed.ok()) {
            complain("config " + options.config + ": " + parsed.error);
            return 2;
        }
        devices = std::move(parsed.devices);
    }
    if (!options.state.empty()) {
        const StateLoadResult loaded = loadStateFile(options.state, devices);
        if (loaded.outcome == StateLoad::Failed) {
            complain("state: " + loaded.error + " (the file is left as it is)");
            return 2;
        }
        for (const std::string& notice : loaded.notices) {
            complain("state " + options.state + ": " + notice);
        }
    }

    RequestLog log;
    if (std::string error; !log.open(options.log, error)) {
        complain("log: " + error);
        return 2;
    }

    // The devices sit behind one adapter: the one named, else the first there is.
    const AdapterChoice adapters = FindAdapters();
    if (adapters.adapters.empty()) {
        complain(adapters.problem + (options.interface ? "" : "; name one with --interface"));
        return 1;
    }
    const std::string address = FormatIPv4(adapters.adapters.front().address);
    NetworkEndpoint endpoint;
    endpoint.interfaceAddress = adapters.adapters.front().address;

    asio::io_context io;
    MulticastSocket socket(io, endpoint, SocketRole::Device);
    if (!socket.isOpen()) {
        complain(socket.status() == MulticastSocket::Status::BindFailed
                     ? "cannot bind UDP port " + std::to_string(endpoint.port)
                     : std::string("cannot create a UDP socket"));
        return 1;
    }

    Emulator emulator(std::move(devices));
    if (!options.quiet) {
        for (const EmulatedDevice& device : emulator.devices()) {
            std::fprintf(stderr, "emulating %s %s password %s on %s\n",
                         TerminalLatin1(device.settings.name).c_str(),
                         formatMac(device.mac).c_str(),
                         TerminalLatin1(device.settings.password).c_str(), address.c_str());
        }
    }

    Server server(io, socket, emulator, log, options.state);
    asio::signal_set stop(io, SIGINT, SIGTERM);
    stop.async_wait([&](const asio::error_code& error, int) {
        if (!error) {
            socket.close();
            io.stop();
        }
    });
    server.receive();
    io.run();
    return server.failed() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    // A log reader that goes away shows up as a write error, not as the end of the program.
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif

    CLI::App app{kDescription, kName};
    // One command line on every system: "/x" is a path, never an option (CLI11's default on
    // Windows would read it as one).
    app.allow_windows_style_options(false);
    app.set_version_flag("--version", std::string(kName) + " " + TRV81K_VERSION);
    Options options;
    app.add_option("--interface", options.interface,
                   "the adapter the devices sit behind, by name or IPv4 address (default: the "
                   "first adapter that is up with an IPv4 address and multicast)");
    app.add_option("--config", options.config, "JSON file that lists the devices");
    app.add_option("--state", options.state,
                   "JSON file that keeps the devices' settings across restarts");
    app.add_option("--log", options.log,
                   "append every request as a JSON line to this file (\"-\": standard output); "
                   "passwords included");
    app.add_flag("--quiet", options.quiet, "no start-up lines on standard error");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // Help and version end with 0; argument errors with 2.
        const int code = app.exit(e);
        return code == 0 ? 0 : 2;
    }
    return Run(options);
}
