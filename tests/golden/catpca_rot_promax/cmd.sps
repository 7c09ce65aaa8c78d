* Numerical variables, promax with kappa 3 without Kaiser normalization.
GET DATA /TYPE=CSV /FILE='data.csv'.
CATPCA VARIABLES=price quality service design comfort
  /ANALYSIS=price quality service design comfort (LEVEL=NUMERICAL)
  /DIMENSION=2
  /ROTATION=PROMAX(3) NOKAISER
  /PRINT=LOADING VAF OBJECT
  /PLOT=NONE.
