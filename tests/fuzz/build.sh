#!/bin/sh
# Build the command-syntax fuzzer with clang (libFuzzer + ASan/UBSan) and run
# it: tests/fuzz/build.sh [seconds]  (default 600). Crashing inputs are written
# to tests/fuzz/corpus/ (keep them: the unit test SyntaxFuzzCorpus replays
# every file there).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=${FUZZ_OUT:-$root/build-fuzz}
secs=${1:-600}
mkdir -p "$out" "$here/corpus" "$out/work"
srcs=$(ls "$root"/src/syntax/*.cpp "$root"/src/host/*.cpp "$root"/engine/*.cpp)
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$root" -I"$root/src" -I"$here" -o "$out/syntax_fuzz" "$here/syntax_fuzz.cpp" $srcs
# Seeds: the kept inputs plus a few bodies of each procedure.
seed="$out/seeds"
mkdir -p "$seed"
printf '\000VARIABLES = a b c /ANALYSIS = a (SPNOM) b c (WEIGHT=2) /DIMENSION=2 /NORMALIZATION=SYMMETRICAL /ROTATION=PROMAX(4) KAISER /PRINT=LOADING(SORT) QUANT(a) /PLOT=OBJECT(a)(10) LOADING(CENTROID(b)) NDIM(1,2) OBELLARE(AREA>2.5) NELLPNT(30) /SAVE=TRDATA(tr(2)) /RESAMPLE=BOOTSTRAP(UNBALANCED REFLECT 100 90) /MISSING=a b (ACTIVE EXTRACAT) /DISCRETIZATION=a(GROUPING NCAT=5 DISTR=UNIFORM) b(EQINTV=2) /SUPPLEMENTARY=OBJECT(1 3 THRU 5) VARIABLE(c) /CONFIGURATION=INITIAL("cfg.csv")' > "$seed/pca"
printf '\001VARIABLES = a b c d /ANALYSIS = a (NUMERICAL) WITH b (ORDINAL) c d /INITIAL=MULTISTART(ALL)("s.csv") /REGULARIZATION=ENET(0 1 .1)(0 1 .1)("r.csv") /PLOT=REGU(0 THRU .5) RESID(b) /MISSING=LISTWISE /CONVERGE=.001 /OUTFILE=TRDATA("t.csv") /SAVE=PRED RES(r) /PRINT=FREQ TRANS(a) R /RESAMPLE=CROSSVAL(5)' > "$seed/crg"
printf '\002a b c /ANALYSIS a b c (WEIGHT=2) /PLOT=DISCRIM(a b) CATEGORY(a) JOINTCAT NDIM(1,2) /PRINT=DISCRIM OBJECT(c) /SAVE OBJECT /OUTFILE=OBJECT("o.csv") ELLCOORD("e.csv")' > "$seed/mc"
cp "$here"/corpus/* "$seed"/ 2>/dev/null || true
cd "$out/work"
"$out/syntax_fuzz" -max_total_time="$secs" -max_len=512 -artifact_prefix="$here/corpus/" \
  -dict="$here/syntax.dict" "$out/corpus_live" "$seed" 2>&1 | tail -20
