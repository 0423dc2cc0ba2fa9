#!/usr/bin/env bash
# The wizard configures emulated access points across the lab network: trv81k-emulator on
# host ap1, the wizard (driven by the Qt Test program wizard_lab) on host pc.
#   wizard_lab.sh NETLAB EMULATOR WIZARD_LAB CONFIG [QT TEST OPTIONS]
# TRV81K_LAB_TIME_SCALE=1 runs the wizard with its real timing (default 0.2).
# Exit 77 (skipped) where the lab cannot be made. The lab is removed also when a check fails.
set -euo pipefail

netlab=$1 emulator=$2 program=$3 config=$4
lab="wiz$$"
tmp=$(mktemp -d)
emulator_pid=

cleanup() {
  if [[ -n "$emulator_pid" ]]; then
    kill "$emulator_pid" 2>/dev/null || true
    wait "$emulator_pid" 2>/dev/null || true
  fi
  "$netlab" down --lab "$lab" >/dev/null 2>&1 || true
  rm -rf "$tmp"
}
trap cleanup EXIT

set +e
"$netlab" up --lab "$lab" --aps 1 >/dev/null
rc=$?
set -e
[[ $rc -eq 77 ]] && exit 77
[[ $rc -eq 0 ]] || { echo "wizard_lab: netlab up failed ($rc)" >&2; exit 1; }

ap=$("$netlab" addr --lab "$lab" ap1)
pc=$("$netlab" addr --lab "$lab" pc)
"$netlab" exec --lab "$lab" ap1 "$emulator" --interface "$ap" --config "$config" \
  --state "$tmp/state.json" --log "$tmp/requests.log" 2>"$tmp/emulator.err" &
emulator_pid=$!
# The emulator names each device on standard error once its socket is open.
for _ in $(seq 100); do
  [[ $(grep -c '^emulating ' "$tmp/emulator.err" 2>/dev/null) -ge 3 ]] && break
  kill -0 "$emulator_pid" 2>/dev/null || { cat "$tmp/emulator.err" >&2; exit 1; }
  sleep 0.05
done

status=0
"$netlab" exec --lab "$lab" pc env QT_QPA_PLATFORM=offscreen TRV81K_LAB_STATE="$tmp/state.json" \
  TRV81K_LAB_INTERFACE="$pc" TRV81K_LAB_TIME_SCALE="${TRV81K_LAB_TIME_SCALE:-0.2}" \
  "$program" "${@:5}" || status=$?
if [[ $status -ne 0 ]]; then
  echo "--- emulator" >&2
  cat "$tmp/emulator.err" >&2
  echo "--- requests" >&2
  cat "$tmp/requests.log" >&2 || true
fi
exit "$status"
