* NDIM pairs, the scatterplot matrix without NDIM, residuals under other
* normalizations, and the biplot refused under independent normalization.
GET DATA /TYPE=CSV /FILE='data.csv'.
CATPCA VARIABLES=region income trust age
  /ANALYSIS=region (LEVEL=MNOMINAL) income trust age (LEVEL=ORDINAL)
  /DIMENSION=3
  /NORMALIZATION=OPRINCIPAL
  /CRITITER=.0000000001
  /MAXITER=1000
  /PRINT=VAF LOADING OBJECT QUANT
  /PLOT=BIPLOT(income trust age) NDIM(1,3) RESID(trust).
CATPCA VARIABLES=region income trust age
  /ANALYSIS=region (LEVEL=MNOMINAL) income trust age (LEVEL=ORDINAL)
  /DIMENSION=3
  /NORMALIZATION=INDEPENDENT
  /CRITITER=.0000000001
  /MAXITER=1000
  /PRINT=VAF LOADING OBJECT QUANT
  /PLOT=OBJECT BIPLOT RESID(age).
CATPCA VARIABLES=region income trust age
  /ANALYSIS=region (LEVEL=MNOMINAL) income trust age (LEVEL=ORDINAL)
  /DIMENSION=1
  /PRINT=NONE
  /PLOT=BIPLOT TRIPLOT.
CATPCA VARIABLES=region income trust age
  /ANALYSIS=region income (LEVEL=MNOMINAL) trust age (LEVEL=ORDINAL)
  /DIMENSION=2
  /PRINT=NONE
  /PLOT=BIPLOT(region trust) TRIPLOT(trust age) PROJCENT(CENTROID(region) income trust).
