#!/usr/bin/env python3
"""trv81k-cli against trv81k-emulator processes on a lab network: the real programs, the
command line on the pc, the emulated access points on the ap hosts.

    cli_lab.py CASE PATH/TO/trv81k-cli PATH/TO/trv81k-emulator PATH/TO/scripts/netlab

CASE is one of
    search     one device beside a doubled answer and one without the pairing marker; 32
               devices from four hosts within one second; multicast loopback off (a program
               does not hear its own requests, but for the diagnosis's probe)
    configure  static address, DHCP with WEP 64 from a passphrase, WPA2 with a 64-digit key,
               a pairing-managed device, a wrong password (exit 4), a device that never
               acknowledges (exit 5)
    apply      a file with bad entries (exit 2, not one request sent); --check's changes of
               each device, secrets masked, searches only (exit 3 with one missing); eight
               devices written
               and verified in one run; a silent device among three (exit 7, the others done)
    secrets    configure's secrets from files and from variables, never in /proc/PID/cmdline
After every configure the emulator's state file is compared with what the device must hold,
field by field, for every device it emulates. (The other pairing roads, the same exchange over
loopback: tests/unit/cli/test_exchange.cpp.) Exit 77 (skipped) where the lab cannot be made.
"""

import copy
import json
import os
import re
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import labkit  # noqa: E402
from labkit import PC, Emulator, ap_address, read_json, read_json_lines  # noqa: E402

CASE, CLI, EMULATOR, NETLAB = sys.argv[1:5]
check = labkit.Checks("cli_lab " + CASE)

PASSWORD_ERROR = "The password is not correct."
CONFIGURE_FAIL = "The TRV81K did not confirm the new settings."
# The first WEP 64 key of the passphrase "secret" (computed apart from this code).
WEP64_OF_SECRET = "C93CA31ECA"
PSK_64 = "0123456789abcdefABCDEF0123456789abcdef0123456789ABCDEF0123456789"
# The configure requests one exchange sends: at once, then at ticks 0, 3, 6 and 9.
CONFIGURE_REQUESTS = 5
# The scale that makes the configure dialog's 84 s last 4.2 s (login pause 25 ms).
FAST = "0.05"
# The runs that check what is sent rather than when (apply's, and configure's after the first):
# login pause 100 ms, which a busy machine's answers still meet.
QUICK = "0.2"

NET_MODES = ["mixed", "g-only", "b-only"]


def device(mac, name, **fields):
    """A device of an emulator configuration with every setting spelled out."""
    d = {"mac": mac, "name": name, "token": mac.replace("-", "")[4:], "password": "pw-" + name,
         "ipMode": "static", "ip": "10.81.0.200", "netmask": "255.255.255.0",
         "gateway": "10.81.0.1", "ssid": "net-" + name, "channel": 6, "security": 0, "key": "",
         "networkMode": "mixed", "firmware": "3.2.1"}
    d.update(fields)
    return d


def state_of(config):
    """The state file the emulator writes for these devices while they hold their settings."""
    keys = ["mac", "name", "password", "ipMode", "ip", "netmask", "gateway", "ssid", "channel",
            "security", "key", "networkMode"]
    return {"version": 1, "devices": [{k: d[k] for k in keys} for d in config["devices"]]}


def listing(d, security_text=""):
    """What search --json on the pc shows for a configured device."""
    return {"name": d["name"], "mac": d["mac"], "ipMode": d["ipMode"], "ip": d["ip"],
            "netmask": d["netmask"], "gateway": d["gateway"], "ssid": d["ssid"],
            "channel": d["channel"], "security": d["security"], "securityText": security_text,
            "networkMode": d["networkMode"], "firmware": d["firmware"],
            "adapter": {"name": "lab0", "address": PC}}


