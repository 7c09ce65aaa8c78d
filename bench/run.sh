#!/usr/bin/env bash
# Run the benchmarks against a build directory: bench/run.sh BUILD_DIR
set -euo pipefail
BUILD=${1:-build-bench}
HERE=$(cd "$(dirname "$0")" && pwd)

# --- CORRESPONDENCE ---------------------------------------------------------
"$BUILD/bench/corres_bench"
DATA=$(mktemp -d)
trap 'rm -rf "$DATA"' EXIT
for size in "1000 1000" "20000 50"; do
  set -- $size
  python3 "$HERE/corres_make_data.py" "$1" "$2" "$DATA"
  ( cd "$DATA" && /usr/bin/time -f "corres program $1 x $2  %e s  peak %M KB" \
      "$OLDPWD/$BUILD/oscat" run "corres_${1}x${2}.sps" --format text > /dev/null )
done

# --- CATPCA and MULTIPLE CORRESPONDENCE ---------------------------------------
# 20 variables, two dimensions; the time is end to end (CSV read to report).
for cases in 10000 100000 1000000; do
  python3 "$HERE/catpca_make_data.py" "$cases" "$DATA"
  for proc in mca mcadefault catpca; do
    out="$DATA/out_${proc}_${cases}.txt"
    ( cd "$DATA" && /usr/bin/time -f "%e %M" -o "$DATA/time.txt" \
        "$OLDPWD/$BUILD/oscat" run "catpca_${cases}_${proc}.sps" --format text > "$out" )
    read -r secs kb < "$DATA/time.txt"
    iters=$(sed -n '/Iteration History/,/^a\./p' "$out" | grep -E '^[0-9]+(\[[a-z]\])? ' | tail -1 | sed -E 's/^([0-9]+).*/\1/')
    echo "$proc $cases cases: ${secs} s total, ${iters:-(not shown)} iterations, peak $((kb / 1024)) MB"
  done
  rm -f "$DATA/catpca_${cases}.csv"
done
# The engine alone on 1,000,000 cases: seconds per iteration, one and two threads.
"$BUILD/bench/catpca_bench" 1000000
