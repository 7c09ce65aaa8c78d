* SAVE of MULTIPLE CORRESPONDENCE: object scores, and each variable's
  category centroids per dimension; case 8 has a passive missing value
  (no transformed value for housing). A second run saves the first
  dimension only, under its own root.
GET DATA /TYPE=CSV /FILE='data.csv'.
MULTIPLE CORRESPONDENCE VARIABLES=region transport housing
  /ANALYSIS=region transport housing
  /DIMENSION=2
  /CRITITER=.0000000001
  /MAXITER=1000
  /PRINT=OBJECT QUANT
  /PLOT=NONE
  /SAVE=TRDATA OBJECT
  /OUTFILE=DISCRDAT('discr.csv') OBJECT('obj.csv').
MULTIPLE CORRESPONDENCE VARIABLES=region transport housing
  /ANALYSIS=region transport housing
  /DIMENSION=2
  /PRINT=NONE
  /PLOT=NONE
  /SAVE=TRDATA(cen(1)).
SAVE OUTFILE='out.csv'.
