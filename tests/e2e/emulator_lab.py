#!/usr/bin/env python3
"""trv81k-emulator on a lab network: two emulator processes on two access-point hosts, the
independent wire client on the pc. Search, login and configure read by that client; the
request log; the state file missing at first, across a restart, and corrupt (refused).

    emulator_lab.py PATH/TO/trv81k-emulator PATH/TO/scripts/netlab

Exit 77 (skipped) where the lab cannot be made.
"""

import json
import os
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import labkit  # noqa: E402
from labkit import PC  # noqa: E402

EMULATOR, NETLAB = sys.argv[1], sys.argv[2]
CLIENT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "wire_client.py")

check = labkit.Checks("emulator_lab")
lab = None  # the labkit.Lab of this run


def ask(request, wait=0.5):
    """Sends one request from the pc; the answers heard, in arrival order."""
    result = lab.run("pc", sys.executable, CLIENT, "--interface", PC, "--wait", str(wait),
                     json.dumps(request))
    if result.returncode == 77:
        raise SystemExit(77)
    if result.returncode != 0:
        raise RuntimeError("wire client failed: " + result.stderr)
    return [json.loads(line) for line in result.stdout.splitlines() if line.strip()]


def Emulator(host, *args):
    return labkit.Emulator(lab, host, EMULATOR, *args)


CONFIG_AP1 = {"devices": [
    {"name": "AP-A", "mac": "02-81-00-00-0A-01", "token": "01020304", "password": "secret",
     "ip": "10.81.0.11", "netmask": "255.255.255.0", "gateway": "10.81.0.1", "ssid": "LabNet",
     "channel": 11, "security": 0, "networkMode": "g-only", "firmware": "3.1.4"},
    {"name": "AP-B", "mac": "02-81-00-00-0B-01", "noMarker": True, "answerTwice": True},
]}
CONFIG_AP2 = {"devices": [
    {"name": "AP-C", "mac": "02-81-00-00-0C-01", "token": "0C0C0C0C", "pairingManaged": True},
]}


