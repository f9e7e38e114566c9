#!/usr/bin/env bash
# Measures the program's footprint:
#   1. the pure report pipeline (three roles judged and rendered, the page
#      filled) with Google Benchmark, for a typical profile, for 26 disks, and
#      for a caption and computer name of 1 MiB of "{{CHECKBOX_ON}}" each
#      (the fill alone and the whole pipeline);
#   2. SystemAssessment.exe end to end under Wine, against a do-nothing Windows
#      program built the same way, both timed in the same run and prefix;
#   3. the size of SystemAssessment.exe;
#   4. the peak heap of one native run of the whole pipeline (valgrind massif);
#   5. the fleet summary with every output on (the long CSV, the overview, the
#      --machines CSV, the lists, hosts expected): 10,000 and 100,000 report
#      pages from the real renderer, varied machines, and notes of every kind
#      for a tenth as many hosts more, as the collectors write them (those of
#      tests/data/outcomes.tsv) (time, reports per second, peak RSS with
#      /usr/bin/time -v, its growth per report between the two, the
#      overview's size, files opened), and its peak RSS for pages of 5 MB,
#      which must not grow with them beyond a page or two;
#   6. the fleet summary on the local disk, page cache warm: 60,000 reports
#      with the overview, the --machines CSV and the lists, against reading
#      the same files with both cores (find | xargs -P 2 -n 500 cat);
#   7. the fleet summary over a share: 3,000 reports (16 KB each) on a fresh
#      mount of bench/slow_share.py, a FUSE file system that answers each
#      request after 2 ms, many at once, with the same outputs, against
#      reading the same files on a fresh mount 32 at a time (find | xargs -P
#      32 -n 20 cat); skipped, with the reason, where FUSE cannot be mounted.
# Installs what a fresh Debian machine lacks.
#
#   scripts/run-benchmarks.sh          10 end-to-end runs of each program
#   scripts/run-benchmarks.sh 25       25 runs of each
#   scripts/run-benchmarks.sh summary  the fleet summary's figures only (5 to 7)
#
# Timings on a shared machine are noisy: every figure is a median of repetitions.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
source "$ROOT/scripts/lib/wine.sh"
source "$ROOT/scripts/lib/build.sh"
export LC_ALL=C # decimal points in $EPOCHREALTIME and printf

only_summary=
runs=${1:-10}
if [ "$runs" = summary ]; then
    only_summary=1
else
    [[ $runs =~ ^[1-9][0-9]*$ ]] || die "the number of runs must be a positive whole number or summary, not '$runs'"
fi
bench_repetitions=10

ensure_packages "${BUILD_PACKAGES[@]}" time strace python3-fusepy fuse3

work=$(mktemp -d)
trap 'mountpoint -q "$work/share" && umount "$work/share"; rm -rf "$work"' EXIT

heading() { printf '\n=== %s ===\n' "$*"; }

