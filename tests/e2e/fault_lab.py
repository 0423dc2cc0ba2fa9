#!/usr/bin/env python3
"""Faults of the network and of the disk, with the real programs on a lab network.

    fault_lab.py CASE PATH/TO/trv81k-cli PATH/TO/trv81k-emulator PATH/TO/scripts/netlab

CASE is one of
    killed      the emulator is killed (SIGKILL) after it answered the login and before the
                configure request: trv81k-cli configure ends with exit 5 and the message that
                the device did not confirm, no crash
    disk-full   the emulator's state file lies on a file system with no room left: a configure
                request is acknowledged and applied in memory, the emulator says why it could
                not save, keeps running, and the old state file is there as it was with no
                temporary file beside it
    no-adapter  the pc's adapter has no address: trv81k-cli search and configure end with exit
                1 and say that no adapter qualifies, naming the adapters there are;
                --interface with the lost address is refused (exit 2); no request reaches the
                access point; with the address back, the search finds the device
    port-held   a socket without the reuse option holds UDP port 14675 on the pc: trv81k-cli
                ends with exit 1 and the BIND_FAIL message naming the port and the program,
                sending nothing; diagnose finds port-in-use
The diagnosis of a search that finds nothing (trv81k-cli diagnose, and search's standard error):
    firewall    an nftables input rule on the pc drops UDP 14675: firewall, with the rule to
                allow it; the rule gone, the device is found again
    no-carrier  the far end of the pc's veth pair is down: no-carrier, and no false firewall
    foreign     a program on an access-point host sends junk to the group: foreign-datagrams,
                counted
    healthy     a healthy lab: ok and the device, 20 runs without a false firewall; the time the
                probe adds to an empty search (the access point silent)
Exit 77 (skipped) where the lab cannot be made.
"""

import json
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import labkit  # noqa: E402
from labkit import PC, Emulator, read_json_lines, write_json  # noqa: E402

CASE, CLI, EMULATOR, NETLAB = sys.argv[1:5]
check = labkit.Checks("fault_lab " + CASE)

# The beginnings of the messages, the same in Language.ini and in the compiled-in copy.
CONFIGURE_FAIL = "The TRV81K did not confirm the new settings."
NO_ADAPTER = "no adapter is up with an IPv4 address and multicast"
BIND_FAIL = "The network port of the setup is in use."

MAC = "02-81-00-07-00-01"


def device(**fields):
    d = {"mac": MAC, "name": "Fault", "password": "pw-fault", "ssid": "net-fault"}
    d.update(fields)
    return d


def cli(lab, *args, interface=True, timeout=60):
    command = [CLI] + (["--interface", PC] if interface else []) + list(args)
    return lab.run("pc", *command, timeout=timeout)


def expect(result, code, what):
    return check(result.returncode == code, "%s: exit %d, expected %d; stderr: %s" % (
        what, result.returncode, code, result.stderr.strip()))


def start(lab, folder, **fields):
    """An emulator of one device on ap1 with a request log; (emulator, log path)."""
    log = os.path.join(folder, "log.jsonl")
    return Emulator.of(check, lab, "ap1", EMULATOR, os.path.join(folder, "devices.json"),
                       [device(**fields)], "--log", log), log


def nothing_reached(log):
    time.sleep(0.3)
    check.equal(read_json_lines(log), [], "requests that reached the access point")


def wait_for_log(path, kind, limit=10.0):
    """Polls the emulator's request log until an entry of `kind` is in it."""
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        if any(e.get("kind") == kind for e in read_json_lines(path)):
            return True
        time.sleep(0.002)
    return False


