* Every dimension the data allow (3 + 3 + 2 categories less one per
  variable: 5). The iterations then span the whole space at once and the
  final step alone orders the dimensions, so each discrimination measure
  must equal MULTIPLE CORRESPONDENCE's in its own dimension.
GET DATA /TYPE=CSV /FILE='data.csv'.
HOMALS VARIABLES=a b(3) c(2) /DIMENSION=5 /CONVERGE=.0000000001 /PRINT=EIGENVALUES DISCRIMINATION OBJECT
  /PLOT=NONE.
MULTIPLE CORRESPONDENCE VARIABLES=a b c /ANALYSIS=a b c
  /DIMENSION=5 /CRITITER=.0000000001 /MAXITER=1000 /PRINT=DISCRIM /PLOT=NONE.
