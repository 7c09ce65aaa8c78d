* Configuration scores whose sums of squares overflow are refused, as a
  start and as fixed scores (the fixed analysis used to report NaN loadings
  and zero eigenvalues as a success).
GET DATA /TYPE=CSV /FILE='data.csv'.
CATPCA VARIABLES=a b c /ANALYSIS=a b c (LEVEL=ORDINAL) /CONFIGURATION=FIXED('conf_huge.csv') /PRINT=LOADING /PLOT=NONE.
CATPCA VARIABLES=a b c /ANALYSIS=a b c (LEVEL=ORDINAL) /CONFIGURATION=INITIAL('conf_huge.csv') /PRINT=LOADING /PLOT=NONE.
MULTIPLE CORRESPONDENCE VARIABLES=a b c /ANALYSIS=a b c /CONFIGURATION=FIXED('conf_huge.csv') /PRINT=DISCRIM /PLOT=NONE.
