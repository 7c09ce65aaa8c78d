* Object weights count an object as often as its weight: the weighted
  analysis has the category masses, inertias and contributions of the
  analysis of the replicated cases (replicated.csv), and says they are
  weighted.
GET DATA /TYPE=CSV /FILE='data.csv'.
WEIGHT BY w.
MULTIPLE CORRESPONDENCE VARIABLES=region transport housing
  /ANALYSIS=region transport housing
  /CRITITER=.00000000000001
  /MAXITER=10000
  /PRINT=QUANT
  /PLOT=NONE.
WEIGHT OFF.
GET DATA /TYPE=CSV /FILE='replicated.csv'.
MULTIPLE CORRESPONDENCE VARIABLES=region transport housing
  /ANALYSIS=region transport housing
  /CRITITER=.00000000000001
  /MAXITER=10000
  /PRINT=QUANT
  /PLOT=NONE.
