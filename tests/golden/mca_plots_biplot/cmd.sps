* MULTIPLE CORRESPONDENCE biplot of objects and category centroids, and
* residual plots per dimension.
GET DATA /TYPE=CSV /FILE='data.csv'.
MULTIPLE CORRESPONDENCE VARIABLES=region transport housing
  /ANALYSIS=region transport housing
  /DIMENSION=2
  /CRITITER=.0000000001
  /MAXITER=1000
  /PRINT=DISCRIM OBJECT
  /PLOT=BIPLOT(region housing) RESID(transport (1)).
