#!/usr/bin/env bash
# Checks the hardening of a Release build of the program: the executable is position-independent,
# bound at load time with its relocations read-only afterwards (full RELRO), built with the stack
# protector and fortified libc calls; and the running program can leave no core file and cannot
# be read by other processes of the same user (not dumpable, so no ptrace and no /proc reads).
# Usage: hardening_check.sh <tessavo> <tessavo-db>
set -euo pipefail

program=$1
database_tool=$2
fail() {
    echo "hardening: $*" >&2
    exit 1
}

# ---- The executable
readelf -h "$program" | grep -q 'DYN (Position-Independent Executable' || fail "not a position-independent executable"
readelf -d "$program" | grep -Eq '\(FLAGS\).*BIND_NOW' || fail "no BIND_NOW"
readelf -d "$program" | grep -Eq '\(FLAGS_1\).*NOW.*PIE' || fail "FLAGS_1 lacks NOW or PIE"
readelf -lW "$program" | grep -q 'GNU_RELRO' || fail "no RELRO segment"
symbols=$(readelf -W --dyn-syms "$program")
grep -q '__stack_chk_fail' <<<"$symbols" || fail "no stack protector"
grep -Eq ' __[a-z0-9_]+_chk@' <<<"$symbols" || fail "no fortified libc call"

# ---- The running program, started as an ordinary user (nobody when we are root): a process
# of the same user may read /proc/<pid>/environ of a dumpable process, not of a non-dumpable one.
work=$(mktemp -d)
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

as_user=()
if [ "$(id -u)" -eq 0 ]; then
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --inh-caps=-all --bounding-set=-all)
fi
mkdir -p "$work/app" "$work/home"
cp "$program" "$work/app/tessavo"
"$database_tool" init "$work/app" >/dev/null
chmod 755 "$work"
chmod 700 "$work/home"
[ "$(id -u)" -eq 0 ] && chown -R nobody "$work/app" "$work/home"

# exec: started in the background, the process keeps the pid that $! names.
run_as_user() {
    exec env -i PATH="$PATH" HOME="$work/home" XDG_RUNTIME_DIR="$work/home" QT_QPA_PLATFORM=offscreen \
        "${as_user[@]}" "$@"
}

run_as_user "$work/app/tessavo" >"$work/output" 2>&1 &
pids+=($!)
program_pid=$!
run_as_user sleep 600 &
pids+=($!)
control_pid=$!

# The program hardens itself first thing in main(), and both processes first run as root for a
# moment (env, setpriv): wait up to ten seconds until the control process reads as its user's
# and the program shows its hardening.
readable() { (run_as_user cat "/proc/$1/environ") >/dev/null 2>&1; }
no_core_files() { grep -Eq '^Max core file size +0 +0 ' "/proc/$program_pid/limits"; }
for _ in $(seq 100); do
    kill -0 "$program_pid" 2>/dev/null || fail "the program ended early: $(cat "$work/output")"
    readable "$control_pid" && no_core_files && ! readable "$program_pid" && break
    sleep 0.1
done
readable "$control_pid" || fail "cannot tell: a dumpable process of the same user is unreadable here too"
no_core_files || fail "core files allowed: $(grep 'core file' "/proc/$program_pid/limits")"
! readable "$program_pid" || fail "the program is dumpable: another process of its user reads its environment"
echo "hardening: PIE, full RELRO, stack protector, fortified calls; no core files, not dumpable"
