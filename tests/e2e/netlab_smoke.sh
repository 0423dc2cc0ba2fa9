#!/usr/bin/env bash
# The lab network itself: up, addr, exec, multicast from the pc to every access point, and a
# down that leaves nothing behind, also when a check fails on the way.
#   netlab_smoke.sh NETLAB_SCRIPT
# Exit 77 (skipped) where namespaces cannot be made.
set -euo pipefail

netlab=${1:?usage: netlab_smoke.sh path/to/scripts/netlab}
lab="smoke$$"
export NETLAB=$lab

fail() {
  echo "netlab_smoke: FAIL: $*" >&2
  exit 1
}

lab_left() {
  ip netns list 2>/dev/null | awk '{print $1}' | grep -E "^$lab-" || true
}

links_before=$(ip -br link 2>/dev/null || true)
trap '"$netlab" down >/dev/null 2>&1 || true' EXIT

set +e
"$netlab" up --aps 2
rc=$?
set -e
[[ $rc -eq 77 ]] && exit 77
[[ $rc -eq 0 ]] || fail "netlab up ended with $rc"

[[ $(lab_left | sort | tr '\n' ' ') == "$lab-ap1 $lab-ap2 $lab-pc $lab-sw " ]] ||
  fail "namespaces after up: $(lab_left | tr '\n' ' ')"
"$netlab" up --aps 2 2>/dev/null && fail "a second up over an existing lab succeeded"

[[ $("$netlab" addr pc) == 10.81.0.1 ]] || fail "addr pc"
[[ $("$netlab" addr ap1) == 10.81.0.11 ]] || fail "addr ap1"
[[ $("$netlab" addr ap2) == 10.81.0.12 ]] || fail "addr ap2"
"$netlab" addr ap3 2>/dev/null && fail "addr of a host the lab lacks succeeded"

"$netlab" exec ap2 ip -4 -br addr show dev lab0 | grep -q 10.81.0.12/24 ||
  fail "ap2 has not its address"
"$netlab" exec pc ip route show 224.0.0.0/4 | grep -q "dev lab0" ||
  fail "pc has no multicast route"
set +e
"$netlab" exec ap1 sh -c 'exit 3'
rc=$?
set -e
[[ $rc -eq 3 ]] || fail "exec gave $rc for a command that exited with 3"

# Multicast: each access point joins a group and waits; the pc sends until both heard it.
receiver='
import socket, struct, sys
local = sys.argv[1]
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("", 18181))
s.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP,
             socket.inet_aton("239.81.0.1") + socket.inet_aton(local))
s.settimeout(10)
data, sender = s.recvfrom(100)
print(data.decode(), sender[0])
'
sender='
import socket, sys, time
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_IF, socket.inet_aton(sys.argv[1]))
s.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_TTL, 3)
for _ in range(int(sys.argv[2])):
    s.sendto(b"hello-lab", ("239.81.0.1", 18181))
    time.sleep(0.2)
'
out=$(mktemp -d)
"$netlab" exec ap1 python3 -c "$receiver" 10.81.0.11 >"$out/ap1" 2>&1 &
r1=$!
"$netlab" exec ap2 python3 -c "$receiver" 10.81.0.12 >"$out/ap2" 2>&1 &
r2=$!
"$netlab" exec pc python3 -c "$sender" 10.81.0.1 25 &
s1=$!
ok=1
wait "$r1" || ok=0
wait "$r2" || ok=0
kill "$s1" 2>/dev/null || true
wait "$s1" 2>/dev/null || true
for ap in ap1 ap2; do
  grep -qx "hello-lab 10.81.0.1" "$out/$ap" || fail "$ap did not hear the pc: $(cat "$out/$ap")"
done
rm -r "$out"
[[ $ok -eq 1 ]] || fail "a receiver failed"

"$netlab" down
[[ -z $(lab_left) ]] || fail "namespaces left after down: $(lab_left | tr '\n' ' ')"
"$netlab" down || fail "a second down failed"
[[ $(ip -br link 2>/dev/null || true) == "$links_before" ]] ||
  fail "the calling namespace's interfaces changed"
echo "netlab_smoke: ok"
