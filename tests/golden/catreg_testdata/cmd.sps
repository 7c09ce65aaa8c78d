* Test data: the supplementary cases 51 to 60 are predicted from the fit on
  the others, for one model and along a ridge path that they choose.
GET DATA /TYPE=CSV /FILE='data.csv'.
CATREG VARIABLES=y a b c
  /ANALYSIS=y (LEVEL=NUMERICAL) WITH a b c (LEVEL=NUMERICAL)
  /SUPPLEMENTARY=OBJECT(51 THRU 60)
  /CRITITER=.000000000001 /MAXITER=5000
  /PRINT=R.
CATREG VARIABLES=y a b c
  /ANALYSIS=y (LEVEL=NUMERICAL) WITH a b c (LEVEL=NUMERICAL)
  /SUPPLEMENTARY=OBJECT(51 THRU 60)
  /CRITITER=.000000000001 /MAXITER=5000
  /REGULARIZATION=RIDGE(0 2 0.5) ('ridge.csv')
  /PRINT=R REGU /PLOT=NONE.
* The test cases with c = 6 leave no training case in that category (c is
  nominal): they cannot be predicted; cases 51 and 52 can.
CATREG VARIABLES=y a b c
  /ANALYSIS=y (LEVEL=NUMERICAL) WITH a b (LEVEL=NUMERICAL) c (LEVEL=NOMINAL)
  /SUPPLEMENTARY=OBJECT(2 9 15 28 29 47 58 60 51 52)
  /PRINT=R.
