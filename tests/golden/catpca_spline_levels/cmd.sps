* Spline levels end to end: x1 spline ordinal (degree 2, knots at the
  category ranks 3 and 6 of 1..8), x2 spline nominal (degree 2, one knot at
  rank 4 of 1..7, labels in an order that rises and falls with the scores).
GET DATA /TYPE=CSV /FILE='data.csv'.
CATPCA VARIABLES=x1 x2 x3 x4
  /ANALYSIS=x1 (LEVEL=SPORD DEGREE=2 INKNOT=2) x2 (LEVEL=SPNOM DEGREE=2 INKNOT=1)
    x3 (LEVEL=NOMINAL) x4 (LEVEL=NUMERICAL)
  /DIMENSION=2
  /CRITITER=.0000000001
  /MAXITER=1000
  /PRINT=QUANT LOADING OBJECT CORR
  /PLOT=NONE.
