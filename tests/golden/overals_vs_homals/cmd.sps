* Every variable multiple nominal and alone in its set: nonlinear canonical
  correlation analysis is homogeneity analysis, and OVERALS's eigenvalues are
  HOMALS's (and the largest eigenvalues of (1/m) sum_j P_j, computed by
  check.py from data.csv).
GET DATA /TYPE=CSV /FILE='data.csv'.
OVERALS VARIABLES=a b(3) c(2) /ANALYSIS=a b c(MNOMINAL) /SETS=3(1 1 1)
  /DIMENSION=2 /CONVERGENCE=.0000000001 /MAXITERATIONS=5000 /PRINT=FREQUENCIES /PLOT=NONE.
HOMALS VARIABLES=a b(3) c(2) /DIMENSION=2 /CONVERGENCE=.0000000001 /PRINT=EIGENVALUES /PLOT=NONE.
