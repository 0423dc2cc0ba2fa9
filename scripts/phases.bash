# The phases of ./run and ./test: one line for each on standard output, the build tool's own
# [n/N] progress line when standard output is a terminal, and otherwise nothing else unless
# something fails, whose output then shows in full.
# Sourced; the caller sets phases_name (the line prefix) and phases_preset.

phase() {
  echo "$phases_name: $*"
}

# Configures the preset; cmake's own chatter goes to a log shown only when configuring fails.
# Warnings and errors (cmake's standard error) always show.
phases_configure() {
  local log=build/$phases_preset.configure.log
  mkdir -p build
  phase "configuring the build in build/$phases_preset"
  if ! cmake --preset "$phases_preset" >"$log"; then
    echo "$phases_name: configuring failed; cmake said:" >&2
    cat "$log" >&2
    return 1
  fi
}

# Builds TARGETS (none: everything) after a line saying what and how much.
#   phases_build "WHAT" "FIRST BUILD NOTE" [TARGET...]
phases_build() {
  local what=$1 note=$2
  shift 2
  local target_args=()
  [[ $# -gt 0 ]] && target_args=(--target "$@")
  local dir=build/$phases_preset
  if [[ ! -f "$dir/.ninja_log" ]]; then
    # A first build: every command the targets need (a tool, so no dry run of the build
    # files' own check).
    local steps
    steps=$(ninja -C "$dir" -t commands "$@" | wc -l)
    phase "building $what: $steps steps; $note"
  else
    phase "building $what"
  fi
  local start=$SECONDS
  if [[ -t 1 ]]; then
    cmake --build --preset "$phases_preset" "${target_args[@]}"
  else
    local log=$dir/build.log
    if ! cmake --build --preset "$phases_preset" "${target_args[@]}" >"$log" 2>&1; then
      # Everything but the progress lines of the steps that worked.
      echo "$phases_name: the build failed (the whole output is in $log):" >&2
      grep -v '^\[[0-9]*/[0-9]*\] ' "$log" >&2 || true
      return 1
    fi
  fi
  phase "built in $((SECONDS - start)) s"
}
