#!/usr/bin/env bash
# Benchmark of the signature check (not part of the tests): signs the
# stand-in Purgeon.exe (248 KiB) and a copy carrying 100 MiB after its
# sections, with a test root made for the run (scripts/make-signed-test-files.sh),
# then times under Wine the check a window would make of each, unsigned and
# changed after signing too: the first check of a run and the median of RUNS
# more (default 5), with the working set the first check adds to the
# checking process. Each file is checked as Vigilo checks it, in a child
# process (Vigilo.exe started to serve the check), and in the process itself
# (where the first check loads wintrust and crypt32 for good).
#   scripts/bench-signature.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
runs=${1:-5}
"$root/scripts/build.sh" "$build" BenchSignature PurgeonStandIn Vigilo >/dev/null
"$root/scripts/make-signed-test-files.sh" "$build" large >/dev/null
files="$build/signed-test-files"

. "$root/scripts/wine-env.sh" "$build" wineprefix-run
trap vigilo_end_session EXIT
vigilo_begin_session
windows_path() { echo "Z:$(echo "$1" | tr / '\\')"; }
printf "%-10s %-18s %10s %10s %10s %12s %14s  %s\n" where file size first_ms median_ms slowest_ms "first adds" result
for where in child in-process; do
  child=()
  [ "$where" = child ] && child=("$(windows_path "$build/bin/Vigilo.exe")")
  for name in signed.exe unsigned.exe tampered.exe signed-100mib.exe; do
    out=$("$root/scripts/wine-run.sh" "$build/bin/bench_signature.exe" "$(windows_path "$files/$name")" "$runs" \
          "${child[@]}" | tr -d '\r')
    value() { echo "$out" | sed -n "s/.*$1=\([^ ]*\).*/\1/p"; }
    printf "%-10s %-18s %9.1fM %10s %10s %10s %11d KiB  %s %s\n" "$where" "$name" \
        "$(awk -v b="$(stat -c %s "$files/$name")" 'BEGIN { print b / 1048576 }')" \
        "$(value first_ms)" "$(value median_ms)" "$(value slowest_ms)" \
        $(($(value working_set_after_first_kib) - $(value working_set_before_kib))) "$(value state)" \
        "$(echo "$out" | sed -n 's/.*signer=\(.*\)$/\1/p')"
  done
done
