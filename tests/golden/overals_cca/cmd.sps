* Two sets of numerical variables: nonlinear canonical correlation analysis
  is linear canonical correlation analysis, and each dimension's eigenvalue
  is (1 + rho) / 2 with rho the canonical correlation of the two sets
  (computed by check.py from data.csv).
GET DATA /TYPE=CSV /FILE='data.csv'.
OVERALS VARIABLES=u1(5) u2(4) v1(5) v2(4)
  /ANALYSIS=u1 u2(NUMERICAL) v1 v2(NUMERICAL)
  /SETS=2(2, 2) /DIMENSION=2 /CONVERGENCE=.0000000001 /MAXITERATIONS=5000
  /PRINT=HISTORY WEIGHTS LOADINGS OBJECT /PLOT=NONE.
