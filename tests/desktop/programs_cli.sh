#!/usr/bin/env bash
# Every program answers --help and --version on standard output with exit 0, and refuses an
# unknown option on standard error with a non-zero exit and nothing on standard output.
#   programs_cli.sh NO_NETWORK PROGRAM...
# Each run goes through NO_NETWORK (a network namespace without adapters).
set -uo pipefail
no_network=$1
shift
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

for program in "$@"; do
  name=$(basename "$program")
  QT_QPA_PLATFORM=offscreen "$no_network" "$program" --version >"$out" 2>"$err"
  status=$?
  version=$(cat "$out")
  [[ $status -eq 0 ]] || fail "$name --version: exit $status"
  [[ "$version" =~ ^$name\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "$name --version printed '$version'"
  [[ ! -s "$err" ]] || fail "$name --version wrote to standard error: $(cat "$err")"

  QT_QPA_PLATFORM=offscreen "$no_network" "$program" --help >"$out" 2>"$err"
  status=$?
  [[ $status -eq 0 ]] || fail "$name --help: exit $status"
  grep -q "^Usage: $name" "$out" || fail "$name --help has no usage line"
  grep -q -- "--version" "$out" || fail "$name --help does not mention --version"
  [[ ! -s "$err" ]] || fail "$name --help wrote to standard error: $(cat "$err")"

  QT_QPA_PLATFORM=offscreen "$no_network" "$program" --no-such-option >"$out" 2>"$err"
  status=$?
  [[ $status -ne 0 ]] || fail "$name --no-such-option: exit 0"
  [[ -s "$err" ]] || fail "$name --no-such-option: nothing on standard error"
  [[ ! -s "$out" ]] || fail "$name --no-such-option wrote to standard output: $(cat "$out")"
  echo "$name: --help, --version and a wrong option behave"
done
exit $((failures > 0))
