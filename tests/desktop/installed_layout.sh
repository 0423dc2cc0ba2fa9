#!/usr/bin/env bash
# Installs the build into a staging prefix and checks what a user gets: every file in its
# place, the programs run from there, and the launcher starts the wizard in its data folder
# with the picture library loaded from the wizard's own folder.
#   installed_layout.sh BUILD_DIR STAGING_DIR NO_NETWORK APP_ID GUI(ON|OFF) MAN_PAGES(ON|OFF)
set -uo pipefail
build=$1 stage=$2 no_network=$3 app_id=$4 gui=$5 man_pages=$6
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

rm -rf "$stage"
if ! cmake --install "$build" --prefix "$stage" >/dev/null; then
  echo "FAIL: cmake --install" >&2
  exit 1
fi

expected=(bin/trv81k-cli bin/trv81k-emulator bin/trv81k-trace share/trv81k/Language.ini
          share/doc/trv81k/README.md)
programs=(trv81k-cli trv81k-emulator trv81k-trace)
if [[ $gui == ON ]]; then
  expected+=(bin/trv81k-wizard libexec/trv81k/trv81k-wizard
             libexec/trv81k/libtrv81k-resource.so
             share/trv81k/Manual/trv81k_eu_v3-qig_ug.pdf
             "share/applications/$app_id.desktop" "share/metainfo/$app_id.metainfo.xml"
             "share/icons/hicolor/scalable/apps/$app_id.svg")
  for size in 16 24 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/$app_id.png")
  done
  programs+=(trv81k-wizard)
fi
if [[ $man_pages == ON ]]; then
  for program in "${programs[@]}"; do
    expected+=("share/man/man1/$program.1.gz")
  done
fi
for file in "${expected[@]}"; do
  [[ -f "$stage/$file" ]] || fail "not installed: $file"
done
for program in "${programs[@]}"; do
  [[ -x "$stage/bin/$program" ]] || fail "not executable: bin/$program"
done

# The programs run from the staging prefix, from any folder.
cd /
for program in "${programs[@]}"; do
  version=$(QT_QPA_PLATFORM=offscreen "$no_network" "$stage/bin/$program" --version)
  [[ "$version" == "$program "* ]] || fail "installed $program --version printed '$version'"
done
# A command that opens no socket (still without a network).
key=$("$no_network" "$stage/bin/trv81k-cli" wep-key --bits 64 abc) || fail "wep-key failed"
[[ "$key" =~ ^[0-9A-F]{10}$ ]] || fail "wep-key printed '$key'"

if [[ $gui == ON ]]; then
  # The wizard through its launcher, offscreen, in a network namespace without adapters.
  runtime=$(mktemp -d)
  QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$runtime \
    "$no_network" "$stage/bin/trv81k-wizard" >"$runtime/log" 2>&1 &
  launcher=$!
  # no-network, unshare and the launcher each replace themselves (exec): one process.
  wizard=""
  for _ in $(seq 1 100); do
    if [[ "$(readlink "/proc/$launcher/exe" 2>/dev/null)" == "$stage/libexec/trv81k/trv81k-wizard" ]]; then
      wizard=$launcher
      grep -q "libtrv81k-resource.so" "/proc/$wizard/maps" 2>/dev/null && break
    fi
    sleep 0.1
  done
  if [[ -z "$wizard" ]]; then
    fail "the launcher did not start the wizard: $(cat "$runtime/log")"
  else
    cwd=$(readlink "/proc/$wizard/cwd")
    [[ "$cwd" == "$stage/share/trv81k" ]] || fail "the wizard runs in $cwd, not in share/trv81k"
    library=$(grep -o "/[^ ]*libtrv81k-resource.so" "/proc/$wizard/maps" | head -n 1)
    [[ "$library" == "$stage/libexec/trv81k/libtrv81k-resource.so" ]] ||
      fail "the wizard loaded the picture library '${library}', not the installed one"
  fi
  kill "$launcher" 2>/dev/null
  wait "$launcher" 2>/dev/null
  rm -rf "$runtime"
fi

[[ $failures -eq 0 ]] && echo "installed layout in $stage: ${#expected[@]} files, all programs run"
exit $((failures > 0))
