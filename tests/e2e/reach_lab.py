#!/usr/bin/env python3
"""The setup software's reach on a pc with several adapters, against trv81k-emulator processes:

    reach_lab.py CASE CLI EMULATOR NETLAB [REACH_WIZARD]

CASE is one of
    second     devices only behind the second of two adapters (and a dummy adapter that nothing
               answers on): trv81k-cli and the wizard find them without --interface; a device
               found there is logged in and configured through that adapter, with its address
    both       devices behind both adapters at once: listed with the adapter each answered on,
               each configured through its own; --interface by name and by address pins one,
               an unknown name and an address no adapter has are refused with the adapters
               there are
    forged     1,000 forged pairing check answers a second (strangers, "not under pairing
               control") during a pairing check: the device's own answer is still taken
Exit 77 (skipped) where the lab cannot be made.
"""

import json
import os
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import labkit  # noqa: E402
from labkit import PC, PC2, Emulator, ap_address, bp_address, read_json_lines  # noqa: E402

CASE, CLI, EMULATOR, NETLAB = sys.argv[1:5]
REACH_WIZARD = sys.argv[5] if len(sys.argv) > 5 else None
check = labkit.Checks("reach_lab " + CASE)
# The configure dialog's 84 s in 8.4 s; a login pause of 50 ms, pairing pauses of 100 ms.
SCALE = "0.1"


def device(mac, name, **fields):
    d = {"mac": mac, "name": name, "token": mac.replace("-", "")[4:], "password": "pw-" + name,
         "ssid": "net-" + name}
    d.update(fields)
    return d


def cli(lab, *args, timeout=60):
    """trv81k-cli on the pc, with every adapter unless the arguments name one."""
    return lab.run("pc", CLI, "--timing-scale", SCALE, *args, timeout=timeout)


def start(lab, folder, host, address, devices):
    config = os.path.join(folder, host + ".json")
    log = os.path.join(folder, host + ".log")
    emulator = Emulator.of(check, lab, host, EMULATOR, config, devices, "--interface", address,
                           "--log", log)
    return emulator, log


def searched(lab, *args):
    """The devices trv81k-cli search finds, by name: {name: adapter} (the adapter as shown)."""
    r = cli(lab, *args, "search", "--json", "--timeout", "2")
    check.equal(r.returncode, 0, "search %s: exit code (%s)" % (" ".join(args), r.stderr))
    try:
        found = json.loads(r.stdout or "[]")
    except json.JSONDecodeError:
        check(False, "search %s: JSON %r" % (" ".join(args), r.stdout))
        return {}
    return {d["name"]: d.get("adapter") for d in found}


def configured_through(lab, log, mac, password, name, address):
    """Configures a device by its hardware address and checks that every request reached it
    from `address` and that the authentication request carried that address."""
    r = cli(lab, "--verbose", "configure", "--device", mac, "--password", password, "--name",
            name, "--pairing")
    check.equal(r.returncode, 0, "configure %s: exit code (%s)" % (name, r.stderr))
    requests = [e for e in read_json_lines(log) if e["kind"] != "search"]
    check(requests and all(e["from"] == address for e in requests),
          "configure %s: every request from %s: %r" % (
              name, address, [(e["kind"], e["from"]) for e in requests]))
    auth = [e for e in requests if e["kind"] == "auth"]
    check(auth and all(e.get("localIP") == address for e in auth),
          "configure %s: the authentication request carries %s: %r" % (name, address, auth))
    check(any(e["kind"] == "configure" and e["deviceName"] == name for e in requests),
          "configure %s: applied" % name)


