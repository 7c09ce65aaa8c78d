* All sign patterns of 32 ordinal predictors: there are none to run beyond
  31, so the fit starts from the numerical start without a preliminary run
  and without signs, as INITIAL = RANDOM does.
GET DATA /TYPE=CSV /FILE='data.csv'.
CATREG VARIABLES=y x1 TO x32
  /ANALYSIS=y (LEVEL=NUMERICAL) WITH x1 TO x32 (LEVEL=ORDINAL)
  /INITIAL=MULTISTA(ALL)('signs.csv')
  /MAXITER=20 /PRINT=R COEFF HISTORY.
CATREG VARIABLES=y x1 TO x32
  /ANALYSIS=y (LEVEL=NUMERICAL) WITH x1 TO x32 (LEVEL=ORDINAL)
  /INITIAL=RANDOM
  /MAXITER=20 /PRINT=R COEFF HISTORY.
