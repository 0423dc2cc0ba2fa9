#!/usr/bin/env bash
# A second copy of the wizard while one runs: the real program, twice. The second copy ends at
# once (exit 0, one line on standard error) and leaves the first running; the first ends on
# SIGTERM, and a copy started after that runs (the kernel dropped the lock with its process).
#   wizard_second_copy.sh PATH/TO/trv81k-wizard
# Every copy runs in a network namespace of its own (unshare -n), on the offscreen platform,
# with a lock folder of this test's own. Exit 77 (skipped) where no namespace can be made.
set -euo pipefail

wizard=$(realpath "$1")
tmp=$(mktemp -d)
pids=()

cleanup() {
  local pid
  for pid in "${pids[@]}"; do
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$tmp"
}
trap cleanup EXIT

fail() {
  echo "wizard_second_copy: FAIL: $*" >&2
  for f in "$tmp"/*.err; do
    [[ -s $f ]] && { echo "--- $f" >&2; cat "$f" >&2; }
  done
  exit 1
}

unshare -n -- true 2>/dev/null || { echo "wizard_second_copy: no network namespace here" >&2; exit 77; }

# Starts a copy in the background; its pid in $started.
start() {
  local name=$1
  (cd "$tmp" && exec unshare -n -- env QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$tmp" \
    "$wizard" >"$tmp/$name.out" 2>"$tmp/$name.err") &
  started=$!
  pids+=("$started")
}

# Waits until a process holds the lock and has run for a while (its window set is up then).
wait_running() {
  local pid=$1 what=$2
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || fail "$what ended by itself"
    if [[ -e $tmp/TRV81K.lock ]] && ! flock -n "$tmp/TRV81K.lock" true; then
      sleep 1
      kill -0 "$pid" 2>/dev/null || fail "$what ended after taking the lock"
      return 0
    fi
    sleep 0.1
  done
  fail "$what did not take the lock within 10 s"
}

start first
first=$started
wait_running "$first" "the first copy"

# The second copy: ends at once, with 0 and its line, and the first runs on.
begin=$(date +%s%N)
set +e
(cd "$tmp" && exec timeout 10 unshare -n -- env QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$tmp" \
  "$wizard" >"$tmp/second.out" 2>"$tmp/second.err")
code=$?
set -e
elapsed_ms=$((($(date +%s%N) - begin) / 1000000))
[[ $code -eq 0 ]] || fail "the second copy ended with $code, not 0"
((elapsed_ms < 5000)) || fail "the second copy took $elapsed_ms ms to end"
grep -qx "trv81k-wizard: the wizard is running already" "$tmp/second.err" ||
  fail "the second copy did not say why it ended"
kill -0 "$first" 2>/dev/null || fail "the first copy did not survive the second"
echo "second copy ended with 0 after $elapsed_ms ms: $(cat "$tmp/second.err")"

# SIGTERM ends the first copy.
kill -TERM "$first"
for _ in $(seq 50); do
  kill -0 "$first" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$first" 2>/dev/null && fail "the first copy did not end on SIGTERM"
wait "$first" 2>/dev/null || true

# Its lock went with it: the next copy runs.
start third
third=$started
wait_running "$third" "a copy started after the first ended"
kill -TERM "$third"
wait "$third" 2>/dev/null || true
echo "wizard_second_copy: ok"
