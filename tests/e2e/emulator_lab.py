#!/usr/bin/env python3
"""trv81k-emulator on a lab network: two emulator processes on two access-point hosts, the
independent wire client on the pc. Search, login, pairing check and configure; the request
log; the state file across a restart; a corrupt state file refused.

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
        with open(path(name), "w") as f:
            json.dump(config, f)

    ap1 = Emulator("ap1", "--config", path("ap1.json"), "--state", path("state1.json"),
                   "--log", path("log1.jsonl"))
    ap2 = Emulator("ap2", "--config", path("ap2.json"))
    emulators = [ap1, ap2]
    try:
        started = ap1.wait_started(2)
        check(started == ["emulating AP-A 02-81-00-00-0A-01 password secret on 10.81.0.11",
                          "emulating AP-B 02-81-00-00-0B-01 password admin on 10.81.0.11"],
              "start-up lines: %r" % started)
        started = ap2.wait_started(1)
        check(started == ["emulating AP-C 02-81-00-00-0C-01 password admin on 10.81.0.12"],
              "start-up line of ap2: %r" % started)

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
        check(a.get("name") == "AP-A" and a.get("password") == "secret" and
              a.get("token") == "01020304" and a.get("ssid") == "LabNet" and
              a.get("channel") == 11 and a.get("networkMode") == 1 and
              a.get("ip") == "10.81.0.11" and a.get("firmware") == "3.1.4" and
              a.get("marker") is True and a.get("deviceId") == "028100000A01",
              "AP-A's search answer %r" % a)
        check(a.get("elapsed", 1) < 0.2, "AP-A answered within 200 ms: %r" % a.get("elapsed"))
        check(all(b["marker"] is False for b in by_mac.get("02-81-00-00-0B-01", [])),
              "AP-B's answers lack the marker")

        # Login.
        login = {"kind": "auth", "mac": "02-81-00-00-0A-01", "token": "01020304"}
        refused = ask(dict(login, password="wrong"))
        check([(x["kind"], x["status"]) for x in refused] == [("auth-answer", 1)],
              "wrong password refused: %r" % refused)
        accepted = ask(dict(login, password="secret"))
        check([(x["kind"], x["status"], x["ip"], x["token"]) for x in accepted] ==
              [("auth-answer", 0, PC, "01020304")], "login accepted: %r" % accepted)

        # Pairing check.
        check([x["state"] for x in ask({"kind": "bps", "mac": "02-81-00-00-0C-01"})] == [1],
              "AP-C is pairing-managed")
        check([x["state"] for x in ask({"kind": "bps", "mac": "02-81-00-00-0A-01"})] == [0],
              "AP-A is not pairing-managed")

        # Configure: AP-A after its login (twice: the repeat is answered too); AP-C without.
        new = {"kind": "configure", "mac": "02-81-00-00-0A-01", "ipMode": 1, "ip": "10.81.0.50",
               "netmask": "255.255.0.0", "gateway": "10.81.0.1", "name": "Renamed",
               "password": "newpw1", "wireless": 1, "ssid": "NewNet", "channel": 1,
               "security": 9, "key": "passphrase", "networkMode": 2}
        for attempt in range(2):
            acks = ask(new)
            check([(x["kind"], x["status"]) for x in acks] == [("configure-answer", 0)],
                  "configure acknowledged (attempt %d): %r" % (attempt + 1, acks))
        refused = ask(dict(new, mac="02-81-00-00-0C-01"))
        check([x["status"] for x in refused] == [1], "configure without login refused")

        ask({"kind": "junk"}, wait=0.3)
        after = [x for x in ask({"kind": "search"}) if x["mac"] == "02-81-00-00-0A-01"]
        check(len(after) == 1 and after[0]["name"] == "Renamed" and
              after[0]["password"] == "newpw1" and after[0]["ssid"] == "NewNet" and
              after[0]["ip"] == "10.81.0.50" and after[0]["security"] == 9 and
              after[0]["networkMode"] == 2, "new settings announced: %r" % after)

        check(ap1.stop() == 0, "emulator ends with 0 on SIGTERM")
        with open(path("state1.json")) as f:
            state = json.load(f)
        saved = {d["mac"]: d for d in state["devices"]}
        a = saved.get("02-81-00-00-0A-01", {})
        check(a.get("name") == "Renamed" and a.get("key") == "passphrase" and
              a.get("netmask") == "255.255.0.0" and a.get("networkMode") == "b-only",
              "state file holds the new settings: %r" % a)
        check(sorted(os.listdir(folder)) ==
              ["ap1.json", "ap2.json", "log1.jsonl", "state1.json"], "no temporary files left")
        # Both hold passwords: readable by their owner only.
        for name in ("log1.jsonl", "state1.json"):
            mode = os.stat(path(name)).st_mode & 0o777
            check(mode & 0o077 == 0, "%s is mode %o, readable by others" % (name, mode))

        with open(path("log1.jsonl")) as f:
            log = [json.loads(line) for line in f]
        kinds = [entry["kind"] for entry in log]
        check(kinds == ["search", "auth", "auth", "check-bps", "check-bps", "configure",
                        "configure", "configure", "unknown", "search"], "log kinds %r" % kinds)
        check(all("time" in entry and entry["from"] == PC for entry in log), "log time and from")
        configure = log[5] if len(log) > 5 else {}
        check(configure.get("deviceName") == "Renamed" and configure.get("ip") == "10.81.0.50" and
              configure.get("result") == "applied" and configure.get("password") == "newpw1",
              "configure logged: %r" % configure)

        # Restart: the settings come back from the state file.
        ap1 = Emulator("ap1", "--config", path("ap1.json"), "--state", path("state1.json"),
                       "--quiet")
        emulators.append(ap1)
        time.sleep(0.5)
        back = [x for x in ask({"kind": "search"}) if x["mac"] == "02-81-00-00-0A-01"]
        check(len(back) == 1 and back[0]["name"] == "Renamed" and back[0]["channel"] == 1,
              "settings survive a restart: %r" % back)
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
