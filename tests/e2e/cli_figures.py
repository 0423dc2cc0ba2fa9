#!/usr/bin/env python3
"""Figures of trv81k-cli with the real Timing on a lab network (scripts/netlab), 32 devices
answering from 4 emulator processes on 4 hosts:

  1. search: how long after its request the search ends (its --verbose report) and how long the
     whole program runs (started to ended, netlab's launch included), 10 runs;
  2. apply to the 32 devices with --verify: how long the whole run takes, every device's
     seconds, and whether each emulator's state holds what was written.

    tests/e2e/cli_figures.py [BUILD_DIR] [--parallel N]    (default build/ci; needs root)

--parallel N is passed to apply (devices on their road at once; 0: all). It runs everything
inside `unshare -n` itself, so nothing reaches this machine's adapters. A program that prints
figures, not a test: nothing here fails on a slow machine.
"""

import json
import os
import re
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
import labkit  # noqa: E402
from labkit import PC, Emulator, read_json, write_json  # noqa: E402

NETLAB = os.path.join(ROOT, "scripts", "netlab")
HOSTS, PER_HOST = 4, 8


def timed(lab, *command, env=None):
    """Runs a command on the pc: (seconds, CompletedProcess)."""
    started = time.monotonic()
    result = lab.run("pc", *command, env=env, timeout=300)
    return time.monotonic() - started, result


def figures(build, parallel):
    cli = os.path.join(build, "bin", "trv81k-cli")
    emulator = os.path.join(build, "bin", "trv81k-emulator")
    for program in (cli, emulator):
        if not os.access(program, os.X_OK):
            sys.exit("cli_figures: %s is missing; build it first" % program)

    with labkit.Lab(NETLAB, "figures", aps=HOSTS) as lab, \
            tempfile.TemporaryDirectory() as folder:
        emulators, devices = [], []
        try:
            for k in range(1, HOSTS + 1):
                mine = [{"mac": "02-81-00-0A-%02X-%02X" % (k, i), "name": "AP%d-%d" % (k, i),
                         "password": "admin", "ip": labkit.ap_address(k)}
                        for i in range(PER_HOST)]
                devices += mine
                config = os.path.join(folder, "ap%d.json" % k)
                write_json(config, {"devices": mine})
                emulators.append(Emulator(lab, "ap%d" % k, emulator, "--config", config,
                                          "--state", os.path.join(folder, "state%d.json" % k)))
                emulators[-1].wait_started(PER_HOST)

            launch = min(timed(lab, "true")[0] for _ in range(5))
            print("netlab's launch of a program on the pc (true, the fastest of 5): %.0f ms\n"
                  % (launch * 1000))
            print("== search: %d devices answer at once (real Timing)" % len(devices))
            ended, walls = [], []
            for _ in range(10):
                wall, r = timed(lab, cli, "--interface", PC, "--verbose", "search", "--json")
                found = re.search(r"(\d+) device\(s\) stored, the last ([0-9.]+) ms after the "
                                  r"request, ended ([0-9.]+) ms after it", r.stderr)
                count, last, end = found.groups() if found else ("?", "?", "?")
                ended.append(float(end) if found else float("nan"))
                walls.append(wall)
                print("exit %d: %s devices, the last %s ms after the request; the search ended "
                      "%s ms after it; the program ran %.0f ms" % (r.returncode, count, last, end,
                                                                   wall * 1000))
            print("search ended after %.0f to %.0f ms; the program ran %.0f to %.0f ms, "
                  "%.0f to %.0f ms without netlab's launch"
                  % (min(ended), max(ended), min(walls) * 1000, max(walls) * 1000,
                     (min(walls) - launch) * 1000, (max(walls) - launch) * 1000))

            print("\n== apply to %d devices with --verify 10 (real Timing, --parallel %s)"
                  % (len(devices), parallel))
            path = os.path.join(folder, "all.json")
            write_json(path, {
                "defaults": {"ssid": "Figures", "security": "wpa2",
                             "passphrase": "figures passphrase"},
                "devices": [{"device": d["mac"], "name": "Done-" + d["name"]} for d in devices]})
            command = [cli, "--interface", PC, "apply", path, "--verify", "10", "--json"]
            if parallel is not None:
                command += ["--parallel", parallel]
            wall, r = timed(lab, *command, env=dict(os.environ, TRV81K_PASSWORD="admin"))
            try:
                report = json.loads(r.stdout)
            except ValueError:
                report = []
            done = [e for e in report if e["result"] == "done"]
            seconds = sorted(e["seconds"] for e in report)
            print("exit %d: %d of %d devices done in %.2f s (the program, netlab's launch "
                  "included)" % (r.returncode, len(done), len(devices), wall))
            if seconds:
                print("each device's end after the search request: %.2f s (first) to %.2f s "
                      "(last)" % (seconds[0], seconds[-1]))
            if r.returncode != 0:
                print(r.stderr.strip())
        finally:
            for e in emulators:
                e.stop()
        written = 0
        for k in range(1, HOSTS + 1):
            try:
                state = read_json(os.path.join(folder, "state%d.json" % k))
            except (OSError, ValueError):
                continue
            written += sum(1 for d in state["devices"]
                           if d["name"].startswith("Done-") and d["ssid"] == "Figures")
        print("the emulators' state files hold the new settings of %d devices" % written)


def main():
    args = sys.argv[1:]
    parallel = None
    if "--parallel" in args:
        at = args.index("--parallel")
        parallel = args[at + 1]
        del args[at:at + 2]
    build = os.path.abspath(args[0] if args else os.path.join(ROOT, "build", "ci"))
    if os.environ.get("TRV81K_FIGURES_INSIDE") != "1":
        # A network namespace of our own first: the lab is built from there.
        env = dict(os.environ, TRV81K_FIGURES_INSIDE="1")
        extra = ["--parallel", parallel] if parallel is not None else []
        return subprocess.call(["unshare", "-n", "--", "sh", "-c",
                                'ip link set lo up && exec "$0" "$@"', sys.executable,
                                os.path.abspath(__file__), build] + extra, env=env)
    try:
        figures(build, parallel)
    except labkit.Skip:
        print("cli_figures: no lab network here (root needed)", file=sys.stderr)
        return 77
    return 0


if __name__ == "__main__":
    sys.exit(main())
