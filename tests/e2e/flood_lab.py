#!/usr/bin/env python3
"""A flood of bad and misleading datagrams on the lab's device group while a real search runs.

    flood_lab.py CLI EMULATOR FLOOD_SENDER FLOOD_PROBE NETLAB [--count N] [--rate R]

Hosts: trv81k-emulator on ap1 and ap2 (four devices each), flood_sender on ap3, and on the pc
flood_probe (a long-running receiver that measures itself) and trv81k-cli. The sender throws
N datagrams (default 50,000) at R per second (default 20,000), see flood_sender.cpp, after a
warm-up flood of a tenth of that (at most 5,000), so the memory figures compare like with like.
During the flood the probe, whose session has been open for seconds as a wizard's is, sends a
search request, and then a fresh trv81k-cli searches. Every device is found (by the probe
within 0.7 s, by both searches), nothing of the flood is stored, no program crashes, the
probe's receiver reads the flood rather than sleeping through it, memory stays flat (the
probe, both emulators, the searching trv81k-cli), and the probe's window thread, looking at
the shared state every millisecond, never waits on the receiver. The figures are printed.
Exit 77 (skipped) where the lab cannot be made.
"""

import argparse
import json
import os
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import labkit  # noqa: E402
from labkit import PC, Emulator, ap_address  # noqa: E402

parser = argparse.ArgumentParser()
for name in ("cli", "emulator", "sender", "probe", "netlab"):
    parser.add_argument(name)
parser.add_argument("--count", type=int, default=50000)
parser.add_argument("--rate", type=int, default=20000)
args = parser.parse_args()
check = labkit.Checks("flood_lab")

# Bounds. Memory: the receiver keeps nothing per datagram, so what one flood may add is page
# noise of the allocator, far below a byte per datagram. Time: a receiver pause is 100 ms; a
# window thread that waited for the receiver even once would show it.
# One look takes microseconds; the gaps between looks are the 1 ms sleep plus the scheduler's
# delays on a busy test machine (five programs of the lab on two cores), so their bounds are
# loose: 99 % of them below 16 ms, none of them a second.
RSS_GROWTH_LIMIT_KIB = 512
LOOK_LIMIT_US = 20000
GAP_P99_LIMIT_US = 16384
GAP_LIMIT_US = 1000000


def rss_kib(pid):
    """VmRSS of a running process in KiB, None once it is gone."""
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def session_open(pid, program):
    """Whether the process runs `program` (not netlab or ip, which exec it in turn) and holds
    a socket: its session is open."""
    try:
        if os.readlink("/proc/%d/exe" % pid) != program:
            return False
        folder = "/proc/%d/fd" % pid
        return any(os.readlink(os.path.join(folder, fd)).startswith("socket:")
                   for fd in os.listdir(folder))
    except OSError:
        return False


def devices_of(k):
    return [{"mac": "02-81-00-0F-%02X-%02X" % (k, i), "name": "Flood%d-%d" % (k, i),
             "ip": ap_address(k)} for i in range(4)]


