* Bootstrap samples of eight cases in which the dependent or a predictor
  has one category only (y and x take their second value in case 5 alone):
  such a sample is fitted with zero quantifications and nothing turns NaN.
GET DATA /TYPE=CSV /FILE='data.csv'.
SET SEED=5.
CATREG VARIABLES=y x z o u
  /ANALYSIS=y (LEVEL=NOMINAL) WITH x (LEVEL=NOMINAL) z (LEVEL=SPORD DEGREE=1 INKNOT=1)
    o (LEVEL=SPNOM DEGREE=1 INKNOT=1) u (LEVEL=ORDINAL)
  /RESAMPLE=BOOTSTRAP(50) /PRINT=R COEFF.
CATREG VARIABLES=y x z o u
  /ANALYSIS=y (LEVEL=NUMERICAL) WITH x (LEVEL=NUMERICAL) z (LEVEL=SPORD DEGREE=1 INKNOT=1)
    o (LEVEL=SPNOM DEGREE=1 INKNOT=1) u (LEVEL=ORDINAL)
  /REGULARIZATION=LASSO(0 0.4 0.2)('lasso.csv') /RESAMPLE=BOOTSTRAP(20) /PRINT=R COEFF REGU.
CATREG VARIABLES=u x z /ANALYSIS=u (LEVEL=SPORD) WITH x (LEVEL=NOMINAL) z (LEVEL=SPNOM)
  /PRINT=R COEFF.