class Run:
    """One run of trv81k-cli on a host of the lab."""

    def __init__(self, lab, host, *args, interface=True, env=None, stdin=None, timeout=120):
        command = [CLI]
        if interface:
            command += ["--interface", PC if host == "pc" else ap_address(int(host[2:]))]
        command += list(args)
        full_env = dict(os.environ)
        full_env.pop("TRV81K_PASSWORD", None)
        full_env.update(env or {})
        result = lab.run(host, *command, env=full_env, input=stdin, timeout=timeout)
        self.code, self.out, self.err = result.returncode, result.stdout, result.stderr
        self.what = " ".join(args)

    def json(self):
        try:
            return json.loads(self.out)
        except ValueError:
            return None

    def handled(self):
        return labkit.receiver_handled(self.err)

    def stored_after_ms(self):
        found = re.search(r"the last ([0-9.]+) ms after the request", self.err)
        return float(found.group(1)) if found else None

    def ended_ms(self):
        found = re.search(r"ended ([0-9.]+) ms after it", self.err)
        return float(found.group(1)) if found else None

    def expect(self, code, what):
        return check(self.code == code, "%s: exit %d, expected %d (%s); stderr: %s" % (
            what, self.code, code, self.what, self.err.strip()))


def start(lab, host, config, devices, *args):
    return Emulator.of(check, lab, host, EMULATOR, config, devices, *args)


def stop_all(emulators):
    for e in emulators:
        check.equal(e.stop(), 0, "emulator ends with 0 on SIGTERM")
    emulators.clear()


# ---- search ---------------------------------------------------------------------------------

