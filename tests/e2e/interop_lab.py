#!/usr/bin/env python3
"""The Windows programs against the Linux ones across a lab network: trv81k-cli.exe under Wine
on the pc against the Linux trv81k-emulator on ap1, the Linux trv81k-cli against
trv81k-emulator.exe under Wine, and Linux against Linux. Each road walks the same steps against
a fresh emulator of the same devices:

    search       search --json --expect 2
    login        configure with a wrong password: the login refused (exit 4), nothing written
    configure    a static address, a new name and password, WPA2 from a passphrase
    verify       DHCP on the pairing-managed device (the pairing check decides), --verify

and the emulator's request logs of the three roads must hold the same requests, kind for kind
and field for field, every plain message byte for byte; the state files the emulators leave
and what the command-line tools print must be the same too.

    interop_lab.py WINDOWS_BIN LINUX_BIN NETLAB WINE_RUN [--keep DIR]

WINDOWS_BIN holds trv81k-cli.exe and trv81k-emulator.exe, LINUX_BIN trv81k-cli and
trv81k-emulator. Every Wine run gets a fresh prefix under the lab's folder, its server started
inside the host's namespace first (wineserver -p) and stopped afterwards (wineserver -k); the
Windows programs go through WINE_RUN (scripts/wine-run). --keep DIR keeps the logs there.
Exit 77 (skipped) where the lab cannot be made.

What is left out of the comparison, and why:
  time             when the emulator received the request: differs from run to run.
  adapter's name   search --json names the adapter it heard the device on; Windows calls an
                   adapter by its friendly name, which need not be the Linux interface's name.
Nothing else is masked. The one random part of the protocol is the filler interleaved with the
plain message before encryption (seeded with the time, and MinGW's C library has another
generator than glibc's): it never reaches the log, which holds the plain message the device
decrypted, so the requests compare byte for byte. The client's own address (10.81.0.1, in the
authentication request and the log's "from") is the same on every road: each tool runs on the
pc, each emulator on ap1.
"""

import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import labkit  # noqa: E402
from labkit import PC, ap_address, read_json_lines  # noqa: E402

check = labkit.Checks("interop_lab")
AP = ap_address(1)
# The configure dialog's 84 s scaled to 16.8 s at most (ticks of 1.4 s, login pause 100 ms,
# pairing pause 200 ms): every answer across the lab, Wine's included, comes well within the
# pauses, so every road sends the same number of requests.
SCALE = "0.2"
WINE_START_TIMEOUT = 180
STEP_TIMEOUT = 120

HALL = {"mac": "02-81-00-17-00-01", "name": "Hall", "token": "17000001", "password": "hall-pw",
        "ipMode": "static", "ip": "10.81.0.200", "netmask": "255.255.255.0",
        "gateway": "10.81.0.1", "ssid": "HallNet", "channel": 6, "security": 1,
        "key": "C93CA31ECA", "networkMode": "g-only", "firmware": "2.0.7",
        "auxName": "TRV81K-HALL", "auxAttr": 3, "auxKeyCode": 2, "auxText": "r2"}
YARD = {"mac": "02-81-00-17-00-02", "name": "Yard", "token": "17000002", "password": "yard-pw",
        "ipMode": "static", "ip": "10.81.0.201", "netmask": "255.255.255.0",
        "gateway": "10.81.0.1", "ssid": "YardNet", "channel": 11, "security": 9,
        "key": "yard-psk-1", "networkMode": "mixed", "pairingManaged": True}

# (step, expected exit code, trv81k-cli's arguments after the global options)
STEPS = [
    ("search", 0, ["search", "--json", "--expect", "2", "--timeout", "3"]),
    ("login", 4, ["configure", "--device", HALL["mac"], "--password", "not-the-password",
                  "--name", "Nobody"]),
    ("configure", 0, ["configure", "--device", "Hall", "--password", "hall-pw", "--static",
                      "--ip", "10.81.0.60", "--netmask", "255.255.0.0", "--gateway",
                      "10.81.0.254", "--name", "Hall-2", "--new-password", "hall-pw-2",
                      "--ssid", "Hall Net 2", "--channel", "3", "--net-mode", "b-only",
                      "--security", "wpa2", "--passphrase", "across the lab"]),
    ("verify", 0, ["configure", "--device", YARD["mac"], "--password", "yard-pw", "--dhcp",
                   "--name", "Yard-2", "--verify", "5"]),
]
# The requests each step must leave in the log: a search before every exchange, the pairing
# check only where no wireless option decides, the configure request five times (at once and
# at ticks 0, 3, 6 and 9), the verification's search.
EXPECTED_KINDS = (["search"] + ["search", "auth"] +
                  ["search", "auth"] + ["configure"] * 5 +
                  ["search", "auth", "check-bps"] + ["configure"] * 5 + ["search"])
IGNORED = ("time",)


