* Prediction error estimates: cross-validation of a numerical model, and a
* lasso path whose reported model is chosen by the bootstrap estimates.
GET DATA /TYPE=CSV /FILE='data.csv'.
CATREG VARIABLES=y a b c
  /ANALYSIS=y (LEVEL=NUMERICAL) WITH a b c (LEVEL=NUMERICAL)
  /CRITITER=.000000000001 /MAXITER=5000
  /RESAMPLE=CROSSVAL(7)
  /PRINT=R.
SET SEED=20261207.
CATREG VARIABLES=y a b c g
  /ANALYSIS=y (LEVEL=NUMERICAL) WITH a b c g (LEVEL=NUMERICAL)
  /CRITITER=.000000000001 /MAXITER=5000
  /REGULARIZATION=LASSO(0 0.6 0.1) ('lasso.csv')
  /RESAMPLE=BOOTSTRAP(30)
  /PRINT=R REGU.
* Case 7 holds the only x = 2: the training cases of fold 1 have x constant.
GET DATA /TYPE=CSV /FILE='cv.csv'.
CATREG VARIABLES=y x z /ANALYSIS=y (LEVEL=NUMERICAL) WITH x z (LEVEL=NUMERICAL)
  /RESAMPLE=CROSSVAL(3) /PRINT=R.
