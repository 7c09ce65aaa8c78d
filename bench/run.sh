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

# --- Report memory --------------------------------------------------------------
# Peak memory of text, HTML and JSON reports of 300,000 object points.
python3 "$HERE/report_memory.py" "$BUILD/oscat" 300000
# --- CATREG -------------------------------------------------------------------
# An ordinal outcome on the twenty CATPCA benchmark variables (ordinal,
# nominal, numerical and spline ordinal in turn): one fit on 1,000,000 cases,
# and a lasso path of 51 penalties with 10-fold cross-validation (561 fits) on
# 100,000 cases, end to end (CSV read to report). /usr/bin/time gives the
# elapsed and the processor seconds: on a shared machine the second says more.
for spec in "1000000 fit" "100000 lasso"; do
  set -- $spec
  python3 "$HERE/catreg_make_data.py" "$1" "$DATA"
  out="$DATA/out_catreg_$2_$1.txt"
  ( cd "$DATA" && /usr/bin/time -f "%e %U %M" -o "$DATA/time.txt" \
      "$OLDPWD/$BUILD/oscat" run "catreg_${1}_$2.sps" --format text > "$out" )
  read -r secs user kb < "$DATA/time.txt"
  echo "catreg $2 $1 cases: ${secs} s total (${user} s processor), peak $((kb / 1024)) MB"
  rm -f "$DATA/catreg_$1.csv"
done
# The engine alone: seconds per sweep over the objects and on the cross tables.
for cases in 100000 1000000; do "$BUILD/bench/catreg_bench" "$cases"; done
# --- HOMALS and OVERALS -------------------------------------------------------
# The same 1,000,000 x 20 data: HOMALS on all twenty variables, OVERALS on
# four sets of five (ordinal, single nominal, numerical, multiple nominal).
# Seconds per iteration: the difference between a full run and one stopped
# after two iterations, over the iterations in between (so the CSV read and
# the data pass drop out); CPU seconds as well as wall time, since the wall
# time of a shared machine says little.
python3 "$HERE/catpca_make_data.py" 1000000 "$DATA"
OVR_ANALYSIS="v1 v5 v9 v13 v17(ORDINAL) v2 v6 v10 v14 v18(SNOMINAL) v3 v7 v11 v15 v19(NUMERICAL) v4 v8 v12 v16 v20(MNOMINAL)"
for proc in homals overals; do
  for run in full two; do
    limit=""
    [ "$run" = two ] && limit="/MAXITERATIONS=2"
    {
      echo "GET DATA /TYPE=CSV /FILE='catpca_1000000.csv'."
      if [ "$proc" = homals ]; then
        echo "HOMALS VARIABLES=v1 TO v20(7) /DIMENSION=2 $limit /PRINT=HISTORY /PLOT=NONE."
      else
        echo "OVERALS VARIABLES=v1 TO v20(7) /ANALYSIS=$OVR_ANALYSIS /SETS=4(5,5,5,5)"
        echo "  /DIMENSION=2 $limit /PRINT=HISTORY /PLOT=NONE."
      fi
    } > "$DATA/${proc}_${run}.sps"
    ( cd "$DATA" && /usr/bin/time -f "%e %U %S %M" -o "$DATA/${proc}_${run}.time" \
        "$OLDPWD/$BUILD/oscat" run "${proc}_${run}.sps" --format text > "$DATA/${proc}_${run}.out" )
  done
  iters=$(grep -E '^[0-9]+\[[a-z]\] ' "$DATA/${proc}_full.out" | tail -1 | sed -E 's/^([0-9]+).*/\1/')
  read -r wf uf sf kb < "$DATA/${proc}_full.time"
  read -r w2 u2 s2 _ < "$DATA/${proc}_two.time"
  python3 - "$proc" "$iters" "$wf" "$uf" "$sf" "$kb" "$w2" "$u2" "$s2" <<'PY'
import sys
proc, iters = sys.argv[1], int(sys.argv[2])
wf, uf, sf, kb, w2, u2, s2 = map(float, sys.argv[3:])
k = max(iters - 2, 1)
print("%s 1000000 cases: %.2f s total (%.2f s CPU), %d iterations, %.3f s per iteration (%.3f s CPU), peak %d MB"
      % (proc, wf, uf + sf, iters, (wf - w2) / k, (uf + sf - u2 - s2) / k, kb / 1024))
PY
done
rm -f "$DATA/catpca_1000000.csv"
# --- Python module: oscat.mca on a DataFrame against the program -------------
if [ -d "$BUILD/python/oscat" ]; then
  /usr/bin/python3 "$HERE/python_mca.py" "$BUILD"
fi