# Prints the median of the numbers on standard input, one a line.
median() {
    sort -g | awk '{ v[NR] = $1 }
        END { if (NR == 0) exit 1; printf "%.3f\n", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

heading "Machine"
printf 'processors: %s x %s\n' "$(nproc)" "$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)"
printf 'memory:     %s MiB\n' "$(awk '/^MemTotal/ { print int($2 / 1024) }' /proc/meminfo)"
printf 'load:       %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"

if [ -z "$only_summary" ]; then
ensure_packages "${WINDOWS_PACKAGES[@]}" libbenchmark-dev valgrind
ensure_wine
printf '32-bit x86: %s\n' "$(i386_runner)"

say "Building the pipeline benchmarks (preset bench)"
build_preset bench
bench_dir=$ROOT/build/bench/bench

# Its own build directory, so the shared mingw preset stays as it is.
say "Building SystemAssessment.exe and the do-nothing baseline (MinGW-w64, build/mingw-bench)"
mingw_dir=$ROOT/build/mingw-bench
(cd "$ROOT" &&
    cmake -S . -B "$mingw_dir" --toolchain cmake/mingw-w64-i686.cmake -DCMAKE_BUILD_TYPE=Release \
        -DNIMLO_MINGW_THREADS=win32 -DNIMLO_BENCHMARKS=ON -DNIMLO_BUILD_TESTS=OFF >/dev/null &&
    cmake --build "$mingw_dir" -j2 --target SystemAssessment DoNothing) >&2 || die "the MinGW-w64 build failed"
exe=$mingw_dir/platform/win32/SystemAssessment.exe
baseline=$mingw_dir/bench/baseline/DoNothing.exe

# 1. The pure pipeline.
heading "Pipeline (native, Release): median of $bench_repetitions repetitions"
"$bench_dir/pipeline_bench" --benchmark_repetitions=$bench_repetitions --benchmark_report_aggregates_only=true \
    --benchmark_out="$work/pipeline.json" --benchmark_out_format=json
pipeline_median() {
    python3 -c 'import json, sys
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b["run_name"] == sys.argv[2] and b.get("aggregate_name") == "median":
        print("%.1f" % b["real_time"])' "$work/pipeline.json" "$1"
}
typical_us=$(pipeline_median BM_PipelineTypical)
disks_us=$(pipeline_median BM_Pipeline26Disks)
flood_ms=$(pipeline_median BM_PipelinePlaceholderFlood)
fill_flood_ms=$(pipeline_median BM_FillPlaceholderFlood)

# 2. End to end under Wine. Both programs run alternately in the same prefix and
# directory, after one untimed warm-up run each (which also starts the prefix's
# wineserver). No display: the shell's request to open the page goes nowhere.
heading "End to end under Wine: $runs runs of each, alternating"
prefix=$CACHE_DIR/wine-run-win64
make_prefix "$prefix" win64
unset DISPLAY WAYLAND_DISPLAY
time_run() {
    local program=$1 start end status=0
    start=$EPOCHREALTIME
    (cd "$work" && WINEPREFIX=$prefix WINEDEBUG=-all "$WINE" "$program" >>"$work/wine.log" 2>&1) || status=$?
    end=$EPOCHREALTIME
    [ "$status" -eq 0 ] || die "$(basename "$program") exited with status $status under Wine (see $work/wine.log)"
    awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", e - s }'
}
time_run "$baseline" >/dev/null
time_run "$exe" >/dev/null
[ -f "$work/System Assessment Results.html" ] || die "SystemAssessment.exe wrote no report under Wine"
: >"$work/baseline.times"
: >"$work/program.times"
for ((i = 1; i <= runs; i++)); do
    b=$(time_run "$baseline")
    p=$(time_run "$exe")
    echo "$b" >>"$work/baseline.times"
    echo "$p" >>"$work/program.times"
    printf 'run %2d: do-nothing %6.3f s   SystemAssessment.exe %6.3f s\n' "$i" "$b" "$p"
done
baseline_s=$(median <"$work/baseline.times")
program_s=$(median <"$work/program.times")
ratio=$(awk -v p="$program_s" -v b="$baseline_s" 'BEGIN { printf "%.1f", p / b }')

# 3. Size.
exe_bytes=$(stat -c %s "$exe") # linked stripped, like the release

# 4. Peak heap of one run of the pipeline, and what the C++ runtime alone takes
# at start-up (its exception-handling pool), measured the same way.
heading "Peak heap (valgrind massif, native, Release)"
peak_heap() {
    valgrind --tool=massif --pages-as-heap=no --massif-out-file="$work/massif.$1" \
        "$bench_dir/pipeline_once" "$1" >/dev/null 2>"$work/valgrind.$1.log" ||
        die "the massif run '$1' failed (see $work/valgrind.$1.log)"
    awk -F= '/^mem_heap_B=/ { if ($2 > peak) peak = $2 } END { print peak + 0 }' "$work/massif.$1"
}
idle_b=$(peak_heap idle)
typical_b=$(peak_heap typical)
disks_b=$(peak_heap 26)
ms_print "$work/massif.typical" | sed -n '/^    KB/,/^Number of snapshots/p'
else
    build_preset bench --target SystemAssessmentSummary
fi

# 5. The fleet summary. The pages are in the page cache once written, so the
# time is the summary's own work, not the disk's.
heading "Fleet summary"
build_preset native --target make_reports
make_reports=$ROOT/build/native/tests/make_reports
summary=$ROOT/build/bench/summary/SystemAssessmentSummary
# Notes (NAME.not-assessed.txt) for COUNT hosts that have no report: the notes
# of the table of outcomes (tests/data/outcomes.tsv), the first of each KIND,
# in turn.
write_notes() {
    awk -F'\t' -v folder="$1" -v count="$2" '
        NR > 1 && $5 != "" && !($1 in seen) { seen[$1] = 1; notes[kinds++] = $5 }
        END {
            if (kinds == 0) exit 1
            for (i = 0; i < count; i++) {
                file = sprintf("%s/unassessed-%05d.not-assessed.txt", folder, i)
                print notes[i % kinds] >file
                close(file)
            }
        }' "$ROOT/tests/data/outcomes.tsv" || die "the notes could not be written"
}
"$make_reports" "$work/fleet" random 10000 7 || die "make_reports failed"
write_notes "$work/fleet" 1000
"$make_reports" "$work/fleet100k" random 100000 8 || die "make_reports failed"
write_notes "$work/fleet100k" 10000
"$make_reports" "$work/large" large 20 || die "make_reports failed"
fleet_bytes=$(du -sb "$work/fleet100k" | cut -f1)
# Every report's and note's name expected, and a hundred hosts more that have neither.
expected() {
    { ls "$1" | sed -n 's/\.html$//p; s/\.not-assessed\.txt$//p'; seq -f 'never-assessed-%03g' 1 100; } \
        >"$work/expected.txt"
}
# Runs the summary once with every output on, under /usr/bin/time -v; prints "seconds peak-KiB".
summarize() {
    local folder=$1
    expected "$folder"
    local status=0
    rm -rf "$work/lists"
    /usr/bin/time -v "$summary" --csv "$work/fleet.csv" --html "$work/overview.html" \
        --machines "$work/machines.csv" --lists "$work/lists" --expect "$work/expected.txt" "$folder" \
        >/dev/null 2>"$work/time.log" || status=$?
    # 2: the hosts with a note, and the hundred expected that have neither a report nor a note.
    [ "$status" -le 2 ] || { tail -5 "$work/time.log" >&2; die "the summary of $folder failed"; }
    awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i] }
        /Maximum resident set size/ { kb = $2 } END { printf "%.3f %d\n", s, kb }' "$work/time.log"
}
# The median of 3 runs after a warm-up; prints "seconds peak-KiB" (the peak of the last run).
timed() {
    local folder=$1 seconds kib
    summarize "$folder" >/dev/null
    : >"$work/summary.times"
    for ((i = 1; i <= 3; i++)); do
        read -r seconds kib < <(summarize "$folder")
        echo "$seconds" >>"$work/summary.times"
        printf '%s, run %d: %s s, peak RSS %s KiB\n' "$(basename "$folder")" "$i" "$seconds" "$kib" >&2
    done
    echo "$(median <"$work/summary.times") $kib"
}
read -r summary_s summary_kib < <(timed "$work/fleet")
read -r summary100k_s summary100k_kib < <(timed "$work/fleet100k")
overview100k_bytes=$(stat -c %s "$work/overview.html")
machines_bytes=$(stat -c %s "$work/machines.csv")
summary_rate=$(awk -v s="$summary100k_s" 'BEGIN { printf "%d", 100000 / s }')
growth=$(awk -v a="$summary_kib" -v b="$summary100k_kib" 'BEGIN { printf "%d", (b - a) * 1024 / 90000 }')
read -r _ large_kib < <(summarize "$work/large")
opened=$(expected "$work/fleet"; strace -f -e trace=open,openat -o "$work/strace.log" "$summary" \
    --csv "$work/fleet.csv" --html "$work/overview.html" "$work/fleet" >/dev/null 2>&1
    grep -c '\.html", O_RDONLY' "$work/strace.log" || true)