def case_search(lab, folder):
    def path(name):
        return os.path.join(folder, name)

    emulators = []
    try:
        # A device, one without the marker and one that answers twice; the adapter found by the
        # check (no --interface). The doubled answer is listed once, the marker-less one not at
        # all, and it does not take a slot.
        solo, nomark, twice = (
            device("02-81-00-01-00-01", "Solo", security=9, key="solo-psk-1",
                   networkMode="g-only", channel=11, firmware="4.0.2"),
            device("02-81-00-01-00-02", "NoMark", noMarker=True),
            device("02-81-00-01-00-03", "Twice", answerTwice=True))
        emulators.append(start(lab, "ap1", path("one.json"), [solo, nomark, twice],
                               "--log", path("one.jsonl")))
        r = Run(lab, "pc", "--verbose", "search", "--json", "--timeout", "1", interface=False)
        r.expect(0, "search for one device and the odd ones")
        check.equal(r.json(), [listing(solo, "WPA2-Personal(AES)"), listing(twice, "Disabled")],
                    "search --json")
        check.equal(r.handled(), 4, "datagrams the receiver handled (1 + 1 + 2)")
        table = Run(lab, "pc", "search", "--timeout", "1").out.splitlines()
        check(len(table) == 3 and table[0].split()[:2] == ["NAME", "MAC"] and
              table[1].split()[:4] == ["Solo", solo["mac"], "static", "10.81.0.200"] and
              table[2].split()[:2] == ["Twice", twice["mac"]], "search table: %r" % table)
        log = read_json_lines(path("one.jsonl"))
        check.equal([(e["kind"], e["from"], e["size"]) for e in log],
                    [("search", PC, 641), ("search", PC, 641)], "the emulator's request log")
        check.equal([(a["mac"], a["copies"], a["marker"]) for a in log[0]["answers"]],
                    [(solo["mac"], 1, True), (nomark["mac"], 1, False), (twice["mac"], 2, True)],
                    "what the emulator sent")
        stop_all(emulators)

        # 32 devices on four hosts answer one search: all of them are stored, and the search
        # ends once they have (a quiet period after the last), long before its 3 s limit.
        every = []
        for k in range(1, 5):
            config = {"devices": [device("02-81-00-03-%02X-%02X" % (k, i), "AP%d-%d" % (k, i),
                                         ip=ap_address(k), channel=i + 1)
                                  for i in range(8)]}
            every += config["devices"]
            emulators.append(start(lab, "ap%d" % k, path("many%d.json" % k),
                                   config["devices"]))
        by_mac = {d["mac"]: d for d in every}
        for attempt in range(3):
            r = Run(lab, "pc", "--verbose", "search", "--json")
            r.expect(0, "search for 32 devices")
            listed = r.json() or []
            check.equal(sorted(d["mac"] for d in listed), sorted(d["mac"] for d in every),
                        "the 32 devices listed (search %d)" % (attempt + 1))
            wrong = [d for d in listed
                     if d["mac"] in by_mac and listing(by_mac[d["mac"]], "Disabled") != d]
            check(not wrong, "devices listed with other settings (search %d): %r" %
                  (attempt + 1, wrong))
            check.equal(r.handled(), 32, "datagrams handled for 32 devices")
            check((r.ended_ms() or 3000) < 1500,
                  "the search ended %s ms after the request" % r.ended_ms())
            print("%d devices stored, the last %s ms after the request; the search ended %s ms "
                  "after it" % (len(listed), r.stored_after_ms(), r.ended_ms()))
        stop_all(emulators)

        # Multicast loopback is off: an emulator on the pc itself hears nothing of the pc's
        # search, and the command-line tool hears nothing but the access point's answer.
        far = device("02-81-00-04-00-02", "Far", ip=ap_address(1))
        emulators.append(start(lab, "pc", path("near.json"),
                               [device("02-81-00-04-00-01", "OnThePc", ip=PC)],
                               "--interface", PC, "--log", path("near.jsonl")))
        far_emulator = start(lab, "ap1", path("far.json"), [far], "--log", path("far.jsonl"))
        emulators.append(far_emulator)
        r = Run(lab, "pc", "--verbose", "search", "--json", "--timeout", "1")
        r.expect(0, "search beside an emulator on the same host")
        check.equal(r.json(), [listing(far, "Disabled")],
                    "only the other host's device is listed")
        check.equal(r.handled(), 1, "datagrams handled: the one answer, not the own request")
        check.equal(read_json_lines(path("near.jsonl")), [],
                    "the emulator on the pc heard no request of the pc")
        check.equal([e["kind"] for e in read_json_lines(path("far.jsonl"))], ["search"],
                    "the access point heard the search")
        check.equal(far_emulator.stop(), 0, "emulator ends with 0 on SIGTERM")
        emulators.remove(far_emulator)
        r = Run(lab, "pc", "--verbose", "search", "--json", "--timeout", "1")
        r.expect(3, "search with no device on the other hosts")
        check.equal(r.json(), [], "empty list")
        # Only the diagnosis's probe goes out with loopback on: its own copy is the one datagram
        # handled, and the one request the emulator on the pc heard.
        check.equal(r.handled(), 1, "datagrams handled with no device on the network")
        check("no TRV81K answered" in r.err, "says that nothing answered: %r" % r.err)
        check.equal([e["kind"] for e in read_json_lines(path("near.jsonl"))], ["search"],
                    "the emulator on the pc heard the probe alone")
    finally:
        stop_all(emulators)


# ---- configure ------------------------------------------------------------------------------

class Devices:
    """An emulator on ap1 whose state file is checked against the expected settings."""

    def __init__(self, lab, folder, devices):
        self.lab, self.folder = lab, folder
        self.config = {"devices": devices}
        self.expected = copy.deepcopy(self.config)
        self.state_path = os.path.join(folder, "state.json")
        self.log_path = os.path.join(folder, "log.jsonl")
        self.emulator = start(lab, "ap1", os.path.join(folder, "devices.json"), devices,
                              "--state", self.state_path, "--log", self.log_path)
        self.log_seen = 0

    def mac(self, name):
        return next(d["mac"] for d in self.config["devices"] if d["name"] == name)

    def change(self, mac, **fields):
        """What a configure request must have changed."""
        next(d for d in self.expected["devices"] if d["mac"] == mac).update(fields)

    def check_state(self, what):
        try:
            state = read_json(self.state_path)
        except FileNotFoundError:
            state = None if self.expected == self.config else "missing"
        if state is None:
            return  # nothing applied yet and nothing expected
        check.equal(state, state_of(self.expected), "state file after " + what)

    def new_requests(self):
        """The log lines written since the last call."""
        log = read_json_lines(self.log_path)
        fresh, self.log_seen = log[self.log_seen:], len(log)
        return fresh


