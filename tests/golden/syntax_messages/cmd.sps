* Syntax reports of the optimal-scaling commands, one group per command.
GET DATA /TYPE=CSV /FILE='d.csv'.
* An unknown subcommand stops the command after the scan.
CATPCA a b c /ANALYSIS = a b /BOGUS = 1.
* A bare variable list is VARIABLES; a variable twice on ANALYSIS.
CATPCA a b c /ANALYSIS = a b a.
* Spline fields on a non-spline level; a repeated level keyword.
CATPCA VARIABLES = a b c /ANALYSIS = a b (LEVEL = NOMINAL INKNOT = 3) c (ORDINAL LEVEL = NOMINAL).
* MAXITER and CRITITER values.
CATPCA VARIABLES = a b /ANALYSIS = a b /MAXITER = 50 60 /CRITITER = 0.
* CONVERGE is CRITITER for CATREG; both given is a repeated subcommand.
CATREG VARIABLES = a b c /ANALYSIS = a (NUMERICAL) WITH b c (NOMINAL) /CONVERGE = 0.001 /CRITITER = 0.01.
* MULTIPLE CORRESPONDENCE accepts only multiple nominal levels.
MULTIPLE CORRESPONDENCE VARIABLES = a b /ANALYSIS = a (LEVEL = NOMINAL) b.
* DISCRETIZATION and MISSING.
CATPCA VARIABLES = a b c /ANALYSIS = a b c /DISCRETIZATION = a (RANKING NCAT = 3) b (GROUPING NCAT = 40) /MISSING = c (LISTWISE MODEIMPU).
* RESAMPLE, NORMALIZATION and ROTATION.
CATPCA VARIABLES = a b c /ANALYSIS = a b c /NORMALIZATION = 1.5 /ROTATION = OBLIMIN(0.9).
CATPCA VARIABLES = a b /ANALYSIS = a b /SUPPLEMENTARY = VARIABLE(a).
* CATREG: INITIAL and REGULARIZATION.
CATREG VARIABLES = a b c /ANALYSIS = a WITH b (NOMINAL) c (NOMINAL) /INITIAL = MULTISTART('s.csv').
CATREG VARIABLES = a b c /ANALYSIS = a WITH b c /REGULARIZATION = LASSO(1 0 0.1)('r.csv').
* Supplementary objects that name no case: a number past the last case, a reversed range.
CATPCA VARIABLES = a b c /ANALYSIS = a b c /SUPPLEMENTARY = OBJECT(2 99 5 THRU 3) /PRINT = NONE /PLOT = NONE.
