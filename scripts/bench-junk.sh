#!/usr/bin/env bash
# Benchmark of the junk check's walk (not part of the tests): makes a tree of
# 100,000 files in 5,000 folders on the local disk (once; build/bench-junk/),
# then, in one run, times `du -sb` on it natively and the junk check's walk
# under Wine, on a worker thread as Vigilo walks, and reports the longest
# time the main thread took to answer a WM_NULL sent every 2 ms meanwhile.
# Each is timed RUNS times (default 3) after one warm-up; the median counts.
# Then Vigilo.exe itself walks the same tree (linked into the Internet cache
# of the run prefix, the check made due and its tick posted), and its main
# window is asked the same way until the junk window exists (an answer that
# comes once it does may have waited for its making, after the walk).
# BENCH_JUNK_EXE names another build's bench_junk.exe, to compare two
# builds' walks side by side on the same tree.
#   scripts/bench-junk.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
runs=${1:-3}
"$root/scripts/build.sh" "$build" >/dev/null
tree="$build/bench-junk/tree"

if [ ! -f "$tree/.complete" ]; then
    echo "bench-junk: making 100,000 files in 5,000 folders under $tree" >&2
    rm -rf "$tree"
    python3 - "$tree" <<'PY'
import os, random, sys
root = sys.argv[1]
random.seed(13)
# 50 folders of 99 subfolders each: 5,000 folders, 20 files in each.
for top in range(50):
    parent = os.path.join(root, f"site{top:02d}")
    for folder in [parent] + [os.path.join(parent, f"part{sub:02d}") for sub in range(99)]:
        os.makedirs(folder, exist_ok=True)
        for i in range(20):
            with open(os.path.join(folder, f"entry{i:02d}.bin"), "wb") as f:
                f.truncate(random.randint(0, 65536))
PY
    touch "$tree/.complete"
fi
files=$(find "$tree" -type f ! -name .complete | wc -l)
folders=$(find "$tree" -mindepth 1 -type d | wc -l)

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

du -sb "$tree" >/dev/null  # warm-up
du_us=$(for _ in $(seq "$runs"); do
    start=$(date +%s%N); du -sb "$tree" >/dev/null; end=$(date +%s%N)
    echo $(((end - start) / 1000))
done | median)

. "$root/scripts/wine-env.sh" "$build" wineprefix-run
cache_link="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Microsoft/Windows/INetCache/VigiloBenchJunk"
trap 'rm -f "$cache_link"; vigilo_end_session' EXIT
vigilo_begin_session
windows_tree="Z:$(echo "$tree" | tr / '\\')\\"
results=$("$root/scripts/wine-run.sh" "${BENCH_JUNK_EXE:-$build/bin/bench_junk.exe}" "$windows_tree" "$((runs + 1))" | tr -d '\r' | tail -n "$runs")
walk_us=$(echo "$results" | sed -n 's/.*walk_us=\([0-9]*\).*/\1/p' | median)
wait_us=$(echo "$results" | sed -n 's/.*longest_answer_us=\([0-9]*\).*/\1/p' | sort -n | tail -1)
messages=$(echo "$results" | sed -n 's/.*probes=\([0-9]*\).*/\1/p' | median)

mkdir -p "$(dirname "$cache_link")"
ln -sfn "$tree" "$cache_link"
"$root/scripts/wine-run.sh" "$build/bin/Vigilo.exe" &
vigilo=$!
vigilo_result=$("$root/scripts/wine-run.sh" "$build/bin/bench_junk.exe" --vigilo | tr -d '\r' | tail -1) || true
wait "$vigilo" || true
rm -f "$cache_link"
vigilo_until_us=$(echo "$vigilo_result" | sed -n 's/.*until_window_us=\([0-9]*\).*/\1/p')
vigilo_answer_us=$(echo "$vigilo_result" | sed -n 's/.*longest_answer_us=\([0-9]*\).*/\1/p')
vigilo_answer_at_us=$(echo "$vigilo_result" | sed -n 's/.*longest_at_us=\([0-9]*\).*/\1/p')
vigilo_probes=$(echo "$vigilo_result" | sed -n 's/.*probes=\([0-9]*\).*/\1/p')
vigilo_shown=$(echo "$vigilo_result" | sed -n 's/.*shown=\([0-9]*\).*/\1/p')

awk -v files="$files" -v folders="$folders" -v du="$du_us" -v walk="$walk_us" -v wait="$wait_us" -v msgs="$messages" \
    -v runs="$runs" -v vuntil="${vigilo_until_us:-0}" -v vanswer="${vigilo_answer_us:-0}" -v vprobes="${vigilo_probes:-0}" \
    -v vshown="${vigilo_shown:-0}" -v vat="${vigilo_answer_at_us:-0}" 'BEGIN {
    printf "tree: %d files in %d folders; median of %d runs, warm\n", files, folders, runs
    printf "%-34s %12s %14s\n", "", "seconds", "files/s"
    printf "%-34s %12.3f %14.0f\n", "du -sb (native)", du / 1e6, files / (du / 1e6)
    printf "%-34s %12.3f %14.0f\n", "junk walk (Wine)", walk / 1e6, files / (walk / 1e6)
    printf "walk rate / du rate: %.2f\n", du / walk
    printf "longest answer of the main thread during the walks: %.1f ms (%d probes per walk)\n", wait / 1000, msgs
    if (vshown == 1)
        printf "Vigilo.exe: tick to junk window %.2f s; longest answer of its main window until then %.1f ms, asked %.0f ms after the tick (%d probes)\n",
            vuntil / 1e6, vanswer / 1000, vat / 1000, vprobes
    else
        print "Vigilo.exe: no junk window came (another window was up?); no figure"
}'
