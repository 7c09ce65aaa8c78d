* Homogeneity analysis is multiple correspondence analysis: the eigenvalues
  equal the principal inertias of CORRESPONDENCE on the indicator matrix
  (indicator.csv, data.csv as 0/1 columns) and MULTIPLE CORRESPONDENCE's
  inertias; the same HOMALS command run twice gives the same output.
GET DATA /TYPE=CSV /FILE='data.csv'.
HOMALS VARIABLES=region(3) transport(4) housing(3)
  /DIMENSION=2 /CONVERGE=.0000000001 /MAXITERATIONS=1000
  /PRINT=EIGENVALUES DISCRIMINATION OBJECT /PLOT=NONE.
HOMALS VARIABLES=region(3) transport(4) housing(3)
  /DIMENSION=2 /CONVERGE=.0000000001 /MAXITERATIONS=1000
  /PRINT=EIGENVALUES DISCRIMINATION OBJECT /PLOT=NONE.
MULTIPLE CORRESPONDENCE VARIABLES=region transport housing
  /ANALYSIS=region transport housing
  /DIMENSION=2 /CRITITER=.0000000001 /MAXITER=1000 /PRINT=DISCRIM /PLOT=NONE.
GET DATA /TYPE=CSV /FILE='indicator.csv'.
CORRESPONDENCE TABLE=ALL(45, 10) /DIMENSION=2 /PRINT=NONE /PLOT=NONE.
