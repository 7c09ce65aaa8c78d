* PRINCALS checked against facts outside its code: with every variable
  multiple nominal it is homogeneity analysis (its eigenvalues are HOMALS's);
  with every variable numerical it is linear principal components analysis
  (its eigenvalues are those of the correlation matrix, divided by the number
  of variables; check.py computes them from data.csv).
GET DATA /TYPE=CSV /FILE='data.csv'.
PRINCALS VARIABLES=region(3) transport(4) housing(3) /ANALYSIS=region transport housing(MNOMINAL)
  /CONVERGENCE=.0000000001 /MAXITER=5000 /PRINT=NONE /PLOT=NONE.
HOMALS VARIABLES=region(3) transport(4) housing(3) /CONVERGENCE=.0000000001 /PRINT=EIGENVALUES /PLOT=NONE.
PRINCALS VARIABLES=region(3) transport(4) housing(3) /ANALYSIS=region transport housing(NUMERICAL)
  /CONVERGENCE=.0000000001 /MAXITER=5000 /PRINT=LOADINGS CORRELATIONS /PLOT=NONE.