def windows_path(path):
    """The path a Windows program of Wine's Z: drive (the Unix root) opens."""
    return "Z:" + path.replace("/", "\\")


class Wine:
    """A fresh Wine prefix whose server runs in one host's namespace."""

    def __init__(self, lab, host, folder, wine_run):
        self.lab, self.host, self.wine_run = lab, host, wine_run
        self.prefix = os.path.join(folder, "wine-" + host)
        os.makedirs(self.prefix)
        wine_dir = "/usr/lib/wine"
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=",
                        PATH=wine_dir + os.pathsep + os.environ.get("PATH", ""))
        self.started = False

    def start(self):
        """Starts the server in the namespace and makes the prefix; False when either failed.
        Both write to a file: the server and the programs wineboot leaves running keep what
        they were given open, and a pipe would never end."""
        out = os.path.join(self.prefix + ".log")
        with open(out, "w") as sink:
            server = self.lab.run(self.host, "wineserver", "-p", env=self.env, timeout=30,
                                  capture_output=False, stdout=sink, stderr=sink)
            if not check(server.returncode == 0, "wineserver -p on %s: exit %d" % (
                    self.host, server.returncode)):
                return False
            self.started = True
            boot = self.lab.run(self.host, self.wine_run, "wineboot", "--init", env=self.env,
                                timeout=WINE_START_TIMEOUT, capture_output=False, stdout=sink,
                                stderr=sink)
        if boot.returncode != 0:
            with open(out) as f:
                check(False, "wineboot --init on %s: exit %d: %s" % (
                    self.host, boot.returncode, f.read().strip()))
            return False
        return True

    def command(self, program, *args):
        return [self.wine_run, program] + list(args)

    def stop(self):
        if not self.started:
            return
        self.started = False
        self.lab.run(self.host, "wineserver", "-k", env=self.env, timeout=30)
        try:
            self.lab.run(self.host, "wineserver", "-w", env=self.env, timeout=30)
        except subprocess.TimeoutExpired:
            check(False, "the Wine server on %s did not end within 30 s" % self.host)


class Road:
    """One pairing of a command-line tool and an emulator: what the tool printed at each step,
    the emulator's log and state file."""

    def __init__(self, name, folder):
        self.name = name
        self.folder = os.path.join(folder, name)
        os.makedirs(self.folder)
        self.outputs = []
        self.log = []
        self.state = None

    def path(self, name):
        return os.path.join(self.folder, name)


