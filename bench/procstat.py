#!/usr/bin/env python3
"""What a process costs, read from /proc, for scripts/bench.

  procstat.py mem PID...            "RSS_KB PSS_KB ANON_KB", summed over the processes (ANON:
                                    the process's own memory, no file or library pages)
  procstat.py usage PID...          "CPU_TICKS SWITCHES": user+system time in clock ticks and
                                    the context switches (voluntary and not) of every thread,
                                    summed; the difference over a window gives the CPU time
                                    and the wake-ups in it
  procstat.py idle-since PID T0_US [QUIET_MS] [TIMEOUT_S]
                                    milliseconds from T0 (microseconds since 1970) to the start
                                    of the first QUIET_MS (default 200) in which the process used
                                    no CPU time: its start-up to idle
  procstat.py wine-pids PREFIX NAME the processes whose WINEPREFIX is PREFIX and whose command
                                    line holds NAME
  procstat.py wine-procs PREFIX     "PID NAME" per Wine process (Wine's loader or server) whose
                                    WINEPREFIX is PREFIX (NAME: the last part of its command
                                    line's first word, e.g. wineserver64, explorer.exe)
  procstat.py threads PID...        "PID/TID NAME CPU_TICKS SWITCHES" per thread
"""
import os
import sys
import time

TICKS = os.sysconf("SC_CLK_TCK")


def alive(pids):
    """The processes of `pids` that still run (not ended, not zombies)."""
    running = []
    for pid in pids:
        try:
            with open(f"/proc/{pid}/stat") as f:
                if f.read().rsplit(")", 1)[1].split()[0] != "Z":
                    running.append(pid)
        except FileNotFoundError:
            pass
    return running


def mem(pids):
    rss = pss = anon = 0
    for pid in alive(pids):
        with open(f"/proc/{pid}/smaps_rollup") as f:
            for line in f:
                if line.startswith("Rss:"):
                    rss += int(line.split()[1])
                elif line.startswith("Pss:"):
                    pss += int(line.split()[1])
                elif line.startswith("Anonymous:"):
                    anon += int(line.split()[1])
    return rss, pss, anon


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime, stime


def switches(pid):
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/status") as f:
                for line in f:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        total += int(line.split()[1])
        except FileNotFoundError:
            pass
    return total


def idle_since(pid, t0_us, quiet_ms, timeout_s):
    deadline = time.time() + timeout_s
    last = cpu_ticks(pid)
    quiet_from = time.time()
    while time.time() < deadline:
        time.sleep(0.01)
        now_ticks = cpu_ticks(pid)
        now = time.time()
        if now_ticks != last:
            last = now_ticks
            quiet_from = now
        elif (now - quiet_from) * 1000 >= quiet_ms:
            return (quiet_from * 1e6 - t0_us) / 1000
    raise SystemExit("procstat: the process did not become idle")


def in_prefix(prefix):
    """(pid, command line) of every process whose WINEPREFIX is `prefix`."""
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/environ", "rb") as f:
                env = f.read().split(b"\0")
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                cmd = f.read()
        except OSError:
            continue
        if b"WINEPREFIX=" + prefix.encode() in env:
            yield pid, cmd


def wine_pids(prefix, name):
    return alive([pid for pid, cmd in in_prefix(prefix) if name.encode() in cmd])


def prefix_processes(prefix):
    """(pid, name) of every live process whose WINEPREFIX is `prefix`."""
    found = []
    for pid, cmd in in_prefix(prefix):
        first = cmd.split(b"\0")[0].decode(errors="replace")
        try:  # Wine's processes only: its loader or its server, not a tool run beside them
            exe = os.path.basename(os.readlink(f"/proc/{pid}/exe"))
        except OSError:
            continue
        if exe.startswith("wine") and int(pid) != os.getpid() and alive([pid]):
            found.append((pid, first.replace("\\", "/").rsplit("/", 1)[-1]))
    return found


def threads(pids):
    rows = []
    for pid in alive(pids):
        for task in sorted(os.listdir(f"/proc/{pid}/task"), key=int):
            try:
                with open(f"/proc/{pid}/task/{task}/stat") as f:
                    head, tail = f.read().rsplit(")", 1)
                name = head.split("(", 1)[1].replace(" ", "_")
                fields = tail.split()
                ticks = int(fields[11]) + int(fields[12])
                switched = 0
                with open(f"/proc/{pid}/task/{task}/status") as f:
                    for line in f:
                        if line.startswith(("voluntary_ctxt_switches",
                                            "nonvoluntary_ctxt_switches")):
                            switched += int(line.split()[1])
                rows.append(f"{pid}/{task} {name} {ticks} {switched}")
            except (FileNotFoundError, ProcessLookupError):
                pass
    return rows


def main(argv):
    what = argv[1]
    if what == "mem":
        print(*mem(argv[2:]))
    elif what == "usage":
        pids = alive(argv[2:])
        print(sum(cpu_ticks(p) for p in pids), sum(switches(p) for p in pids))
    elif what == "idle-since":
        quiet = int(argv[4]) if len(argv) > 4 else 200
        timeout = float(argv[5]) if len(argv) > 5 else 60
        print(f"{idle_since(argv[2], int(argv[3]), quiet, timeout):.1f}")
    elif what == "wine-pids":
        print(*wine_pids(argv[2], argv[3]))
    elif what == "wine-procs":
        for pid, name in prefix_processes(argv[2]):
            print(pid, name)
    elif what == "threads":
        print("\n".join(threads(argv[2:])))
    elif what == "ticks":
        print(TICKS)
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
