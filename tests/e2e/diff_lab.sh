#!/usr/bin/env bash
# The wizard and trv81k-cli walk the same road against the same emulated device, and send the
# same requests: kinds, order, every logged field, every byte of the plain messages.
#   diff_lab.sh NETLAB EMULATOR CLI DIFF_LAB PYTHON SETTINGS [ROAD...]
# For each road of SETTINGS (diff_lab.json; all of them by default) the emulator on host ap1
# starts twice, each time fresh: the same devices, no state file yet, a log of its own. First
# the wizard (driven by the Qt Test program DIFF_LAB) on host pc, then trv81k-cli configure
# with the road's settings as options; diff_lab.py compares the two logs and says what differs.
# TRV81K_LAB_TIME_SCALE scales the timing of both front ends alike (default 0.2);
# TRV81K_DIFF_KEEP=DIR keeps the logs and state files there.
# Exit 77 (skipped) where the lab cannot be made. The lab is removed also when a check fails.
set -euo pipefail

netlab=$1 emulator=$2 cli=$3 program=$4 python=$5 settings=$6
shift 6
here=$(cd "$(dirname "$0")" && pwd)
scale=${TRV81K_LAB_TIME_SCALE:-0.2}
lab="diff$$"
tmp=$(mktemp -d)
emulator_pid=

cleanup() {
  if [[ -n "${TRV81K_DIFF_KEEP:-}" ]]; then
    mkdir -p "$TRV81K_DIFF_KEEP"
    cp "$tmp"/*.jsonl "$tmp"/*.json "$tmp"/*.err "$TRV81K_DIFF_KEEP"/ 2>/dev/null || true
  fi
  if [[ -n "$emulator_pid" ]]; then
    kill "$emulator_pid" 2>/dev/null || true
    wait "$emulator_pid" 2>/dev/null || true
  fi
  "$netlab" down --lab "$lab" >/dev/null 2>&1 || true
  rm -rf "$tmp"
}
trap cleanup EXIT

helper() {
  "$python" "$here/diff_lab.py" "$@"
}

if [[ $# -gt 0 ]]; then
  roads=("$@")
else
  mapfile -t roads < <(helper roads "$settings")
fi
devices=$(helper emulator-config "$settings" "$tmp/devices.json")

set +e
"$netlab" up --lab "$lab" --aps 1 >/dev/null
rc=$?
set -e
[[ $rc -eq 77 ]] && exit 77
[[ $rc -eq 0 ]] || { echo "diff_lab: netlab up failed ($rc)" >&2; exit 1; }
ap=$("$netlab" addr --lab "$lab" ap1)
pc=$("$netlab" addr --lab "$lab" pc)

# A fresh emulator of the devices, its state and log named by RUN.
start_emulator() {
  local run=$1
  "$netlab" exec --lab "$lab" ap1 "$emulator" --interface "$ap" --config "$tmp/devices.json" \
    --state "$tmp/$run.state.json" --log "$tmp/$run.jsonl" 2>"$tmp/$run.emulator.err" &
  emulator_pid=$!
  # The emulator names each device on standard error once its socket is open.
  for _ in $(seq 100); do
    [[ $(grep -c '^emulating ' "$tmp/$run.emulator.err" 2>/dev/null) -ge $devices ]] && return 0
    kill -0 "$emulator_pid" 2>/dev/null || break
    sleep 0.05
  done
  echo "diff_lab: the emulator for $run did not start" >&2
  cat "$tmp/$run.emulator.err" >&2
  return 1
}

# Once the log has not grown for 0.3 s (datagrams still on their way are in), SIGTERM; the
# emulator must end with 0.
stop_emulator() {
  local run=$1 size last=-1 still=0 rc=0
  for _ in $(seq 100); do
    size=$(stat -c %s "$tmp/$run.jsonl" 2>/dev/null || echo 0)
    if [[ $size -eq $last ]]; then
      still=$((still + 1))
      [[ $still -ge 6 ]] && break
    else
      still=0 last=$size
    fi
    sleep 0.05
  done
  kill -TERM "$emulator_pid"
  wait "$emulator_pid" || rc=$?
  emulator_pid=
  if [[ $rc -ne 0 ]]; then
    echo "diff_lab: the emulator for $run ended with $rc" >&2
    cat "$tmp/$run.emulator.err" >&2
    return 1
  fi
}

status=0
for road in "${roads[@]}"; do
  echo "=== diff_lab $road: the wizard"
  start_emulator "$road-wizard"
  wizard=0
  "$netlab" exec --lab "$lab" pc env QT_QPA_PLATFORM=offscreen TRV81K_LAB_INTERFACE="$pc" \
    TRV81K_LAB_TIME_SCALE="$scale" TRV81K_DIFF_SETTINGS="$settings" TRV81K_DIFF_ROAD="$road" \
    "$program" || wizard=$?
  stop_emulator "$road-wizard"

  echo "=== diff_lab $road: trv81k-cli"
  start_emulator "$road-cli"
  mapfile -d '' -t options < <(helper cli-args "$settings" "$road")
  [[ ${#options[@]} -gt 0 ]] || { echo "diff_lab: no options for $road" >&2; exit 1; }
  cli_status=0
  "$netlab" exec --lab "$lab" pc "$cli" --interface "$pc" --timing-scale "$scale" --verbose \
    configure "${options[@]}" >"$tmp/$road-cli.out" 2>"$tmp/$road-cli.err" || cli_status=$?
  stop_emulator "$road-cli"
  sed 's/^/  /' "$tmp/$road-cli.out" "$tmp/$road-cli.err"

  echo "=== diff_lab $road: the requests compared"
  if [[ $wizard -ne 0 ]]; then
    echo "diff_lab $road: FAILED: the wizard's run (exit $wizard)"
    status=1
  fi
  if [[ $cli_status -ne 0 ]]; then
    echo "diff_lab $road: FAILED: trv81k-cli configure (exit $cli_status)"
    status=1
  fi
  helper compare "$road" "$tmp/$road-wizard.jsonl" "$tmp/$road-cli.jsonl" \
    "$tmp/$road-wizard.state.json" "$tmp/$road-cli.state.json" || status=1
done
exit "$status"
