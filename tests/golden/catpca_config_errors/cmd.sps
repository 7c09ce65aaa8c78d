* Every problem of a configuration file, once. Each command reads a file
  that is wrong in one way; the last two are warnings and the analysis runs.
GET DATA /TYPE=CSV /FILE='data.csv'.
CATPCA VARIABLES=a b c /ANALYSIS=a b c /CONFIGURATION=FIXED('conf_1col.csv') /PRINT=NONE /PLOT=NONE.
CATPCA VARIABLES=a b c /ANALYSIS=a b c /CONFIGURATION=FIXED('conf_str.csv') /PRINT=NONE /PLOT=NONE.
CATPCA VARIABLES=a b c /ANALYSIS=a b c /CONFIGURATION=INITIAL('conf_partial.csv') /PRINT=NONE /PLOT=NONE.
CATPCA VARIABLES=a b c /ANALYSIS=a b c /CONFIGURATION=FIXED('conf_short.csv') /PRINT=NONE /PLOT=NONE.
MULTIPLE CORRESPONDENCE VARIABLES=a b c /ANALYSIS=a b c /CONFIGURATION=FIXED('conf_long.csv') /PRINT=NONE /PLOT=NONE.
* A constant column cannot stand for standardized object scores.
CATPCA VARIABLES=a b c /ANALYSIS=a b c /CONFIGURATION=FIXED('conf_const.csv') /PRINT=NONE /PLOT=NONE.
* More variables than dimensions: the first two are the fixed scores.
CATPCA VARIABLES=a b c /ANALYSIS=a b c (LEVEL=NUMERICAL) /CONFIGURATION=FIXED('conf_3col.csv') /PRINT=LOADING /PLOT=NONE.
* A case with every value missing: object 3 is left out of the analysis.
CATPCA VARIABLES=a b c /ANALYSIS=a b c (LEVEL=NUMERICAL) /CONFIGURATION=FIXED('conf_sysmis.csv') /PRINT=OBJECT QUANT(a) /PLOT=NONE.
