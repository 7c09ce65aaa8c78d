* Biplots, triplot, residual plots and projected centroids of one solution.
GET DATA /TYPE=CSV /FILE='data.csv'.
CATPCA VARIABLES=region income trust age
  /ANALYSIS=region (LEVEL=MNOMINAL) income trust age (LEVEL=ORDINAL)
  /DIMENSION=2
  /CRITITER=.0000000001
  /MAXITER=1000
  /PRINT=VAF LOADING QUANT OBJECT
  /PLOT=BIPLOT(LOADING(income trust age) CENTROID(region)) (8)
        TRIPLOT RESID(income region (2)) PROJCENT(CENTROID(region) income trust age).
