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
