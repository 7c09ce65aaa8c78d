* Input CATREG cannot use: each gives its message and no partial output.
GET DATA /TYPE=CSV /FILE='data.csv'.
* A sign pattern file that does not exist.
CATREG VARIABLES=y x z /ANALYSIS=y (LEVEL=NUMERICAL) WITH x z (LEVEL=ORDINAL)
  /INITIAL=FIXSIGNS(1)('nofile.csv') /PRINT=R.
* Fewer variables than ordinal predictors.
CATREG VARIABLES=y x z /ANALYSIS=y (LEVEL=NUMERICAL) WITH x z (LEVEL=ORDINAL)
  /INITIAL=FIXSIGNS(1)('narrow.csv') /PRINT=R.
* Fewer cases than the pattern number.
CATREG VARIABLES=y x z /ANALYSIS=y (LEVEL=NUMERICAL) WITH x z (LEVEL=ORDINAL)
  /INITIAL=FIXSIGNS(3)('two.csv') /PRINT=R.
* A value that is not a number, and an empty value before the pattern.
CATREG VARIABLES=y x z /ANALYSIS=y (LEVEL=NUMERICAL) WITH x z (LEVEL=ORDINAL)
  /INITIAL=FIXSIGNS(1)('text.csv') /PRINT=R.
CATREG VARIABLES=y x z /ANALYSIS=y (LEVEL=NUMERICAL) WITH x z (LEVEL=ORDINAL)
  /INITIAL=FIXSIGNS(2)('blank.csv') /PRINT=R.
* More variables than ordinal predictors: a warning, the first two are used,
  and the fit equals the one with the same pattern from two.csv.
CATREG VARIABLES=y x z /ANALYSIS=y (LEVEL=NUMERICAL) WITH x z (LEVEL=ORDINAL)
  /INITIAL=FIXSIGNS(2)('wide.csv') /PRINT=R COEFF.
CATREG VARIABLES=y x z /ANALYSIS=y (LEVEL=NUMERICAL) WITH x z (LEVEL=ORDINAL)
  /INITIAL=FIXSIGNS(1)('two.csv') /PRINT=R COEFF.
* A lasso penalty that leaves no predictor: no model output.
CATREG VARIABLES=y x z /ANALYSIS=y (LEVEL=NUMERICAL) WITH x z (LEVEL=NUMERICAL)
  /REGULARIZATION=LASSO(3 3 0)('lasso.csv') /PRINT=R COEFF.
* More folds than cases: the folds past the eighth leave nothing out, so the
  estimate is that of leave-one-out.
CATREG VARIABLES=y x z /ANALYSIS=y (LEVEL=NUMERICAL) WITH x z (LEVEL=NUMERICAL)
  /CRITITER=.000000000001 /MAXITER=5000 /RESAMPLE=CROSSVAL(20) /PRINT=R.
CATREG VARIABLES=y x z /ANALYSIS=y (LEVEL=NUMERICAL) WITH x z (LEVEL=NUMERICAL)
  /CRITITER=.000000000001 /MAXITER=5000 /RESAMPLE=CROSSVAL(8) /PRINT=R.
