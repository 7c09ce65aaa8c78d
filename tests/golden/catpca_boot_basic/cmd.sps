* Bootstrap of a small ordinal analysis (balanced, Procrustes), then the
  same analysis without resampling, whose values the bootstrap tables must
  show, then an unbalanced, reflected bootstrap with 90% intervals.
SET SEED=20240.
GET DATA /TYPE=CSV /FILE='data.csv'.
CATPCA VARIABLES=v1 v2 v3 v4 v5
  /ANALYSIS=v1 v2 v3 v4 v5 (LEVEL=ORDINAL)
  /PRINT=VAF LOADING QUANT(v1) OBJECT
  /PLOT=LOADING OBJECT CATEGORY(v2)
  /RESAMPLE=BOOTSTRAP(50).
CATPCA VARIABLES=v1 v2 v3 v4 v5
  /ANALYSIS=v1 v2 v3 v4 v5 (LEVEL=ORDINAL)
  /PRINT=VAF LOADING QUANT(v1) OBJECT
  /PLOT=NONE.
CATPCA VARIABLES=v1 v2 v3 v4 v5
  /ANALYSIS=v1 v2 v3 v4 v5 (LEVEL=ORDINAL)
  /PRINT=LOADING
  /PLOT=NONE
  /RESAMPLE=BOOTSTRAP(UNBALANCED REFLECT 50, 90).
