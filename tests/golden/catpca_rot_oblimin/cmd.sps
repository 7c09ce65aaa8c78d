* Numerical variables, direct oblimin with delta 0 (quartimin) and Kaiser normalization.
GET DATA /TYPE=CSV /FILE='data.csv'.
CATPCA VARIABLES=price quality service design comfort
  /ANALYSIS=price quality service design comfort (LEVEL=NUMERICAL)
  /DIMENSION=2
  /ROTATION=OBLIMIN
  /PRINT=LOADING VAF
  /PLOT=NONE.
