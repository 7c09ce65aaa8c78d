* Every variable numerical: ordinary least squares on standardized variables.
GET DATA /TYPE=CSV /FILE='data.csv'.
CATREG VARIABLES=y a b c
  /ANALYSIS=y (LEVEL=NUMERICAL) WITH a b c (LEVEL=NUMERICAL)
  /CRITITER=.0000000001
  /MAXITER=1000
  /PRINT=R ANOVA COEFF HISTORY.
