#!/usr/bin/env bash
# The cross build's test emulator: runs one Windows program under Wine and passes its output
# and exit status on.  The output goes through a file: Wine's helper processes (services, the
# desktop), started by the first program that needs them, outlive it and would otherwise hold
# CTest's output pipe open until the test times out.
# The Wine environment (WINEPREFIX, DISPLAY, ...) comes from the caller: scripts/wine-env.sh.
set -uo pipefail

wine="${WINE:-}"
if [ -z "$wine" ]; then
  for candidate in /usr/lib/wine/wine64 /usr/lib64/wine/wine64 "$(command -v wine64)" \
    "$(command -v wine)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then
      wine="$candidate"
      break
    fi
  done
fi
if [ -z "$wine" ]; then
  echo "wine-exec: Wine is not installed" >&2
  exit 127
fi

output="$(mktemp "${TMPDIR:-/tmp}/wine-exec.XXXXXX")"
trap 'rm -f "$output"' EXIT
"$wine" "$@" </dev/null >"$output" 2>&1
status=$?
cat "$output"
exit "$status"