def configure_requests(log, mac):
    return [e for e in log if e["kind"] == "configure" and e.get("mac") == mac]


def case_configure(lab, folder):
    devices = Devices(lab, folder, [
        device("02-81-00-05-00-01", "Static", security=9, key="old-psk-static"),
        device("02-81-00-05-00-02", "Dhcp", ssid="Corner", channel=4, networkMode="g-only"),
        device("02-81-00-05-00-03", "Wpa2"),
        device("02-81-00-05-00-04", "Locked"),
        device("02-81-00-05-00-05", "Mute", neverAcknowledge=True),
        device("02-81-00-05-00-06", "Paired", pairingManaged=True, security=9,
               key="paired-psk-1", ssid="Home", channel=9),
        # A hostile device: its name would retitle the terminal, clear the screen and write
        # the clipboard; it acknowledges but keeps what it announces.
        device("02-81-00-05-00-07", "\x1b]0;PWNED\x07\x1b[2J\x1b]52;c;aGk=\x07",
               password="pw-hostile", ssid="\x1b[31mred", keepSettings=True),
    ])
    try:
        # Static address and every basic and wireless value, verified afterwards.
        mac = devices.mac("Static")
        r = Run(lab, "pc", "configure", "--device", mac, "--password", "pw-Static", "--static",
                "--ip", "10.81.0.60", "--netmask", "255.255.0.0", "--gateway", "10.81.0.254",
                "--name", "Office", "--new-password", "office-pw", "--ssid", "OfficeNet",
                "--channel", "3", "--security", "disabled", "--net-mode", "b-only",
                "--verify", "3")
        r.expect(0, "static configuration")
        check.equal(r.out, mac + ": configured and verified\n", "static: output")
        devices.change(mac, name="Office", password="office-pw", ip="10.81.0.60",
                       netmask="255.255.0.0", gateway="10.81.0.254", ssid="OfficeNet",
                       channel=3, security=0, key="", networkMode="b-only")
        devices.check_state("the static configuration")
        log = devices.new_requests()
        # The configure dialog's schedule: at once and at ticks 0, 3, 6 and 9, the same request
        # each time, also after the acknowledgement.
        check.equal([e["kind"] for e in log],
                    ["search", "auth"] + ["configure"] * CONFIGURE_REQUESTS + ["search"],
                    "static: requests the device received")
        sent = configure_requests(log, mac)
        check(len(sent) == CONFIGURE_REQUESTS and sent[0]["ipMode"] == 1
              and sent[0]["wirelessEditable"] == 1 and sent[0]["result"] == "applied"
              and len({e["plain"] for e in sent}) == 1, "static: the configure request %r" % sent)

        # DHCP and WEP 64 from a passphrase; the password from the environment. Unset values
        # keep the device's own (SSID, channel, network mode, name, password).
        mac = devices.mac("Dhcp")
        r = Run(lab, "pc", "--timing-scale", QUICK, "configure", "--device", mac, "--dhcp",
                "--security", "wep64", "--passphrase", "secret",
                env={"TRV81K_PASSWORD": "pw-Dhcp"})
        r.expect(0, "DHCP with WEP 64")
        check.equal(r.out, mac + ": configured\n", "DHCP: output")
        devices.change(mac, ipMode="dhcp", security=1, key=WEP64_OF_SECRET)
        devices.check_state("the DHCP configuration")
        sent = configure_requests(devices.new_requests(), mac)
        check(len(sent) == CONFIGURE_REQUESTS
              and (sent[0]["ipMode"], sent[0]["ip"], sent[0]["netmask"], sent[0]["gateway"])
              == (0, "0.0.0.0", "0.0.0.0", "0.0.0.0"),
              "DHCP: no addresses in the request %r" % sent)

        # WPA2 with a 64-digit key; the password from standard input.
        mac = devices.mac("Wpa2")
        r = Run(lab, "pc", "--timing-scale", QUICK, "configure", "--device", mac,
                "--password-file", "-", "--security", "wpa2", "--key", PSK_64, "--ssid",
                "Secure", stdin="pw-Wpa2\n")
        r.expect(0, "WPA2 with a 64-digit key")
        devices.change(mac, security=9, key=PSK_64, ssid="Secure")
        devices.check_state("the WPA2 configuration")
        devices.new_requests()

        # Pairing control: one check, then only the network settings are written (wireless not
        # editable, the pairing code 11 sent as 0, no key bytes).
        mac = devices.mac("Paired")
        r = Run(lab, "pc", "--timing-scale", QUICK, "--verbose", "configure", "--device", mac,
                "--password", "pw-Paired", "--static", "--ip", "10.81.0.70", "--name",
                "PairedAP")
        r.expect(0, "pairing-managed device")
        check("pairing check: pairing control" in r.err, "pairing-managed: %r" % r.err)
        log = devices.new_requests()
        check.equal([e["kind"] for e in log],
                    ["search", "auth", "check-bps"] + ["configure"] * CONFIGURE_REQUESTS,
                    "pairing-managed: requests")
        check.equal({(e["wirelessEditable"], e["securityMode"], e["key"], e["result"])
                     for e in configure_requests(log, mac)}, {(0, 0, "", "applied")},
                    "pairing-managed: the configure request")
        devices.change(mac, ip="10.81.0.70", name="PairedAP")
        devices.check_state("the pairing-managed configuration")

        # A wrong password: exit 4, the login refused, nothing written.
        mac = devices.mac("Locked")
        r = Run(lab, "pc", "--timing-scale", QUICK, "configure", "--device", mac, "--password",
                "not-it", "--name", "X")
        r.expect(4, "wrong password")
        check(PASSWORD_ERROR in r.err, "wrong password: the message %r" % r.err)
        log = devices.new_requests()
        check.equal([(e["kind"], [a.get("result") for a in e["answers"]]) for e in log],
                    [("search", [None] * 7), ("auth", ["wrong password"])],
                    "wrong password: requests and the device's verdict")
        devices.check_state("the wrong password")

        # A device that never acknowledges: the request goes out five times on the configure
        # dialog's schedule (scaled), then exit 5. The device did apply it.
        mac = devices.mac("Mute")
        r = Run(lab, "pc", "--timing-scale", FAST, "--verbose", "configure", "--device", mac,
                "--password", "pw-Mute", "--name", "Quiet", "--ssid", "QuietNet")
        r.expect(5, "never acknowledged")
        check(CONFIGURE_FAIL in r.err, "never acknowledged: the message %r" % r.err)
        check("no acknowledgement" in r.err and "after the first of 5 request(s)" in r.err,
              "never acknowledged: five requests %r" % r.err)
        sent = configure_requests(devices.new_requests(), mac)
        check.equal([e["result"] for e in sent], ["applied"] * 5,
                    "never acknowledged: configure requests received")
        devices.change(mac, name="Quiet", ssid="QuietNet")
        devices.check_state("the unacknowledged configuration")

        # What the hostile device announces after --verify reaches the terminal escaped.
        mac = "02-81-00-05-00-07"
        r = Run(lab, "pc", "--timing-scale", QUICK, "configure", "--device", mac,
                "--password", "pw-hostile", "--name", "Clean", "--ssid", "Calm", "--verify",
                "2")
        r.expect(6, "hostile device: not verified")
        check("\x1b" not in r.out + r.err and "\x07" not in r.out + r.err,
              "hostile device: no control character reaches the terminal %r" % (r.out + r.err))
        check('name: announced "?]0;PWNED??[2J?]52;c;aGk=?", written "Clean"' in r.err
              and 'SSID: announced "?[31mred", written "Calm"' in r.err,
              "hostile device: the differences, escaped %r" % r.err)
        check.equal([e["result"] for e in configure_requests(devices.new_requests(), mac)],
                    ["kept"] * CONFIGURE_REQUESTS, "hostile device: its configure requests")
        devices.check_state("the hostile device")
    finally:
        devices.emulator.stop()