def walk(lab, road, cli, emulator, cli_wine=None, emulator_wine=None):
    """Starts the emulator on ap1 and runs the steps with the tool on the pc."""
    config, state, log = road.path("devices.json"), road.path("state.json"), road.path("log.jsonl")
    labkit.write_json(config, {"devices": [HALL, YARD]})
    files = [config, state, log]
    if emulator_wine:
        files = [windows_path(f) for f in files]
        command = emulator_wine.command(emulator, "--interface", AP, "--config", files[0],
                                        "--state", files[1], "--log", files[2])
        process = subprocess.Popen(lab.command("ap1", *command), stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE, text=True, env=emulator_wine.env)
    else:
        process = subprocess.Popen(lab.command("ap1", emulator, "--interface", AP, "--config",
                                               config, "--state", state, "--log", log),
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        started = []
        deadline = time.monotonic() + (60 if emulator_wine else 10)
        while len(started) < 2 and time.monotonic() < deadline:
            line = process.stderr.readline()
            if not line:
                break
            started.append(line.strip())
        if not check.equal(started, ["emulating Hall %s password hall-pw on %s" % (HALL["mac"], AP),
                                     "emulating Yard %s password yard-pw on %s" % (YARD["mac"], AP)],
                           "%s: the emulator's start-up lines" % road.name):
            return
        for step, code, args in STEPS:
            options = ["--interface", PC, "--timing-scale", SCALE]
            if cli_wine:
                command, env = cli_wine.command(cli, *options, *args), cli_wine.env
            else:
                command, env = [cli] + options + args, None
            begun = time.monotonic()
            result = lab.run("pc", *command, env=env, timeout=STEP_TIMEOUT)
            print("%s: %s: exit %d in %.1f s" % (road.name, step, result.returncode,
                                                  time.monotonic() - begun), flush=True)
            check(result.returncode == code, "%s: %s: exit %d, expected %d; stderr: %s" % (
                road.name, step, result.returncode, code, result.stderr.strip()))
            road.outputs.append((step, result.stdout))
    finally:
        if process.poll() is None:
            process.terminate()
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
        process.stderr.close()
        process.stdout.close()
    road.log = read_json_lines(log)
    try:
        road.state = labkit.read_json(state)
    except FileNotFoundError:
        road.state = None


def masked_output(step, text):
    """A step's standard output with the adapter's name left out (search --json)."""
    if step != "search":
        return text
    try:
        listing = json.loads(text)
    except ValueError:
        return text
    for entry in listing:
        if isinstance(entry.get("adapter"), dict):
            entry["adapter"].pop("name", None)
    return json.dumps(listing, indent=1)


def first_difference(a, b):
    left, right = bytes.fromhex(a or ""), bytes.fromhex(b or "")
    for offset in range(max(len(left), len(right))):
        if offset >= len(left) or offset >= len(right) or left[offset] != right[offset]:
            return offset
    return None


def compare(road, reference):
    """Every request of `road` against the same request of `reference` (Linux to Linux)."""
    what = "%s against %s" % (road.name, reference.name)
    kinds = [e.get("kind") for e in road.log]
    check.equal(kinds, EXPECTED_KINDS, "%s: the requests the emulator logged" % road.name)
    for n, (entry, other) in enumerate(zip(road.log, reference.log), 1):
        for key in dict.fromkeys(list(other) + list(entry)):
            if key in IGNORED:
                continue
            if key == "plain":
                offset = first_difference(entry.get(key), other.get(key))
                check(offset is None, "%s: request %d (%s): the plain messages differ from byte "
                      "%s on" % (what, n, entry.get("kind"), offset))
            else:
                check.equal(entry.get(key, "(missing)"), other.get(key, "(missing)"),
                            "%s: request %d (%s): %s" % (what, n, entry.get("kind"), key))
    check.equal(road.state, reference.state, "%s: the state file" % what)
    for (step, out), (_, expected) in zip(road.outputs, reference.outputs):
        check.equal(masked_output(step, out), masked_output(step, expected),
                    "%s: what %s printed" % (what, step))
    check.equal(len(road.outputs), len(STEPS), "%s: steps run" % road.name)


def walk_roads(lab, folder, cli, emulator, win_cli, win_emulator, wine_run):
    """The three roads, Linux to Linux first as the reference, and their comparison. Each Wine
    server is stopped before the next road, also when a road fails."""
    reference = Road("linux-to-linux", folder)
    walk(lab, reference, cli, emulator)
    check.equal([e.get("kind") for e in reference.log], EXPECTED_KINDS,
                "linux-to-linux: the requests the emulator logged")
    roads = []
    for name, host in (("windows-cli-to-linux-emulator", "pc"),
                       ("linux-cli-to-windows-emulator", "ap1")):
        road = Road(name, folder)
        wine = Wine(lab, host, folder, wine_run)
        try:
            if wine.start():
                if host == "pc":
                    walk(lab, road, win_cli, emulator, cli_wine=wine)
                else:
                    walk(lab, road, cli, win_emulator, emulator_wine=wine)
        finally:
            wine.stop()
        roads.append(road)
    for road in roads:
        compare(road, reference)
    print("interop_lab: %d requests a road compared; left out: %s, the adapter's name in "
          "search --json" % (len(EXPECTED_KINDS), ", ".join(IGNORED)), flush=True)


def main(argv):
    if len(argv) not in (4, 6) or (len(argv) == 6 and argv[4] != "--keep"):
        print(__doc__, file=sys.stderr)
        return 2
    windows_bin, linux_bin, netlab, wine_run = argv[:4]
    keep = argv[5] if len(argv) == 6 else None
    win_cli = windows_path(os.path.join(os.path.abspath(windows_bin), "trv81k-cli.exe"))
    win_emulator = windows_path(os.path.join(os.path.abspath(windows_bin), "trv81k-emulator.exe"))
    cli = os.path.join(os.path.abspath(linux_bin), "trv81k-cli")
    emulator = os.path.join(os.path.abspath(linux_bin), "trv81k-emulator")
    for program in (win_cli, win_emulator):
        if not os.path.isfile(program[2:].replace("\\", "/")):
            print("interop_lab: %s is missing" % program, file=sys.stderr)
            return 1
    for program in (cli, emulator):
        if not os.access(program, os.X_OK):
            print("interop_lab: %s is missing" % program, file=sys.stderr)
            return 1
    # A stop from outside (the build's time limit) ends the lab the way a failure does: the Wine
    # servers stopped, the namespaces removed, the folder gone.
    for number in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(number, lambda signum, frame: sys.exit(128 + signum))
    folder = tempfile.mkdtemp(prefix="interop-")
    try:
        with labkit.Lab(netlab, "iop") as lab:
            walk_roads(lab, folder, cli, emulator, win_cli, win_emulator, wine_run)
    except labkit.Skip:
        return labkit.SKIP
    finally:
        if keep:
            os.makedirs(keep, exist_ok=True)
            for root, _, names in os.walk(folder):
                if "wine-" in root:
                    continue
                for name in names:
                    if name.endswith((".jsonl", ".json")):
                        shutil.copy(os.path.join(root, name), os.path.join(
                            keep, "%s-%s" % (os.path.basename(root), name)))
        shutil.rmtree(folder, ignore_errors=True)
    return check.result()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