def case_second(lab, folder):
    mac = "02-81-00-0B-00-01"
    emulator, log = start(lab, folder, "bp1", bp_address(1), [device(mac, "Behind")])
    try:
        found = searched(lab)
        check.equal(list(found), ["Behind"], "the device behind the second adapter is found")
        check.equal(found.get("Behind"), {"name": "lab1", "address": PC2},
                    "it is listed with the adapter it answered on")
        if REACH_WIZARD:
            r = lab.run("pc", REACH_WIZARD, env=dict(os.environ, QT_QPA_PLATFORM="offscreen",
                                                      TRV81K_REACH_DEVICE="Behind"),
                        timeout=120)
            check.equal(r.returncode, 0, "the wizard finds it: %s%s" % (r.stdout, r.stderr))
        configured_through(lab, log, mac, "pw-Behind", "Reached", PC2)
    finally:
        check.equal(emulator.stop(), 0, "emulator on bp1 ends with 0")


def case_both(lab, folder):
    front = "02-81-00-0B-00-11"
    back = "02-81-00-0B-00-21"
    a, log_a = start(lab, folder, "ap1", ap_address(1), [device(front, "Front")])
    b, log_b = start(lab, folder, "bp1", bp_address(1), [device(back, "Back")])
    try:
        lab0 = {"name": "lab0", "address": PC}
        lab1 = {"name": "lab1", "address": PC2}
        check.equal(searched(lab), {"Front": lab0, "Back": lab1}, "both listed with adapters")
        check.equal(searched(lab, "--interface", "lab1"), {"Back": lab1}, "pinned by name")
        check.equal(searched(lab, "--interface", PC), {"Front": lab0}, "pinned by address")
        for pinned, words in [("eth7", "no adapter is called eth7"),
                              ("10.99.0.1", "no adapter has the address 10.99.0.1")]:
            r = cli(lab, "--interface", pinned, "search")
            check.equal(r.returncode, 2, "--interface %s: exit code" % pinned)
            check(words in r.stderr and "lab0 (%s)" % PC in r.stderr
                  and "lab1 (%s)" % PC2 in r.stderr,
                  "--interface %s: refused with the adapters there are: %r" % (pinned, r.stderr))
        configured_through(lab, log_a, front, "pw-Front", "FrontNew", PC)
        configured_through(lab, log_b, back, "pw-Back", "BackNew", PC2)
    finally:
        check.equal(a.stop(), 0, "emulator on ap1 ends with 0")
        check.equal(b.stop(), 0, "emulator on bp1 ends with 0")


def case_forged(lab, folder, flood_sender):
    mac = "02-81-00-0B-00-31"
    emulator, log = start(lab, folder, "ap1", ap_address(1),
                          [device(mac, "Paired", pairingManaged=True)])
    flood = subprocess.Popen(lab.command("ap2", flood_sender, "--interface", ap_address(2),
                                         "--pairing-only", "--rate", "1000", "--count", "20000"),
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        r = cli(lab, "--verbose", "configure", "--device", mac, "--password", "pw-Paired",
                "--name", "Forged")
        check.equal(r.returncode, 0, "configure during the flood: exit code (%s)" % r.stderr)
        check("pairing check: pairing control" in r.stderr,
              "the device's own pairing state was taken: %r" % r.stderr)
        configures = [e for e in read_json_lines(log) if e["kind"] == "configure"]
        check(configures and all(e["wirelessEditable"] == 0 for e in configures),
              "the wireless settings were left to the pairing: %r" % configures)
    finally:
        flood.kill()
        flood.wait()
        check.equal(emulator.stop(), 0, "emulator on ap1 ends with 0")


def main():
    try:
        with tempfile.TemporaryDirectory() as folder:
            if CASE == "second":
                with labkit.Lab(NETLAB, "reach", aps=0, aps2=1, dummy=True) as lab:
                    case_second(lab, folder)
            elif CASE == "both":
                with labkit.Lab(NETLAB, "reach", aps=1, aps2=1) as lab:
                    case_both(lab, folder)
            elif CASE == "forged":
                with labkit.Lab(NETLAB, "reach", aps=2) as lab:
                    case_forged(lab, folder, REACH_WIZARD)
            else:
                print("reach_lab: unknown case %r" % CASE, file=sys.stderr)
                return 2
    except labkit.Skip:
        return labkit.SKIP
    return check.result()


if __name__ == "__main__":
    sys.exit(main())
