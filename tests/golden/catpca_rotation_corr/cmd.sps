* Numerical variables: correlation tables and a varimax rotation of the loadings.
GET DATA /TYPE=CSV /FILE='data.csv'.
CATPCA VARIABLES=price quality service design comfort
  /ANALYSIS=price quality service design comfort (LEVEL=NUMERICAL)
  /DIMENSION=2
  /ROTATION=VARIMAX
  /PRINT=LOADING OCORR CORR
  /PLOT=NONE.
