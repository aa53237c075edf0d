# Shared by the scripts: package installation and a summary line per step.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="$(nproc 2>/dev/null || echo 2)"

# Installs the Debian packages that are missing, when running as root; otherwise says what
# is missing and carries on (the build will tell whether it matters).
ensure_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "== installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  else
    echo "== missing packages (run as root to install): ${missing[*]}" >&2
  fi
}

# wait_for SECONDS COMMAND...: runs the command every tenth of a second until it succeeds;
# false once SECONDS have passed.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# end_process PID: ends a process this script started, TERM and after ten seconds KILL.
end_process() {
  kill "$1" 2>/dev/null || return 0
  wait_for 10 process_gone "$1" || kill -KILL "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}
process_gone() {
  local state
  state="$(ps -o stat= -p "$1" 2>/dev/null)" || return 0
  [[ "$state" == Z* ]]  # ended, only not yet waited for
}

# keymap_for TEXT: on the X display, a key of its own for every character of TEXT beyond ASCII,
# on keys that have none or only a multimedia key's symbol.  xdotool types such a character on
# its key; one without a key it types by changing the keymap for the moment, which a program
# that reads the key after the change back gets wrong.  A Wine program reads the keymap as it
# starts and takes the first 19 such keys only.
keymap_for() {
  local text="$1" c code i=0 map=""
  local -a free
  mapfile -t free < <(xmodmap -pke | awk 'NF == 3 || $4 ~ /^XF86/ { print $2 }')
  for ((k = 0; k < ${#text}; k++)); do
    c="${text:k:1}"
    printf -v code '%04X' "'$c"
    if [ $((16#$code)) -lt 128 ] || [[ "$map" == *"U$code "* ]]; then continue; fi
    [ "$i" -lt ${#free[@]} ] || { echo "keymap_for: too few free keys" >&2 && return 1; }
    map+="keycode ${free[$i]} = U$code U$code "$'\n'
    i=$((i + 1))
  done
  xmodmap - <<<"$map"
}

SUMMARY=()
step() {  # step "name" command...
  local name="$1"; shift
  echo "== $name"
  local start=$SECONDS
  if "$@"; then
    SUMMARY+=("PASS  $name ($((SECONDS - start)) s)")
  else
    SUMMARY+=("FAIL  $name ($((SECONDS - start)) s)")
    FAILED=1
  fi
}

print_summary() {
  echo
  echo "==== summary ===="
  printf '%s\n' "${SUMMARY[@]}"
}
