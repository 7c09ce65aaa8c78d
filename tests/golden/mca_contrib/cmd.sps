* Contributions of MULTIPLE CORRESPONDENCE are those of the correspondence
  analysis of the indicator matrix (cases by all categories; indicator.csv is
  data.csv written as 0/1 columns): category points are its column points,
  objects its row points. The default (VPRINCIP) and the object principal
  normalization give the same contributions.
GET DATA /TYPE=CSV /FILE='data.csv'.
MULTIPLE CORRESPONDENCE VARIABLES=region transport housing
  /ANALYSIS=region transport housing
  /DIMENSION=2
  /CRITITER=.00000000000001
  /MAXITER=10000
  /PRINT=QUANT OBJECT
  /PLOT=NONE.
MULTIPLE CORRESPONDENCE VARIABLES=region transport housing
  /ANALYSIS=region transport housing
  /DIMENSION=2
  /NORMALIZATION=OPRINCIPAL
  /CRITITER=.00000000000001
  /MAXITER=10000
  /PRINT=QUANT(region) OBJECT
  /PLOT=NONE.
GET DATA /TYPE=CSV /FILE='indicator.csv'.
CORRESPONDENCE TABLE=ALL(45, 10) /DIMENSION=2 /PRINT=RPOINTS CPOINTS /PLOT=NONE.