def run(folder):
    def path(name):
        return os.path.join(folder, name)

    for name, config in (("ap1.json", CONFIG_AP1), ("ap2.json", CONFIG_AP2)):
        labkit.write_json(path(name), config)

    # The state file is missing at first: the configuration holds.
    ap1 = Emulator("ap1", "--config", path("ap1.json"), "--state", path("state1.json"),
                   "--log", path("log1.jsonl"))
    ap2 = Emulator("ap2", "--config", path("ap2.json"))
    emulators = [ap1, ap2]
    try:
        check.equal(ap1.wait_started(2),
                    ["emulating AP-A 02-81-00-00-0A-01 password secret on 10.81.0.11",
                     "emulating AP-B 02-81-00-00-0B-01 password admin on 10.81.0.11"],
                    "start-up lines of ap1")
        check.equal(ap2.wait_started(1),
                    ["emulating AP-C 02-81-00-00-0C-01 password admin on 10.81.0.12"],
                    "start-up line of ap2")

        # Search: every device answers; AP-B twice and without the marker.
        answers = ask({"kind": "search"})
        by_mac = {}
        for a in answers:
            check(a["kind"] == "search-answer" and a["size"] == 641 and a["checksumOk"],
                  "well-formed search answer %r" % a)
            by_mac.setdefault(a["mac"], []).append(a)
        check(sorted((m, len(v)) for m, v in by_mac.items()) ==
              [("02-81-00-00-0A-01", 1), ("02-81-00-00-0B-01", 2), ("02-81-00-00-0C-01", 1)],
              "search answers per device: %r" % by_mac.keys())
        a = by_mac.get("02-81-00-00-0A-01", [{}])[0]
        check.fields(a, {"name": "AP-A", "password": "secret", "token": "01020304",
                         "ssid": "LabNet", "channel": 11, "networkMode": 1, "ip": "10.81.0.11",
                         "firmware": "3.1.4", "marker": True, "deviceId": "028100000A01"},
                     "AP-A's search answer")
        check(a.get("elapsed", 1) < 0.2, "AP-A answered within 200 ms: %r" % a.get("elapsed"))
        check(all(b["marker"] is False for b in by_mac.get("02-81-00-00-0B-01", [])),
              "AP-B's answers lack the marker")

        # Login and configure. (Refusals, repeats, the pairing check and junk: the emulator's
        # unit tests; the same across the lab: cli_lab.py.)
        login = {"kind": "auth", "mac": "02-81-00-00-0A-01", "token": "01020304"}
        accepted = ask(dict(login, password="secret"))
        check([(x["kind"], x["status"], x["ip"], x["token"]) for x in accepted] ==
              [("auth-answer", 0, PC, "01020304")], "login accepted: %r" % accepted)
        acks = ask({"kind": "configure", "mac": "02-81-00-00-0A-01", "ipMode": 1,
                    "ip": "10.81.0.50", "netmask": "255.255.0.0", "gateway": "10.81.0.1",
                    "name": "Renamed", "password": "newpw1", "wireless": 1, "ssid": "NewNet",
                    "channel": 1, "security": 9, "key": "passphrase", "networkMode": 2})
        check([(x["kind"], x["mac"], x["status"]) for x in acks] ==
              [("configure-answer", "02-81-00-00-0A-01", 0)], "configure acknowledged: %r" % acks)
        after = [x for x in ask({"kind": "search"}) if x["mac"] == "02-81-00-00-0A-01"]
        check.equal(len(after), 1, "AP-A's answers after the configure")
        check.fields(after[0] if after else {},
                     {"name": "Renamed", "password": "newpw1", "ssid": "NewNet",
                      "ip": "10.81.0.50", "security": 9, "networkMode": 2},
                     "new settings announced")

        check(ap1.stop() == 0, "emulator ends with 0 on SIGTERM")
        saved = {d["mac"]: d for d in labkit.read_json(path("state1.json"))["devices"]}
        check.fields(saved.get("02-81-00-00-0A-01"),
                     {"name": "Renamed", "key": "passphrase", "netmask": "255.255.0.0",
                      "networkMode": "b-only"}, "state file holds the new settings")
        check(sorted(os.listdir(folder)) ==
              ["ap1.json", "ap2.json", "log1.jsonl", "state1.json"], "no temporary files left")
        # Both hold passwords: readable by their owner only.
        for name in ("log1.jsonl", "state1.json"):
            mode = os.stat(path(name)).st_mode & 0o777
            check(mode & 0o077 == 0, "%s is mode %o, readable by others" % (name, mode))

        log = labkit.read_json_lines(path("log1.jsonl"))
        kinds = [entry["kind"] for entry in log]
        check(kinds == ["search", "auth", "configure", "search"], "log kinds %r" % kinds)
        check(all("time" in entry and entry["from"] == PC for entry in log), "log time and from")
        check.fields(log[2] if len(log) > 2 else {},
                     {"deviceName": "Renamed", "ip": "10.81.0.50", "result": "applied",
                      "password": "newpw1"}, "configure logged")

        # Restart: the settings come back from the state file.
        ap1 = Emulator("ap1", "--config", path("ap1.json"), "--state", path("state1.json"),
                       "--quiet")
        emulators.append(ap1)
        time.sleep(0.5)
        back = [x for x in ask({"kind": "search"}) if x["mac"] == "02-81-00-00-0A-01"]
        check.equal([(x["name"], x["channel"]) for x in back], [("Renamed", 1)],
                    "settings survive a restart")
        relogin = ask(dict(login, password="newpw1"))
        check([x["status"] for x in relogin] == [0], "new password logs in after restart")
        check(ap1.stop() == 0, "restarted emulator ends with 0")

        # A corrupt state file is refused and left as it is.
        with open(path("state1.json"), "w") as f:
            f.write('{"devices": [')
        bad = lab.run("ap1", EMULATOR, "--config", path("ap1.json"), "--state",
                      path("state1.json"), timeout=10)
        check(bad.returncode == 2 and "state" in bad.stderr, "corrupt state: %r" % bad.stderr)
        with open(path("state1.json")) as f:
            check(f.read() == '{"devices": [', "corrupt state file untouched")
    finally:
        for e in emulators:
            e.stop()


def main():
    global lab
    try:
        with labkit.Lab(NETLAB, "emu", aps=2) as lab, tempfile.TemporaryDirectory() as folder:
            run(folder)
    except labkit.Skip:
        return labkit.SKIP
    return check.result()


if __name__ == "__main__":
    sys.exit(main())