def case_killed(lab, folder):
    # Silent to the pairing check: after the login the tool sends three checks a pairing pause
    # apart (300 ms at this scale) before its configure request; the kill falls into them.
    emulator, log = start(lab, folder, ignorePairingCheck=True)
    tool = subprocess.Popen(lab.command("pc", CLI, "--interface", PC, "--timing-scale", "0.1",
                                        "configure", "--device", MAC, "--password", "pw-fault",
                                        "--dhcp"),
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        logged_in = wait_for_log(log, "auth")
        emulator.process.send_signal(signal.SIGKILL)
        emulator.process.wait()
        check(logged_in, "the emulator answered the login")
        out, err = tool.communicate(timeout=60)
    finally:
        if tool.poll() is None:
            tool.kill()
        emulator.stop()
    kinds = [e["kind"] for e in read_json_lines(log)]
    check("configure" not in kinds, "killed before the configure request: %r" % kinds)
    check([a["result"] for e in read_json_lines(log) if e["kind"] == "auth"
           for a in e["answers"]] == ["accepted"], "the login was accepted")
    check.equal(tool.returncode, 5, "trv81k-cli exit after the emulator was killed (%s)"
                % err.strip())
    check(CONFIGURE_FAIL in err, "the message that the device did not confirm: %r" % err)
    print("trv81k-cli after the kill: exit %d: %s" % (tool.returncode, err.strip()))
    check.equal(out, "", "nothing on standard output")


def case_disk_full(lab, folder):
    config = os.path.join(folder, "devices.json")
    write_json(config, {"devices": [device()]})
    old_state = os.path.join(folder, "old-state.json")
    with open(old_state, "w") as f:
        f.write('{"version": 1, "devices": [{"mac": "%s", "ssid": "saved-before"}]}\n' % MAC)
    full = os.path.join(folder, "full")
    os.mkdir(full)
    pid_file = os.path.join(folder, "pid")
    # A file system of 16 KiB of its own (a mount namespace of the emulator's own), the old
    # state on it and the rest filled; after the emulator ends the files are listed and the
    # state file is shown, from inside that namespace.
    script = r'''
mount -t tmpfs -o size=16k tmpfs "$1" || exit 90
cp "$2" "$1/state.json" || exit 91
dd if=/dev/zero of="$1/filler" bs=1k count=64 2>/dev/null
"$3" --config "$4" --state "$1/state.json" &
echo $! > "$5"
wait $!
echo "exit $?"
ls -A "$1"
echo "--"
cat "$1/state.json"
'''
    process = subprocess.Popen(lab.command("ap1", "unshare", "-m", "--", "sh", "-c", script,
                                           "sh", full, old_state, EMULATOR, config, pid_file),
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        started = process.stderr.readline().strip()
        check(started.startswith("emulating Fault"), "the emulator started: %r" % started)
        with open(pid_file) as f:
            pid = int(f.read())
        # The saved state is in force: the device announces the SSID it holds.
        search = cli(lab, "search", "--json", "--timeout", "1")
        expect(search, 0, "search")
        check('"saved-before"' in search.stdout, "the old state was read: %s" % search.stdout)
        r = cli(lab, "configure", "--device", MAC, "--password", "pw-fault", "--ssid",
                "after-full", "--verify", "3")
        expect(r, 0, "configure on a full disk: acknowledged and announced")
        time.sleep(0.2)
        check(os.path.exists("/proc/%d" % pid), "the emulator still runs")
        os.kill(pid, signal.SIGTERM)
        out, err = process.communicate(timeout=30)
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()
    lines = out.split("--\n", 1)
    head = lines[0].split()
    check(head[:2] == ["exit", "0"], "the emulator ended with 0: %r" % out)
    check.equal(sorted(head[2:]), ["filler", "state.json"], "files on the full file system")
    with open(old_state) as f:
        check.equal(lines[1] if len(lines) > 1 else None, f.read(),
                    "the old state file, byte for byte")
    check("No space left on device" in err and "kept in memory only" in err,
          "the emulator says why it did not save: %r" % err)
    print("the emulator on a full disk: " + err.strip().splitlines()[-1])


def case_no_adapter(lab, folder):
    emulator, log = start(lab, folder)
    try:
        check.equal(lab.run("pc", "ip", "addr", "flush", "dev", "lab0").returncode, 0,
                    "the pc's address removed")
        # No adapter qualifies: said in those words, with the adapters there are (exit 1); an
        # address no adapter has is refused as it is given (exit 2).
        for what, interface, args, code, words in [
                ("search, every adapter", False, ["search", "--timeout", "1"], 1, NO_ADAPTER),
                ("search --interface " + PC, True, ["search", "--timeout", "1"], 2,
                 "no adapter has the address " + PC),
                ("configure", False, ["configure", "--device", MAC, "--password", "pw-fault",
                                      "--dhcp"], 1, NO_ADAPTER)]:
            r = cli(lab, *args, interface=interface)
            expect(r, code, what)
            check(words in r.stderr and "lab0" in r.stderr,
                  "%s: the message names the adapters: %r" % (what, r.stderr))
        nothing_reached(log)
        # The same with the address back: the device is found.
        check.equal(lab.run("pc", "ip", "addr", "add", PC + "/24", "dev", "lab0").returncode,
                    0, "the pc's address back")
        r = cli(lab, "search", "--timeout", "1", interface=False)
        expect(r, 0, "search with the address back")
        check([e["kind"] for e in read_json_lines(log)] == ["search"],
              "the search request arrived")
    finally:
        check.equal(emulator.stop(), 0, "emulator ends with 0 on SIGTERM")


def diagnose(lab, *args, timeout=60):
    """trv81k-cli diagnose --json on the pc: (run, {adapter name: findings}, report)."""
    r = cli(lab, "--verbose", "diagnose", "--json", *args, interface=False, timeout=timeout)
    try:
        report = json.loads(r.stdout)
    except ValueError:
        check(False, "diagnose --json printed no JSON: %r %r" % (r.stdout, r.stderr))
        return r, {}, {}
    return r, {a["name"]: a["findings"] for a in report["adapters"]}, report


def diagnosis_ms(err):
    found = re.search(r"diagnosis took ([0-9.]+) ms", err)
    return float(found.group(1)) if found else None


def case_firewall(lab, folder):
    emulator, log = start(lab, folder)
    rule = ["nft", "add", "rule", "inet", "trvdiag", "input", "udp", "dport", "14675", "drop"]
    try:
        for command in (["nft", "add", "table", "inet", "trvdiag"],
                        ["nft", "add", "chain", "inet", "trvdiag", "input",
                         "{ type filter hook input priority 0; }"], rule):
            made = lab.run("pc", *command)
            if not check.equal(made.returncode, 0, "%s: %s" % (" ".join(command), made.stderr)):
                return
        r, findings, _ = diagnose(lab, "--timeout", "1")
        expect(r, 3, "diagnose behind the firewall")
        check.equal(findings, {"lab0": ["firewall"]}, "the findings behind the firewall")
        print("diagnose behind the firewall: %s; the diagnosis took %s ms"
              % (findings, diagnosis_ms(r.stderr)))
        s = cli(lab, "search", "--timeout", "1", interface=False)
        expect(s, 3, "search behind the firewall")
        check("lab0 (10.81.0.1): firewall:" in s.stderr and "UDP port 14675" in s.stderr,
              "search's standard error names the firewall: %r" % s.stderr)
        check.equal(lab.run("pc", "nft", "delete", "table", "inet", "trvdiag").returncode, 0,
                    "the rule removed")
        r, findings, _ = diagnose(lab, "--timeout", "1")
        expect(r, 0, "diagnose without the rule")
        check.equal(findings, {"lab0": ["ok"]}, "the findings without the rule")
    finally:
        check.equal(emulator.stop(), 0, "emulator ends with 0 on SIGTERM")
    check({e["kind"] for e in read_json_lines(log)} <= {"search"},
          "nothing but searches reached the access point")


def case_no_carrier(lab, folder):
    emulator, log = start(lab, folder)
    try:
        check.equal(subprocess.run(["ip", "-n", lab.name + "-sw", "link", "set", "pc", "down"])
                    .returncode, 0, "the far end of the pc's veth down")
        r, findings, _ = diagnose(lab, "--timeout", "1")
        expect(r, 3, "diagnose without link")
        check.equal(findings, {"lab0": ["no-carrier"]}, "the findings without link")
        print("diagnose without link: %s" % findings)
        s = cli(lab, "search", "--timeout", "1", interface=False)
        check("lab0 (10.81.0.1): no-carrier:" in s.stderr, "search names no-carrier: %r"
              % s.stderr)
        subprocess.run(["ip", "-n", lab.name + "-sw", "link", "set", "pc", "up"])
    finally:
        check.equal(emulator.stop(), 0, "emulator ends with 0 on SIGTERM")


def case_foreign(lab, folder):
    junk = subprocess.Popen(lab.command(
        "ap1", sys.executable, "-c",
        "import socket, sys, time\n"
        "s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)\n"
        "s.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_IF, socket.inet_aton(sys.argv[1]))\n"
        "print('sending', flush=True)\n"
        "end = time.monotonic() + 30\n"
        "while time.monotonic() < end:\n"
        "    s.sendto(b'not an answer ' * 4, ('234.2.2.2', 14675))\n"
        "    time.sleep(0.02)\n", labkit.ap_address(1)), stdout=subprocess.PIPE, text=True)
    try:
        check.equal(junk.stdout.readline().strip(), "sending", "the junk sender runs")
        r, findings, report = diagnose(lab, "--timeout", "1")
        expect(r, 3, "diagnose beside the junk sender")
        check.equal(findings, {"lab0": ["foreign-datagrams"]}, "the findings beside the junk")
        counted = report["adapters"][0].get("foreignDatagrams", 0) if report else 0
        check(counted >= 10, "the junk counted: %r" % counted)
        print("diagnose beside the junk sender: %s, %d datagrams counted" % (findings, counted))
        s = cli(lab, "search", "--timeout", "1", interface=False)
        check("foreign-datagrams:" in s.stderr, "search names them: %r" % s.stderr)
    finally:
        junk.kill()
        junk.wait()


def case_healthy(lab, folder):
    emulator, log = start(lab, folder)
    try:
        false_firewall = 0
        for attempt in range(20):
            r, findings, report = diagnose(lab, "--timeout", "1")
            expect(r, 0, "diagnose on a healthy lab (run %d)" % (attempt + 1))
            check.equal(findings, {"lab0": ["ok"]}, "the findings (run %d)" % (attempt + 1))
            check.equal([d["mac"] for d in report.get("devices", [])], [MAC],
                        "the devices (run %d)" % (attempt + 1))
            false_firewall += "firewall" in findings.get("lab0", [])
        print("20 runs on a healthy lab: %d with firewall" % false_firewall)
    finally:
        check.equal(emulator.stop(), 0, "emulator ends with 0 on SIGTERM")
    # An empty search: nothing answers; the probe comes back at once.
    times = []
    for attempt in range(5):
        r, findings, _ = diagnose(lab, "--timeout", "0.5")
        expect(r, 3, "diagnose with the access point gone")
        check.equal(findings, {"lab0": ["no-answer"]}, "the findings with nothing there")
        times.append(diagnosis_ms(r.stderr) or 0.0)
    check(max(times) < 1000, "the diagnosis stays under a second: %r ms" % times)
    print("the diagnosis added to an empty search: %s ms (one adapter)"
          % ", ".join("%.1f" % t for t in times))


def case_port_held(lab, folder):
    emulator, log = start(lab, folder)
    holder = subprocess.Popen(
        lab.command("pc", sys.executable, "-c",
                    "import socket, sys\n"
                    "s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)\n"
                    "s.bind(('0.0.0.0', 14675))\n"
                    "print('bound', flush=True)\n"
                    "sys.stdin.read()\n"),
        stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    try:
        check.equal(holder.stdout.readline().strip(), "bound", "the port is held")
        for what, args in [("search", ["search", "--timeout", "1"]),
                           ("configure", ["configure", "--device", MAC, "--password",
                                          "pw-fault", "--dhcp"])]:
            r = cli(lab, *args)
            expect(r, 1, what)
            check(BIND_FAIL in r.stderr and "UDP port 14675" in r.stderr and
                  "held by python3 (process " in r.stderr,
                  "%s: the BIND_FAIL message with the port and the program: %r"
                  % (what, r.stderr))
        r, findings, report = diagnose(lab, "--timeout", "1")
        expect(r, 3, "diagnose with the port held")
        check.equal(findings, {"lab0": ["port-in-use"]}, "the findings with the port held")
        detail = report["adapters"][0]["detail"] if report.get("adapters") else ""
        check("python3 (process " in detail, "the holder named: %r" % detail)
        print("diagnose with the port held: %s: %s" % (findings, detail))
        nothing_reached(log)
        holder.stdin.close()
        holder.wait(timeout=10)
        r = cli(lab, "search", "--timeout", "1")
        expect(r, 0, "search once the port is free")
    finally:
        if holder.poll() is None:
            holder.kill()
            holder.wait()
        check.equal(emulator.stop(), 0, "emulator ends with 0 on SIGTERM")


CASES = {"killed": case_killed, "disk-full": case_disk_full, "no-adapter": case_no_adapter,
         "port-held": case_port_held, "firewall": case_firewall, "no-carrier": case_no_carrier,
         "foreign": case_foreign, "healthy": case_healthy}


def main():
    if CASE not in CASES:
        print("fault_lab: unknown case %r" % CASE, file=sys.stderr)
        return 2
    try:
        with labkit.Lab(NETLAB, "fault", aps=1) as lab, \
                tempfile.TemporaryDirectory() as folder:
            CASES[CASE](lab, folder)
    except labkit.Skip:
        return labkit.SKIP
    return check.result()


if __name__ == "__main__":
    sys.exit(main())
