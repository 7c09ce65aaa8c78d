#!/bin/sh
# Build the command-syntax fuzzer (procedure bodies and host commands) and the
# CSV-reader fuzzer with clang (libFuzzer + ASan/UBSan) and run each:
# tests/fuzz/build.sh [seconds] [syntax|csv|both]  (default 600 both).
# Crashing inputs are written to tests/fuzz/corpus/ and tests/fuzz/corpus_csv/
# (keep them: the unit tests SyntaxFuzzCorpus replay every file there).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=${FUZZ_OUT:-$root/build-fuzz}
secs=${1:-600}
which=${2:-both}
mkdir -p "$out" "$here/corpus" "$here/corpus_csv" "$out/work" "$out/work_csv" "$out/corpus_live" "$out/corpus_csv_live"
srcs=$(ls "$root"/src/syntax/*.cpp "$root"/src/host/*.cpp "$root"/src/frame/messages.cpp "$root"/engine/*.cpp)
# The older procedures run whole, so the syntax target links every procedure.
older_srcs=$(ls "$root"/src/*/*.cpp | grep -v -e /src/syntax/ -e /src/host/ -e /src/frame/messages.cpp)
flags="-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I$root -I$root/src -I$here"
if [ "$which" != csv ]; then
  clang++ $flags -o "$out/syntax_fuzz" "$here/syntax_fuzz.cpp" $srcs $older_srcs
  # Seeds: the kept inputs plus a few bodies of each procedure and host commands.
  seed="$out/seeds"
  mkdir -p "$seed"
  printf '\000VARIABLES = a b c /ANALYSIS = a (SPNOM) b c (WEIGHT=2) /DIMENSION=2 /NORMALIZATION=SYMMETRICAL /ROTATION=PROMAX(4) KAISER /PRINT=LOADING(SORT) QUANT(a) /PLOT=OBJECT(a)(10) LOADING(CENTROID(b)) NDIM(1,2) OBELLARE(AREA>2.5) NELLPNT(30) /SAVE=TRDATA(tr(2)) /RESAMPLE=BOOTSTRAP(UNBALANCED REFLECT 100 90) /MISSING=a b (ACTIVE EXTRACAT) /DISCRETIZATION=a(GROUPING NCAT=5 DISTR=UNIFORM) b(EQINTV=2) /SUPPLEMENTARY=OBJECT(1 3 THRU 5) VARIABLE(c) /CONFIGURATION=INITIAL("cfg.csv")' > "$seed/pca"
  printf '\001VARIABLES = a b c d /ANALYSIS = a (NUMERICAL) WITH b (ORDINAL) c d /INITIAL=MULTISTART(ALL)("s.csv") /REGULARIZATION=ENET(0 1 .1)(0 1 .1)("r.csv") /PLOT=REGU(0 THRU .5) RESID(b) /MISSING=LISTWISE /CONVERGE=.001 /OUTFILE=TRDATA("t.csv") /SAVE=PRED RES(r) /PRINT=FREQ TRANS(a) R /RESAMPLE=CROSSVAL(5)' > "$seed/crg"
  printf '\001VARIABLES = y a b c d e /ANALYSIS = y (LEVEL=SPORD DEGREE=2 INKNOT=1) WITH a (NOMINAL) b (SPNOM) c d (NUMERICAL) e /INITIAL=FIXSIGNS(2)("s.csv") /REGULARIZATION=LASSO(.2 .8 .2)("r.csv") /RESAMPLE=BOOTSTRAP(30) /SUPPLEMENTARY=OBJECT(2 THRU 4) /MISSING=a (MODEIMPU) b (ACTIVE EXTRACAT) c (LISTWISE) /DISCRETIZATION=c(RANKING) /CRITITER=.0001 /MAXITER=50 /PRINT=ANOVA COEFF OCORR CORR HISTORY QUANT(a b) REGU DESCRIP(y) /PLOT=TRANS(a) RESID(b c) REGU /SAVE=TRDATA PRED(p) RES /OUTFILE=DISCRDAT("d.csv")' > "$seed/crg2"
  printf '\001VARIABLES = y a b /ANALYSIS = y WITH a b (ORDINAL) /INITIAL=MULTISTART(25)("m.csv")(ALL) /REGULARIZATION=RIDGE(0 1 .25)("r.csv") /PLOT=REGU /PRINT=REGU NONE' > "$seed/crg3"
  printf '\002a b c /ANALYSIS a b c (WEIGHT=2) /PLOT=DISCRIM(a b) CATEGORY(a) JOINTCAT NDIM(1,2) /PRINT=DISCRIM OBJECT(c) /SAVE OBJECT /OUTFILE=OBJECT("o.csv") ELLCOORD("e.csv")' > "$seed/mc"
  printf "\003VARIABLE LABELS a 'A' / s 'S'.\nVALUE LABELS a 1 'one' 2 'two' / s 'x' 'ex'.\nMISSING VALUES a b (9) / c (LO THRU 0, 7) / s ('z').\nWEIGHT BY w.\nFILTER BY c.\nSPLIT FILE BY s.\nSAVE OUTFILE='o.csv'.\nGET DATA /TYPE=CSV /FILE='o.csv'.\nSET SEED=5 WORKSPACE=100." > "$seed/host"
  printf '\004TABLE=a(1,3) BY b(1,3) /DIMENSION=2 /NORMALIZATION=RPRINCIPAL /VARIANCES=SINGULAR ROW COLUMN /PRINT=TABLE PROFILES SCORES CONTRIBUTIONS PERMUTATION /PLOT=TRROWS TRCOLUMNS JOINT(5) NDIM(ALL,MAX) /MATRIX=OUT SCORES("m.csv") VARIANCE("v.csv")' > "$seed/anacor"
  printf '\005VARIABLES=a(3) b(3) c(3) d(3) /ANALYSIS=a b c /DIMENSION=2 /MAXITERATIONS=50 /CONVERGENCE=.001 /PRINT=ALL /PLOT=OBJECT(d)(5) QUANTIFICATIONS(a) DISCRIMINATION NDIM(1,MAX) /SAVE=h(2) /MATRIX=OUT("m.csv") /NOBSERVATIONS=5' > "$seed/homals"
  printf '\006VARIABLES=a(3) b(3) c(3) d(3) e(2) /ANALYSIS=a(ORDINAL) b(SNOMINAL) c(MNOMINAL) d e(NUMERICAL) /SETS=2(2,3) /INITIAL=RANDOM /PRINT=ALL /PLOT=OBJECT(a) TRANS(b) CENTROID LOADINGS NDIM(1,MAX) /SAVE=o(2) /MATRIX=OUT("m.csv")' > "$seed/overals"
  printf '\007VARIABLES=a(3) b(3) c(3) d(3) /ANALYSIS=a b(SNOMINAL) c(MNOMINAL) d(NUMERICAL) /DIMENSION=2 /PRINT=ALL /PLOT=ALL NDIM(1,MAX) /SAVE=p(2) /MATRIX=OUT("m.csv")' > "$seed/princals"
  cp "$here"/corpus/* "$seed"/ 2>/dev/null || true
  (cd "$out/work" && "$out/syntax_fuzz" -max_total_time="$secs" -max_len=512 -artifact_prefix="$here/corpus/" \
    -dict="$here/syntax.dict" "$out/corpus_live" "$seed" 2>&1 | tail -20)
fi
if [ "$which" != syntax ]; then
  clang++ $flags -o "$out/csv_fuzz" "$here/csv_fuzz.cpp" "$root"/engine/*.cpp "$root"/src/host/*.cpp
  cseed="$out/seeds_csv"
  mkdir -p "$cseed"
  printf '\000id,name,x,q\n1,"Smith, J",1.5,NA\n2,"two\nlines",n/a,.\n3,x"y,-2e3,NaN\n12345678901234567891,"a""b",1e400,0x10\n' > "$cseed/csv"
  printf '\001{"variables":[{"name":"a","width":0,"label":"A","value_labels":[[1,"one"]],"missing":{"values":[9],"strings":[],"range":null}},{"name":"s","width":3,"missing":{"strings":["p"]}}]}' > "$cseed/dict"
  cp "$here"/corpus_csv/* "$cseed"/ 2>/dev/null || true
  (cd "$out/work_csv" && "$out/csv_fuzz" -max_total_time="$secs" -max_len=4096 -artifact_prefix="$here/corpus_csv/" \
    "$out/corpus_csv_live" "$cseed" 2>&1 | tail -20)
fi
