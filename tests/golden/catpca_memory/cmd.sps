* A workspace that holds the data preparation but not the analysis arrays:
  the analysis stops with the memory error and releases everything.
SET WORKSPACE=320.
GET DATA /TYPE=CSV /FILE='data.csv'.
CATPCA VARIABLES=a b c /ANALYSIS=a b c (LEVEL=ORDINAL) /PRINT=NONE /PLOT=NONE.