# ---- apply ----------------------------------------------------------------------------------

def write_lines(path, text):
    with open(path, "w") as f:
        f.write(text + "\nthe second line is never read\n")


def entries_report(r):
    """(device, result) of each entry in apply's --json report."""
    return [(e.get("device"), e.get("result")) for e in (r.json() or [])]


def case_apply(lab, folder):
    def path(name):
        return os.path.join(folder, name)

    # Eight devices, the password "lab-admin" but for the one whose entry brings its own file;
    # a ninth that stays silent.
    rooms = [device("02-81-00-06-00-%02X" % k, "Room%d" % k, password="lab-admin",
                    security=9, key="old-key-%d" % k) for k in range(1, 9)]
    rooms[6]["password"] = "own-password-7"
    rooms[7]["pairingManaged"] = True
    silent = device("02-81-00-06-00-09", "Silent", silent=True)
    devices = Devices(lab, folder, rooms + [silent])
    write_lines(path("wifi.txt"), "floor wireless key")
    os.makedirs(path("secrets"))
    write_lines(path("secrets/new-pw-6"), "room6-new-pw")
    write_lines(path("secrets/pw-7"), "own-password-7")
    entries = [{"device": d["mac"], "name": "Floor-%d" % k} for k, d in enumerate(rooms, 1)]
    entries[1]["device"] = "Room2"  # by its name
    entries[2]["dhcp"] = True
    entries[3].update({"static": True, "ip": "10.81.0.64", "channel": 3})
    entries[5]["new-password-file"] = "secrets/new-pw-6"
    entries[6]["password-file"] = "secrets/pw-7"
    entries[7]["pairing"] = True  # the defaults' wireless settings are not its
    defaults = {"ssid": "Floor", "security": "wpa2", "passphrase-file": "wifi.txt",
                "channel": 11}
    env = {"TRV81K_PASSWORD": "lab-admin"}
    try:
        # A bad entry: exit 2, every bad entry named, and not one request sent.
        bad = copy.deepcopy(entries)
        bad[4].update({"static": True, "ip": "10.81.0.255"})
        bad[5]["chanel"] = 4
        labkit.write_json(path("bad.json"), {"defaults": defaults, "devices": bad})
        r = Run(lab, "pc", "apply", path("bad.json"), env=env)
        r.expect(2, "apply with bad entries")
        check.equal([line.split(":")[2].strip() for line in r.err.splitlines()],
                    ["entry 5, ip 10.81.0.255", "entry 6, chanel"], "apply: the bad entries")
        check.equal(devices.new_requests(), [], "apply with bad entries: requests sent")
        devices.check_state("apply with bad entries")

        # --check: what would change on each device, secrets masked, no password asked, and
        # nothing but searches sent.
        labkit.write_json(path("floor.json"), {"defaults": defaults, "devices": entries})
        r = Run(lab, "pc", "apply", path("floor.json"), "--check", "--json")
        r.expect(0, "apply --check")
        plan = {e["entry"]: e for e in r.json() or []}
        changes = {k: {c["field"]: (c["current"], c["new"]) for c in e.get("changes", [])}
                   for k, e in plan.items()}
        check.equal(changes.get(4), {"name": ("Room4", "Floor-4"),
                                     "IP": ("10.81.0.200", "10.81.0.64"),
                                     "SSID": ("net-Room4", "Floor"), "channel": ("6", "3"),
                                     "key": ("(not announced)", "********")},
                    "apply --check: entry 4's changes")
        check.equal(changes.get(6, {}).get("password"), ("********", "********"),
                    "apply --check: entry 6's new password, masked")
        check.equal(changes.get(3, {}).get("IP mode"), ("static", "dhcp"),
                    "apply --check: entry 3 to DHCP")
        check.equal((plan.get(8, {}).get("wireless"), changes.get(8)),
                    ("pairing", {"name": ("Room8", "Floor-8")}),
                    "apply --check: entry 8 left to the pairing")
        check("room6-new-pw" not in r.out and "floor wireless key" not in r.out,
              "apply --check shows no secret")
        text = Run(lab, "pc", "apply", path("floor.json"), "--check")
        text.expect(0, "apply --check as text")
        check("  IP: 10.81.0.200 \u2192 10.81.0.64" in text.out,
              "apply --check's text names the change: %r" % text.out)
        labkit.write_json(path("missing.json"), {"defaults": defaults, "devices": entries[:1] + [
            {"device": silent["mac"], "name": "Quiet"}]})
        r = Run(lab, "pc", "apply", path("missing.json"), "--check", "--json")
        r.expect(3, "apply --check with a device missing")
        check.equal([e["result"] for e in r.json() or []], ["found", "not-found"],
                    "apply --check with a device missing: the report")
        check.equal({e["kind"] for e in devices.new_requests()}, {"search"},
                    "apply --check: the requests the emulator logged")
        devices.check_state("apply --check")
        print("apply --check, entry 4: %s" % text.out.split("entry 4")[1].split("02-81")[0]
              .strip() if "entry 4" in text.out else "")

        # The eight: all done and verified.
        r = Run(lab, "pc", "--timing-scale", QUICK, "apply", path("floor.json"),
                "--verify", "3", "--json", env=env)
        r.expect(0, "apply to eight devices")
        check.equal(entries_report(r), [(d["mac"], "done") for d in rooms],
                    "apply to eight devices: the report")
        check(all(e["reason"] == "configured and verified" and
                  e["adapter"] == {"name": "lab0", "address": PC} for e in r.json() or []),
              "apply to eight devices: verified, through lab0: %r" % r.json())
        for k, d in enumerate(rooms, 1):
            devices.change(d["mac"], name="Floor-%d" % k)
            if k != 8:
                devices.change(d["mac"], ssid="Floor", security=9, key="floor wireless key",
                               channel=11)
        devices.change(rooms[2]["mac"], ipMode="dhcp")
        devices.change(rooms[3]["mac"], ip="10.81.0.64", channel=3)
        devices.change(rooms[5]["mac"], password="room6-new-pw")
        devices.check_state("apply to eight devices")
        log = devices.new_requests()
        check.equal(sorted(e["mac"] for e in log if e["kind"] == "configure" and
                           e["result"] == "applied"),
                    sorted([d["mac"] for d in rooms] * CONFIGURE_REQUESTS),
                    "apply to eight devices: the configure requests, as configure sends them")
        check.equal([e["kind"] for e in log].count("search"), 2,
                    "apply to eight devices: one search, one verification search")

        # The silent device among three others: they are done, it is not (exit 7).
        labkit.write_json(path("some.json"), {"defaults": {"pairing": True}, "devices": [
            {"device": rooms[0]["mac"], "name": "Again-1"},
            {"device": silent["mac"], "name": "Never"},
            {"device": rooms[1]["mac"], "name": "Again-2"}]})
        r = Run(lab, "pc", "--timing-scale", QUICK, "apply", path("some.json"), env=env)
        r.expect(7, "apply with a silent device")
        lines = r.out.splitlines()
        check(len(lines) == 3 and lines[0].startswith(silent["mac"] + ": not done: did not "
                                                      "answer the search"),
              "apply with a silent device: its line comes first %r" % lines)
        check.equal(sorted(line.split(" (")[0] for line in lines[1:]),
                    sorted(rooms[k]["mac"] + ": configured" for k in (0, 1)),
                    "apply with a silent device: the others are done")
        check("1 of 3" not in r.err and "2 of 3 device(s) done" in r.err,
              "apply with a silent device: the summary %r" % r.err)
        devices.change(rooms[0]["mac"], name="Again-1")
        devices.change(rooms[1]["mac"], name="Again-2")
        devices.check_state("apply with a silent device")
    finally:
        devices.emulator.stop()


