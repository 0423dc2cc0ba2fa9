"""Shared pieces of the end-to-end tests: a lab network of scripts/netlab that is removed
again whatever happens, emulator processes on its hosts, and a list of failed checks.

    from labkit import Checks, Lab, Emulator

    with Lab(NETLAB, "cli", aps=2) as lab:      # exit 77 (skip) where no lab can be made
        ap = Emulator(lab, "ap1", EMULATOR, "--config", path)
        ...
Every lab gets a name of its own (prefix and process id), so tests run side by side.
"""

import json
import os
import re
import signal
import subprocess
import sys
import time

SKIP = 77
PC = "10.81.0.1"
PC2 = "10.82.0.1"  # the pc on the second segment (netlab up --aps2)


def ap_address(k):
    """The address netlab gives host apK."""
    return "10.81.0.%d" % (10 + k)


def bp_address(k):
    """The address netlab gives host bpK on the second segment."""
    return "10.82.0.%d" % (10 + k)


class Skip(Exception):
    """The lab cannot be made here (no root, no namespaces): the test is skipped."""


class Checks:
    """Collects failed checks; a test goes on after one so that a run shows every fault."""

    def __init__(self, name):
        self.name = name
        self.failures = []

    def __call__(self, condition, what):
        if not condition:
            self.failures.append(what)
            print("FAIL:", what, file=sys.stderr, flush=True)
        return condition

    def equal(self, actual, expected, what):
        return self(actual == expected, "%s: got %r, expected %r" % (what, actual, expected))

    def fields(self, actual, expected, what):
        """That the dict `actual` holds every field of `expected` with its value."""
        return self.equal({k: (actual or {}).get(k) for k in expected}, expected, what)

    def result(self):
        """Prints the verdict and gives the exit code."""
        print("%s: %s" % (self.name, "ok" if not self.failures
                          else "%d failures" % len(self.failures)), flush=True)
        return 0 if not self.failures else 1


class Lab:
    """A lab of scripts/netlab: hosts pc, ap1 ... apN (and bp1 ... bpM on a second segment).
    As a context manager it is brought up on entry and removed on exit, also when the body
    fails."""

    def __init__(self, netlab, prefix, aps=1, aps2=0, dummy=False):
        self.netlab = netlab
        self.name = "%s%d" % (prefix, os.getpid())
        self.aps = aps
        self.aps2 = aps2
        self.dummy = dummy

    def __enter__(self):
        up = subprocess.run([self.netlab, "up", "--lab", self.name, "--aps", str(self.aps),
                             "--aps2", str(self.aps2)] + (["--dummy"] if self.dummy else []),
                            capture_output=True, text=True)
        if up.returncode == SKIP:
            print(up.stderr, end="", file=sys.stderr)
            raise Skip()
        if up.returncode != 0:
            raise RuntimeError("netlab up failed: " + up.stderr)
        return self

    def __exit__(self, *exc):
        self.down()
        return False

    def down(self):
        subprocess.run([self.netlab, "down", "--lab", self.name], capture_output=True)

    def command(self, host, *args):
        """The argument list that runs `args` on `host`."""
        return [self.netlab, "exec", "--lab", self.name, host, *[str(a) for a in args]]

    def run(self, host, *args, timeout=60, **kwargs):
        """Runs a command on a host to its end; a CompletedProcess with text output."""
        kwargs.setdefault("capture_output", True)
        return subprocess.run(self.command(host, *args), text=True, timeout=timeout, **kwargs)


class Emulator:
    """One trv81k-emulator process on a host of a lab."""

    def __init__(self, lab, host, program, *args):
        self.process = subprocess.Popen(lab.command(host, program, *args),
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                        text=True)

    def wait_started(self, devices):
        """Reads the start-up lines (one per device); the sockets are open once they are
        printed. The lines read."""
        lines = []
        deadline = time.monotonic() + 10
        while len(lines) < devices and time.monotonic() < deadline:
            line = self.process.stderr.readline()
            if not line:
                break
            lines.append(line.strip())
        return lines

    @classmethod
    def of(cls, check, lab, host, program, config, devices, *args):
        """Writes `devices` to the configuration file `config` and starts an emulator of them;
        checks that every device's start-up line came."""
        write_json(config, {"devices": devices})
        emulator = cls(lab, host, program, "--config", config, *args)
        check.equal(len(emulator.wait_started(len(devices))), len(devices),
                    "start-up lines of the emulator on " + host)
        return emulator

    def stop(self):
        """SIGTERM, then SIGKILL after 5 s; the exit code."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
        try:
            return self.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            return self.process.wait()


def receiver_handled(err):
    """The receiver's datagram count of a --verbose trv81k-cli run (None without the line)."""
    found = re.search(r"receiver handled (\d+) datagram\(s\) in all", err)
    return int(found.group(1)) if found else None


def write_json(path, value):
    with open(path, "w") as f:
        json.dump(value, f)


def read_json(path):
    with open(path) as f:
        return json.load(f)


def read_json_lines(path):
    try:
        with open(path) as f:
            return [json.loads(line) for line in f if line.strip()]
    except FileNotFoundError:
        return []
