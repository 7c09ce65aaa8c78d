* Every variable numerical: principal components of the correlation matrix.
GET DATA /TYPE=CSV /FILE='data.csv'.
CATPCA VARIABLES=price quality service design comfort
  /ANALYSIS=price quality service design comfort (LEVEL=NUMERICAL)
  /DIMENSION=2
  /CRITITER=.0000000001
  /MAXITER=1000
  /PRINT=LOADING OBJECT VAF
  /PLOT=NONE.