# ---- secrets --------------------------------------------------------------------------------

def case_secrets(lab, folder):
    """The secrets of configure from files and variables, never in the process's arguments."""
    devices = Devices(lab, folder, [device("02-81-00-07-00-01", "FromFiles"),
                                    device("02-81-00-07-00-02", "FromVariables")])
    secrets = {"login": "pw-FromFiles", "new": "files-new-pw", "key": "files-psk-12345",
               "new2": "vars-new-pw", "phrase": "vars-psk-67890"}
    for name in ("login", "new", "key"):
        write_lines(os.path.join(folder, name + ".txt"), secrets[name])

    def watched(*args, env):
        """Runs trv81k-cli on the pc and reads its /proc/PID/cmdline while it runs."""
        command = [CLI, "--interface", PC, "--timing-scale", FAST] + list(args)
        full_env = dict(os.environ)
        full_env.update(env)
        process = subprocess.Popen(lab.command("pc", *command), env=full_env,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        # The process starts as netlab and ip; it is trv81k-cli once it runs the program.
        program, seen = os.path.realpath(CLI), b""
        while process.poll() is None and not seen:
            try:
                if os.readlink("/proc/%d/exe" % process.pid) == program:
                    with open("/proc/%d/cmdline" % process.pid, "rb") as f:
                        seen = f.read()
            except OSError:
                pass
        out, err = process.communicate(timeout=60)
        check(b"configure" in seen, "trv81k-cli's command line was read while it ran: %r" % seen)
        for name, value in secrets.items():
            check(value.encode() not in seen, "%s in /proc/PID/cmdline: %r" % (name, seen))
        return process.returncode, out, err

    try:
        mac = devices.mac("FromFiles")
        code, out, err = watched(
            "configure", "--device", mac, "--password-file", os.path.join(folder, "login.txt"),
            "--new-password-file", os.path.join(folder, "new.txt"), "--security", "wpa2",
            "--key-file", os.path.join(folder, "key.txt"), env={})
        check.equal((code, out), (0, mac + ": configured\n"), "secrets from files (%s)" % err)
        devices.change(mac, password=secrets["new"], security=9, key=secrets["key"])

        mac = devices.mac("FromVariables")
        code, out, err = watched(
            "configure", "--device", "FromVariables", "--security", "wpa2",
            env={"TRV81K_PASSWORD": "pw-FromVariables", "TRV81K_NEW_PASSWORD": secrets["new2"],
                 "TRV81K_PASSPHRASE": secrets["phrase"]})
        check.equal((code, out), (0, mac + ": configured\n"),
                    "secrets from variables, the device by its name (%s)" % err)
        devices.change(mac, password=secrets["new2"], security=9, key=secrets["phrase"])
        devices.check_state("configure with secrets from files and variables")
    finally:
        devices.emulator.stop()


CASES = {"search": (case_search, 4), "configure": (case_configure, 1), "apply": (case_apply, 1),
         "secrets": (case_secrets, 1)}


def main():
    if CASE not in CASES:
        print("cli_lab: unknown case %r (one of %s)" % (CASE, ", ".join(CASES)), file=sys.stderr)
        return 2
    body, aps = CASES[CASE]
    try:
        with labkit.Lab(NETLAB, "cli" + CASE[:4], aps=aps) as lab, \
                tempfile.TemporaryDirectory() as folder:
            body(lab, folder)
    except labkit.Skip:
        return labkit.SKIP
    return check.result()


if __name__ == "__main__":
    sys.exit(main())