echo "100000 pages and 10000 notes, $fleet_bytes bytes; the overview has $overview100k_bytes bytes, the --machines CSV $machines_bytes bytes"
rm -rf "$work/fleet" "$work/fleet100k" "$work/large"

# Seconds "$@" takes; it must succeed.
seconds() {
    local start=$EPOCHREALTIME
    "$@" >/dev/null 2>"$work/command.log" || { tail -3 "$work/command.log" >&2; die "$* failed"; }
    awk -v s="$start" -v e="$EPOCHREALTIME" 'BEGIN { printf "%.3f\n", e - s }'
}
# The outputs of the summary in sections 6 and 7: the overview, the --machines CSV and the lists.
summarize_into() {
    rm -rf "$work/lists"
    "$summary" --html "$work/overview.html" --machines "$work/machines.csv" --lists "$work/lists" "$1"
}
# Reads every file under $1, $2 at a time, $3 to a cat.
read_all() { find "$1" -type f -print0 | xargs -0 -P "$2" -n "$3" cat; }
# Runs the two commands alternately, 3 times each; prints "median-of-the-first median-of-the-second".
alternately() {
    local first=$1 second=$2 i a b
    : >"$work/first.times"
    : >"$work/second.times"
    for ((i = 1; i <= 3; i++)); do
        a=$($first)
        b=$($second)
        printf 'run %d: %s %s s, %s %s s\n' "$i" "$first" "$a" "$second" "$b" >&2
        echo "$a" >>"$work/first.times"
        echo "$b" >>"$work/second.times"
    done
    echo "$(median <"$work/first.times") $(median <"$work/second.times")"
}
ratio_of() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# 6. On the local disk: the files are in the page cache after an untimed run of each.
heading "Fleet summary on the local disk: 60,000 reports, page cache warm"
"$make_reports" "$work/fleet60k" random 60000 9 || die "make_reports failed"
local_floor() { seconds read_all "$work/fleet60k" 2 500; }
local_summary() { seconds summarize_into "$work/fleet60k"; }
local_floor >/dev/null
local_summary >/dev/null
read -r local_floor_s local_summary_s < <(alternately local_floor local_summary)
local_ratio=$(ratio_of "$local_summary_s" "$local_floor_s")
rm -rf "$work/fleet60k"

