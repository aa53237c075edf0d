# shellcheck shell=bash
# Sourced by the scripts that print for real: CUPS with a CUPS-PDF queue named PDF, shared by
# every such run on this machine.
#
#   source scripts/lib.sh
#   source scripts/cups-env.sh
#   cups_env_lock "$0" "$@"          # one run at a time: re-runs the script under a lock
#   trap cups_env_stop EXIT
#   cups_env_start ART || exit 1     # sets CUPS_ENV_OUT, the folder CUPS-PDF writes to
#   cups_env_hold; ...print...; JOB=$(cups_env_new_job "$before"); cups_env_release
#   cups_env_wait_pdf JOB DEST       # moves the job's PDF to DEST
#
# As root it installs what it needs, starts cupsd when none runs (and ends it again at
# cups_env_stop) and adds the queue when it is missing; cupsd's own settings are left as they
# are.  Nothing is looked up or ended by name.

CUPS_ENV_QUEUE=PDF
CUPS_ENV_PPD=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
CUPS_ENV_SPOOL=/var/spool/cups
CUPS_ENV_CONF=/etc/cups/cups-pdf.conf
CUPS_ENV_CUPSD_PID=""
CUPS_ENV_HELD=0
CUPS_ENV_OUT=""
PATH="$PATH:/usr/sbin:/sbin"

# The queue, the spool and the PDF folder are shared: one run at a time on this machine.
# flock -o keeps the lock in flock itself, so nothing started by the script holds it.
cups_env_lock() {  # cups_env_lock "$0" "$@"
  if [ -z "${PINDLE_PRINT_E2E_LOCKED:-}" ]; then
    PINDLE_PRINT_E2E_LOCKED=1 exec flock -o -w 900 "${TMPDIR:-/tmp}/pindle-print-e2e.lock" "$@"
  fi
}

cups_env_scheduler_runs() { [ "$(LC_ALL=C lpstat -r 2>/dev/null)" = "scheduler is running" ]; }

# Where CUPS-PDF puts the jobs of this user: its Out setting, ${HOME} and ${USER} expanded.
# shellcheck disable=SC2016  # the literal ${HOME} and ${USER} of the setting
cups_env_pdf_directory() {
  local out="" user home
  [ -r "$CUPS_ENV_CONF" ] && out="$(awk '$1 == "Out" { print $2 }' "$CUPS_ENV_CONF" | tail -1)"
  [ -n "$out" ] || out='/var/spool/cups-pdf/${USER}'  # the backend's own default
  user="$(id -un)"
  home="$(getent passwd "$user" | cut -d: -f6)"
  out="${out//'${HOME}'/$home}"
  printf '%s\n' "${out//'${USER}'/$user}"
}

cups_env_start() {  # cups_env_start ART: logs go to ART
  local art="$1" tool
  ensure_packages cups printer-driver-cups-pdf poppler-utils
  for tool in cupsd lpadmin lpstat cupsaccept cupsenable cupsdisable pdfinfo pdftotext flock; do
    command -v "$tool" >/dev/null || { echo "cups-env: $tool is not installed" >&2 && return 1; }
  done
  if cups_env_scheduler_runs; then
    echo "cups-env: using the CUPS scheduler that runs already"
  else
    if [ "$(id -u)" -ne 0 ]; then
      echo "cups-env: no CUPS scheduler runs, and only root may start one" >&2
      return 1
    fi
    cupsd -f >"$art/cupsd.log" 2>&1 &
    CUPS_ENV_CUPSD_PID=$!
    wait_for 30 cups_env_scheduler_runs ||
      { echo "cups-env: cupsd did not start (see $art/cupsd.log)" >&2 && return 1; }
  fi
  if ! LC_ALL=C lpstat -v "$CUPS_ENV_QUEUE" >/dev/null 2>&1; then
    lpadmin -p "$CUPS_ENV_QUEUE" -E -v cups-pdf:/ -P "$CUPS_ENV_PPD" -o printer-is-shared=false \
      >"$art/lpadmin.log" 2>&1 ||
      { echo "cups-env: cannot add the queue $CUPS_ENV_QUEUE (see $art/lpadmin.log)" >&2 && return 1; }
  fi
  if ! { cupsaccept "$CUPS_ENV_QUEUE" && cupsenable "$CUPS_ENV_QUEUE"; }; then
    echo "cups-env: cannot enable the queue $CUPS_ENV_QUEUE" >&2
    return 1
  fi
  CUPS_ENV_OUT="$(cups_env_pdf_directory)"
  rm -f "$CUPS_ENV_OUT"/Pindle*.pdf 2>/dev/null || true  # left by an earlier run
  echo "cups-env: CUPS-PDF writes to $CUPS_ENV_OUT"
}

cups_env_stop() {
  if [ "$CUPS_ENV_HELD" = 1 ]; then cupsenable "$CUPS_ENV_QUEUE" || true; fi
  CUPS_ENV_HELD=0
  if [ -n "$CUPS_ENV_CUPSD_PID" ]; then end_process "$CUPS_ENV_CUPSD_PID"; fi
  CUPS_ENV_CUPSD_PID=""
}

# The queue keeps its jobs (the spool's copy of the document can be read) until released.
cups_env_hold() { cupsdisable "$CUPS_ENV_QUEUE" && CUPS_ENV_HELD=1; }
cups_env_release() { cupsenable "$CUPS_ENV_QUEUE" && CUPS_ENV_HELD=0; }

cups_env_pending_jobs() {
  LC_ALL=C lpstat -o "$CUPS_ENV_QUEUE" 2>/dev/null | awk '{ sub(/.*-/, "", $1); print $1 }'
}
# The one job pending now that was not in BEFORE (the output of cups_env_pending_jobs).
cups_env_new_job() {
  local job
  job="$(cups_env_pending_jobs | grep -vxF -e "${1:-none}")" || true
  [ "$(wc -w <<<"$job")" -eq 1 ] || return 1
  echo "$job"
}
cups_env_has_job() { cups_env_pending_jobs | grep -qx "$1"; }
# The document of a pending job, as the queue holds it.
cups_env_job_document() { printf '%s/d%05d-001\n' "$CUPS_ENV_SPOOL" "$1"; }

cups_env_pdf_of() {  # cups_env_pdf_of JOB: the PDF CUPS-PDF wrote for it, once complete
  local pdf
  pdf="$(find "$CUPS_ENV_OUT" -maxdepth 1 -name "Pindle*-job_$1.pdf" 2>/dev/null | head -1)"
  [ -n "$pdf" ] && [ -s "$pdf" ] && echo "$pdf"
}

# cups_env_wait_pdf JOB DEST: waits for the job to finish and moves its PDF to DEST.
cups_env_wait_pdf() {
  local job="$1" dest="$2" pdf
  if ! wait_for 120 eval "! cups_env_has_job $job"; then
    echo "cups-env: job $job did not finish: $(LC_ALL=C lpstat -p "$CUPS_ENV_QUEUE")" >&2
    return 1
  fi
  if ! wait_for 30 cups_env_pdf_of "$job"; then
    echo "cups-env: no PDF of job $job in $CUPS_ENV_OUT" >&2
    return 1
  fi
  pdf="$(cups_env_pdf_of "$job")"
  mv "$pdf" "$dest"
}
