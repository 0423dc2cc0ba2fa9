#!/usr/bin/env python3
"""The file work of the differential lab (diff_lab.sh): the emulator's configuration and
trv81k-cli's arguments from one settings file, and the comparison of two request logs.

    diff_lab.py roads SETTINGS                 the names of the roads, one a line
    diff_lab.py emulator-config SETTINGS OUT   writes the devices for --config; prints their count
    diff_lab.py cli-args SETTINGS ROAD         trv81k-cli configure's arguments, each ended by NUL
    diff_lab.py compare ROAD WIZARD_LOG CLI_LOG WIZARD_STATE CLI_STATE

SETTINGS (diff_lab.json) holds "devices", the emulator's devices, and "roads": per road the
device (its name; MAC and password come from the device) and the settings both front ends
enter: ip, netmask, gateway (static), name, newPassword, and for the wireless pages ssid,
channel, netMode, security (wpa2), passphrase.

compare exits 1 when the two runs differ: the kinds of the requests and their order, every
logged field of each request (the n-th request of a kind against the other run's n-th of that
kind, the whole plain message byte by byte), and the state files the emulators left.
"""

import json
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
from labkit import read_json, read_json_lines, write_json  # noqa: E402

# Log fields that differ from run to run however alike the requests are; each is left out of
# the comparison by name. "from" is not among them: both front ends run on the lab's pc.
IGNORED = {
    "time": "when the emulator received the request",
}
# Shown apart: byte by byte rather than as two 640-digit texts.
PLAIN = "plain"


def road_of(settings, name):
    road = settings["roads"][name]
    device = next(d for d in settings["devices"] if d["name"] == road["device"])
    return road, device


def cli_args(settings, name):
    road, device = road_of(settings, name)
    args = ["--device", device["mac"], "--password", device["password"], "--static",
            "--ip", road["ip"], "--netmask", road["netmask"], "--gateway", road["gateway"],
            "--name", road["name"], "--new-password", road["newPassword"]]
    if "ssid" in road:
        # The wireless pages. Without these options trv81k-cli asks the pairing check and
        # leaves the wireless settings alone on a device under pairing control.
        args += ["--ssid", road["ssid"], "--channel", str(road["channel"]),
                 "--net-mode", road["netMode"], "--security", road["security"],
                 "--passphrase", road["passphrase"]]
    return args


class Report:
    def __init__(self, road):
        self.road = road
        self.differences = 0

    def say(self, text=""):
        print("diff_lab %s: %s" % (self.road, text) if text else "", flush=True)

    def differ(self, text):
        self.differences += 1
        self.say("DIFFERS: " + text)


def occurrences(log):
    """Each entry with its kind's count so far: [(kind, n, entry)], n from 1."""
    seen = {}
    result = []
    for entry in log:
        kind = entry.get("kind", "?")
        seen[kind] = seen.get(kind, 0) + 1
        result.append((kind, seen[kind], entry))
    return result


def first_byte_difference(a, b):
    """The first offset where two hex texts differ as bytes (None when the same)."""
    left, right = bytes.fromhex(a), bytes.fromhex(b)
    for offset in range(max(len(left), len(right))):
        if offset >= len(left) or offset >= len(right) or left[offset] != right[offset]:
            return offset, left, right
    return None


def around(data, offset, width=8):
    return data[offset:offset + width].hex(" ") or "(ends)"


def compare_plain(report, what, wizard_entry, cli_entry):
    """True when both plain messages are there and the same."""
    a, b = wizard_entry.get(PLAIN), cli_entry.get(PLAIN)
    if a is None or b is None:
        report.differ("%s: no plain message in the %s log" % (what, "wizard's" if a is None
                                                                 else "cli's"))
        return False
    found = first_byte_difference(a, b)
    if found is None:
        return True
    offset, left, right = found
    count = sum(1 for i in range(min(len(left), len(right))) if left[i] != right[i])
    report.differ("%s: the plain messages differ first at byte %d (0x%03x), %d byte(s) in all;"
                  " from there wizard %s, cli %s" % (what, offset, offset, count,
                                                    around(left, offset), around(right, offset)))
    return False


def compare_fields(report, what, wizard_entry, cli_entry):
    keys = [k for k in dict.fromkeys(list(wizard_entry) + list(cli_entry))
            if k not in IGNORED and k != PLAIN]
    for key in keys:
        a, b = wizard_entry.get(key, "(missing)"), cli_entry.get(key, "(missing)")
        if a != b:
            report.differ("%s: field %s: wizard %s, cli %s" % (what, key, json.dumps(a),
                                                                 json.dumps(b)))


