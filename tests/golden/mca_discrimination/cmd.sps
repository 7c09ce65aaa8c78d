* Three nominal variables: discrimination measures are squared correlation ratios.
GET DATA /TYPE=CSV /FILE='data.csv'.
MULTIPLE CORRESPONDENCE VARIABLES=region transport housing
  /ANALYSIS=region transport housing
  /DIMENSION=2
  /CRITITER=.0000000001
  /MAXITER=1000
  /PRINT=DISCRIM OBJECT QUANT
  /PLOT=NONE.