def search(lab, what, sample=False):
    """trv81k-cli --verbose search --json on the pc; (exit code, listed, stderr, rss samples)."""
    process = subprocess.Popen(
        lab.command("pc", args.cli, "--interface", PC, "--verbose", "search", "--json",
                    "--timeout", "1.5", "--expect", "9"),  # one more than answer: 1.5 s
        stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    samples = []
    if sample:
        # From its session's opening every 100 ms to the end of its run. The process starts as
        # netlab and ip, and on a busy machine it may be one of them for more than 100 ms.
        program = os.path.realpath(args.cli)
        while process.poll() is None:
            if samples or session_open(process.pid, program):
                value = rss_kib(process.pid)
                if value is not None:
                    samples.append(value)
                time.sleep(0.1)
            else:
                time.sleep(0.005)
    out, err = process.communicate(timeout=30)
    try:
        listed = json.loads(out)
    except ValueError:
        listed = None
    check.equal(process.returncode, 0, "%s: trv81k-cli search exit (stderr: %s)" % (what, err))
    return listed, err, samples


class Probe:
    """flood_probe on the pc, driven line by line."""

    def __init__(self, lab):
        self.process = subprocess.Popen(
            lab.command("pc", args.probe, "--interface", PC, "--seconds", "120"),
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)

    def line(self):
        return self.process.stdout.readline().strip()

    def ask(self, command):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()
        return self.line()

    def report(self):
        """Ends the probe; its JSON report (empty when there is none)."""
        out, err = self.process.communicate(timeout=30)
        check.equal(self.process.returncode, 0, "flood_probe exit (stderr: %s)" % err.strip())
        return json.loads(out.splitlines()[-1]) if out.strip() else {}

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


def flood(lab, count):
    return subprocess.Popen(
        lab.command("ap3", args.sender, "--interface", ap_address(3), "--count", count,
                    "--rate", args.rate), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
        text=True)


def flood_ended(sender, count, what):
    out, err = sender.communicate(timeout=120)
    check.equal(sender.returncode, 0, "%s: flood_sender exit (stderr: %s)" % (what, err.strip()))
    check.equal(out.strip(), str(count), "%s: datagrams the sender sent" % what)


def run(lab, folder):
    everyone = devices_of(1) + devices_of(2)
    expected = sorted((d["mac"], d["name"]) for d in everyone)
    emulators = []
    probe = None
    try:
        for k in (1, 2):
            emulators.append(Emulator.of(check, lab, "ap%d" % k, args.emulator,
                                         os.path.join(folder, "ap%d.json" % k), devices_of(k),
                                         "--interface", ap_address(k)))
        probe = Probe(lab)
        check.equal(probe.line(), "ready", "the probe's receiver runs")

        # A first, small flood: every program has handled datagrams on each of its threads
        # (thread caches, the allocator's arenas), so what the big one adds is what it keeps.
        warm = max(1, min(args.count // 10, 5000))
        flood_ended(flood(lab, warm), warm, "warm-up flood")
        time.sleep(0.3)
        probe_before = int(probe.ask("rss").split()[1])
        emulator_before = [rss_kib(e.process.pid) for e in emulators]

        started = time.monotonic()
        sender = flood(lab, args.count)
        time.sleep(0.3)
        # The probe's session has been open for a while, as a wizard's is when its user
        # reaches the search page: one search request, then the answers during the flood.
        check.equal(probe.ask("search"), "searched", "the probe's search request")
        time.sleep(0.7)
        probe_count = int(probe.ask("count").split()[1])
        check.equal(probe_count, len(everyone),
                    "devices the probe stored within 0.7 s of its search during the flood")
        # A fresh trv81k-cli: its session opens, searches and listens during the flood.
        listed, err, cli_rss = search(lab, "search during the flood", sample=True)
        search_ended = time.monotonic()
        flood_ended(sender, args.count, "flood")
        ended = time.monotonic()
        check(search_ended < ended,
              "the search ended before the flood did (search %.2f s, flood %.2f s after its "
              "start)" % (search_ended - started, ended - started))
        check.equal(sorted((d["mac"], d["name"]) for d in listed or []), expected,
                    "devices listed by the search during the flood")
        cli_handled = labkit.receiver_handled(err)
        check(cli_handled is not None and cli_handled > len(everyone),
              "the searching trv81k-cli heard the flood: %r datagrams" % cli_handled)

        time.sleep(0.3)  # the last datagrams are read
        emulator_after = [rss_kib(e.process.pid) for e in emulators]
        for k, e in enumerate(emulators, 1):
            check(e.process.poll() is None, "the emulator on ap%d still runs" % k)
        after, _, _ = search(lab, "search after the flood")
        check.equal(sorted((d["mac"], d["name"]) for d in after or []), expected,
                    "devices listed by the search after the flood")

        report = probe.report()
        probe = None
        check.equal(sorted((d["mac"], d["name"]) for d in report.get("devices", [])), expected,
                    "the probe's table: the eight devices and nothing of the flood")
        growth = report.get("rssAfterKiB", 0) - probe_before
        check(growth <= RSS_GROWTH_LIMIT_KIB, "probe memory grew by %d KiB" % growth)
        for k, (before, later) in enumerate(zip(emulator_before, emulator_after), 1):
            check(before is not None and later is not None and
                  later - before <= RSS_GROWTH_LIMIT_KIB,
                  "emulator on ap%d: memory %r KiB before, %r KiB after" % (k, before, later))
        # The first sample may be taken while the session is still being set up.
        cli_rss = cli_rss[1:]
        check(len(cli_rss) >= 3 and max(cli_rss) - cli_rss[0] <= RSS_GROWTH_LIMIT_KIB,
              "trv81k-cli memory during its search: %r KiB" % cli_rss)
        check(report.get("lookMaxUs", LOOK_LIMIT_US) < LOOK_LIMIT_US,
              "longest look of the window thread at the state: %r us" % report.get("lookMaxUs"))
        check(report.get("gapP99BoundUs", GAP_P99_LIMIT_US + 1) <= GAP_P99_LIMIT_US,
              "99 %% of the gaps between two looks below %r us" % report.get("gapP99BoundUs"))
        check(report.get("gapMaxUs", GAP_LIMIT_US) < GAP_LIMIT_US,
              "longest gap between two looks: %r us" % report.get("gapMaxUs"))
        looks_per_second = report.get("looks", 0) / max(report.get("seconds", 1), 0.001)
        check(looks_per_second > 200, "looks per second: %.0f" % looks_per_second)
        # The receiver reads the flood instead of sleeping through it (it pauses only after
        # answers it took), so it hears nearly every datagram; the kernel drops the rest.
        handled = report.get("datagramsHandled", 0)
        check(handled >= (warm + args.count) // 2,
              "the probe's receiver handled %d of %d datagrams" % (handled, warm + args.count))

        duration = ended - started
        print("flood: %d datagrams in %.2f s (%.0f per second) from ap3, after a warm-up of %d"
              % (args.count, duration, args.count / duration, warm))
        print("probe: %d of %d devices stored within 0.7 s of its search; %s datagrams "
              "handled; memory %s -> %s KiB (peak %s); %s looks in %.1f s, the longest %s us, "
              "gaps 99%% below %s us, the longest %s us"
              % (probe_count, len(everyone), handled, probe_before, report.get("rssAfterKiB"),
                 report.get("rssPeakKiB"), report.get("looks"), report.get("seconds", 0),
                 report.get("lookMaxUs"), report.get("gapP99BoundUs"), report.get("gapMaxUs")))
        print("trv81k-cli search during the flood: %d of %d devices, %s datagrams handled, "
              "memory %r KiB; emulators: memory %r -> %r KiB"
              % (len(listed or []), len(everyone), cli_handled, cli_rss, emulator_before,
                 emulator_after))
    finally:
        if probe is not None:
            probe.kill()
        for e in emulators:
            check.equal(e.stop(), 0, "emulator ends with 0 on SIGTERM")


def main():
    try:
        with labkit.Lab(args.netlab, "flood", aps=3) as lab, \
                tempfile.TemporaryDirectory() as folder:
            run(lab, folder)
    except labkit.Skip:
        return labkit.SKIP
    return check.result()


if __name__ == "__main__":
    sys.exit(main())
