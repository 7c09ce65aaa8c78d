* Bootstrap of a multiple correspondence analysis, then the same analysis
  without resampling.
SET SEED=777.
GET DATA /TYPE=CSV /FILE='data.csv'.
MULTIPLE CORRESPONDENCE VARIABLES=region transport housing
  /ANALYSIS=region transport housing
  /PRINT=DISCRIM QUANT OBJECT
  /PLOT=DISCRIM CATEGORY(region) OBJECT
  /RESAMPLE=BOOTSTRAP(50).
MULTIPLE CORRESPONDENCE VARIABLES=region transport housing
  /ANALYSIS=region transport housing
  /PRINT=DISCRIM QUANT OBJECT
  /PLOT=NONE.