# 7. Over a share. Every run has a mount of its own, so that nothing of an
# earlier one is cached; the file system prints the requests it answered.
heading "Fleet summary over a share: 3,000 reports on a fresh FUSE mount answering each request after 2 ms"
share_floor_s=skipped share_summary_s=skipped share_ratio=skipped
# Runs "$@" (MOUNT standing for the mount point) on a fresh mount of $work/fleet3k; prints its seconds.
on_fresh_mount() {
    local mount=$work/share server status=0 taken i
    mkdir -p "$mount"
    /usr/bin/python3 "$ROOT/bench/slow_share.py" "$work/fleet3k" "$mount" 2 2>"$work/share.log" &
    server=$!
    for ((i = 0; i < 100; i++)); do
        mountpoint -q "$mount" && break
        sleep 0.1
    done
    if ! mountpoint -q "$mount"; then
        kill "$server" 2>/dev/null
        wait "$server" || true
        return 1
    fi
    taken=$(seconds "${@//MOUNT/$mount}") || status=$?
    fusermount3 -u "$mount" 2>/dev/null || umount "$mount"
    wait "$server" || true
    [ "$status" -eq 0 ] || exit "$status"
    printf '%s (%s)\n' "$(tail -1 "$work/share.log")" "$*" >&2
    echo "$taken"
}
share_floor() { on_fresh_mount read_all MOUNT 32 20; }
share_summary() { on_fresh_mount summarize_into MOUNT; }
if [ ! -e /dev/fuse ]; then
    echo "skipped: this machine has no /dev/fuse"
else
    "$make_reports" "$work/fleet3k" random 3000 7 || die "make_reports failed"
    if ! (share_floor >/dev/null); then
        echo "skipped: the FUSE file system could not be mounted: $(tail -3 "$work/share.log")"
    else
        read -r share_floor_s share_summary_s < <(alternately share_floor share_summary)
        share_ratio=$(ratio_of "$share_summary_s" "$share_floor_s")
    fi
fi

heading "Summary"
if [ -z "$only_summary" ]; then
printf '%-62s %s\n' \
    "pipeline, typical profile (median of $bench_repetitions):" "$typical_us us" \
    "pipeline, 26 disks (median of $bench_repetitions):" "$disks_us us" \
    "fill, caption and computer name 1 MiB of placeholders each:" "$fill_flood_ms ms" \
    "pipeline, the same profile judged, rendered and filled:" "$flood_ms ms" \
    "end to end under Wine, SystemAssessment.exe (median of $runs):" "$program_s s" \
    "end to end under Wine, do-nothing baseline (median of $runs):" "$baseline_s s" \
    "end to end ratio, SystemAssessment.exe / baseline:" "$ratio" \
    "SystemAssessment.exe size (stripped, as released):" "$exe_bytes bytes" \
    "native pipeline peak heap, typical profile:" "$typical_b bytes" \
    "native pipeline peak heap, 26 disks:" "$disks_b bytes" \
    "  of which the C++ runtime's start-up heap:" "$idle_b bytes"
fi
printf '%-72s %s\n' \
    "fleet summary, 10,000 reports and 1,000 notes (median of 3):" "$summary_s s" \
    "fleet summary, 100,000 reports and 10,000 notes (median of 3; at most 15 s):" "$summary100k_s s" \
    "fleet summary, reports per second at 100,000:" "$summary_rate" \
    "fleet summary, peak RSS, 10,000 reports:" "$summary_kib KiB" \
    "fleet summary, peak RSS, 100,000 reports (at most 65536 KiB):" "$summary100k_kib KiB" \
    "fleet summary, peak RSS growth per report (10k to 100k; at most 200):" "$growth bytes" \
    "fleet summary, overview of 100,000 reports:" "$overview100k_bytes bytes" \
    "fleet summary, peak RSS, 20 reports of 5 MB:" "$large_kib KiB" \
    "fleet summary, report files opened for 10,000 reports:" "$opened" \
    "local disk, 60,000 reports, summary (median of 3):" "$local_summary_s s" \
    "local disk, reading them, find | xargs -P 2 -n 500 cat (median of 3):" "$local_floor_s s" \
    "local disk, summary / reading (at most 1.5):" "$local_ratio" \
    "share (FUSE, 2 ms), 3,000 reports, summary (median of 3):" "$share_summary_s s" \
    "share (FUSE, 2 ms), reading them, find | xargs -P 32 -n 20 cat:" "$share_floor_s s" \
    "share (FUSE, 2 ms), summary / reading (at most 1.5):" "$share_ratio"