def compare_logs(report, wizard_log, cli_log):
    wizard_kinds = [e.get("kind") for e in wizard_log]
    cli_kinds = [e.get("kind") for e in cli_log]
    report.say("wizard sent %d request(s): %s" % (len(wizard_kinds), " ".join(wizard_kinds)))
    report.say("cli    sent %d request(s): %s" % (len(cli_kinds), " ".join(cli_kinds)))
    if wizard_kinds != cli_kinds:
        at = next((i for i, (a, b) in enumerate(zip(wizard_kinds, cli_kinds)) if a != b),
                  min(len(wizard_kinds), len(cli_kinds)))
        report.differ("the requests' kinds or order: from request %d on wizard %s, cli %s" % (
            at + 1, " ".join(wizard_kinds[at:]) or "(nothing)",
            " ".join(cli_kinds[at:]) or "(nothing)"))

    # The n-th request of a kind against the other run's n-th of that kind; one that only one
    # front end sent is compared with the other's first of its kind.
    wizard_by, cli_by = occurrences(wizard_log), occurrences(cli_log)
    firsts = {}
    for kind, n, entry in wizard_by + cli_by:
        firsts.setdefault(kind, {})
    for side, listing in (("wizard", wizard_by), ("cli", cli_by)):
        for kind, n, entry in listing:
            if n == 1:
                firsts[kind][side] = entry
    pairs = {}
    for side, listing in (("wizard", wizard_by), ("cli", cli_by)):
        for kind, n, entry in listing:
            pairs.setdefault((kind, n), {})[side] = entry
    for (kind, n), sides in pairs.items():
        what = "%s request %d" % (kind, n)
        if len(sides) == 2:
            compare_fields(report, what, sides["wizard"], sides["cli"])
            compare_plain(report, what, sides["wizard"], sides["cli"])
            continue
        only = "wizard" if "wizard" in sides else "cli"
        other = "cli" if only == "wizard" else "wizard"
        if other not in firsts[kind]:
            report.differ("%s: only the %s sent it (the %s sent no %s request)" % (
                what, only, other, kind))
            continue
        # Still byte for byte: a repeated request must carry the same message.
        entry, first = sides[only], firsts[kind][other]
        pair = (entry, first) if only == "wizard" else (first, entry)
        same = compare_plain(report, "%s (%s) against the %s's %s request 1" % (
            what, only, other, kind), *pair)
        report.differ("%s: only the %s sent it%s" % (
            what, only, " (its plain message is that of the %s's %s request 1)" % (other, kind)
            if same else ""))


def summarise_configures(report, wizard_log, cli_log):
    """Whether every configure request of both runs carried one and the same message."""
    messages = [(side, n, e.get(PLAIN)) for side, log in (("wizard", wizard_log), ("cli", cli_log))
                for kind, n, e in occurrences(log) if kind == "configure"]
    distinct = list(dict.fromkeys(m for _, _, m in messages))
    if len(distinct) == 1 and distinct[0] is not None:
        report.say("plain configure messages: all %d the same (%d bytes)" % (
            len(messages), len(distinct[0]) // 2))
    elif messages:
        report.say("plain configure messages: %d different ones among %d" % (
            len(distinct), len(messages)))


def compare_states(report, wizard_state, cli_state):
    try:
        a = read_json(wizard_state)
    except FileNotFoundError:
        a = None
    try:
        b = read_json(cli_state)
    except FileNotFoundError:
        b = None
    if a is None or b is None:
        report.differ("state file: the %s run applied no configure request" % (
            "wizard's" if a is None else "cli's"))
        return
    a_devices = {d.get("mac"): d for d in a.get("devices", [])}
    b_devices = {d.get("mac"): d for d in b.get("devices", [])}
    for mac in dict.fromkeys(list(a_devices) + list(b_devices)):
        left, right = a_devices.get(mac, {}), b_devices.get(mac, {})
        for key in dict.fromkeys(list(left) + list(right)):
            if left.get(key) != right.get(key):
                report.differ("the device %s holds afterwards: %s: wizard %s, cli %s" % (
                    mac, key, json.dumps(left.get(key)), json.dumps(right.get(key))))


def compare(road, wizard_log_path, cli_log_path, wizard_state, cli_state):
    report = Report(road)
    wizard_log, cli_log = read_json_lines(wizard_log_path), read_json_lines(cli_log_path)
    report.say("fields left out of the comparison: " +
               ", ".join("%s (%s)" % item for item in IGNORED.items()))
    if not wizard_log or not cli_log:
        report.differ("no requests logged for the %s" % ("wizard" if not wizard_log else "cli"))
    compare_logs(report, wizard_log, cli_log)
    summarise_configures(report, wizard_log, cli_log)
    compare_states(report, wizard_state, cli_state)
    report.say("the same requests, byte for byte" if report.differences == 0
               else "%d difference(s)" % report.differences)
    return 0 if report.differences == 0 else 1


def main(argv):
    if len(argv) == 2 and argv[0] == "roads":
        print("\n".join(read_json(argv[1])["roads"]))
        return 0
    if len(argv) == 3 and argv[0] == "emulator-config":
        devices = read_json(argv[1])["devices"]
        write_json(argv[2], {"devices": devices})
        print(len(devices))
        return 0
    if len(argv) == 3 and argv[0] == "cli-args":
        sys.stdout.write("".join(a + "\0" for a in cli_args(read_json(argv[1]), argv[2])))
        return 0
    if len(argv) == 6 and argv[0] == "compare":
        return compare(*argv[1:])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
