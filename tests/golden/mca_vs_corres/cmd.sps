* Multiple correspondence analysis is the correspondence analysis of the
  indicator matrix (cases by all categories): "MCOR Inertia" of each dimension
  equals the principal inertia of that analysis. indicator.csv is data.csv
  written as 0/1 columns, one per category.
GET DATA /TYPE=CSV /FILE='data.csv'.
MULTIPLE CORRESPONDENCE VARIABLES=region transport housing
  /ANALYSIS=region transport housing
  /DIMENSION=2
  /CRITITER=.0000000001
  /MAXITER=1000
  /PRINT=NONE
  /PLOT=NONE.
GET DATA /TYPE=CSV /FILE='indicator.csv'.
CORRESPONDENCE TABLE=ALL(45, 10) /DIMENSION=2 /PRINT=NONE /PLOT=NONE.
