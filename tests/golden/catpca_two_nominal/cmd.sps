* Two nominal variables in one dimension: eigenvalue = 1 + canonical correlation.
GET DATA /TYPE=CSV /FILE='data.csv'.
CATPCA VARIABLES=party paper
  /ANALYSIS=party paper (LEVEL=NOMINAL)
  /DIMENSION=1
  /CRITITER=.0000000001
  /MAXITER=1000
  /PRINT=QUANT
  /PLOT=NONE.
