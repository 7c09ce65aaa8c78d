* A fixed configuration reproduces the analysis that produced it: conf.csv
  holds the object scores of the first analysis (written from its report at
  full precision), so the variables fitted to them are the first analysis's
  variables. The same scores as a start converge at once.
GET DATA /TYPE=CSV /FILE='data.csv'.
CATPCA VARIABLES=v1 v2 v3 v4
  /ANALYSIS=v1 v2 (LEVEL=ORDINAL) v3 (LEVEL=NOMINAL) v4 (LEVEL=NUMERICAL)
  /DIMENSION=2
  /CRITITER=.0000000001
  /MAXITER=2000
  /PRINT=QUANT LOADING OBJECT
  /PLOT=NONE.
CATPCA VARIABLES=v1 v2 v3 v4
  /ANALYSIS=v1 v2 (LEVEL=ORDINAL) v3 (LEVEL=NOMINAL) v4 (LEVEL=NUMERICAL)
  /DIMENSION=2
  /CONFIGURATION=FIXED('conf.csv')
  /PRINT=QUANT LOADING
  /PLOT=NONE.
CATPCA VARIABLES=v1 v2 v3 v4
  /ANALYSIS=v1 v2 (LEVEL=ORDINAL) v3 (LEVEL=NOMINAL) v4 (LEVEL=NUMERICAL)
  /DIMENSION=2
  /CONFIGURATION=INITIAL('conf.csv')
  /CRITITER=.0000000001
  /MAXITER=2000
  /PRINT=HISTORY LOADING
  /PLOT=NONE.
