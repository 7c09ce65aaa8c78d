* Case weights whose sum overflows are refused (the statistics would all be
  infinite or NaN, and the dimension bound cast an infinite count); weights
  whose sum is finite but beyond a 64-bit count run, the bound then coming
  from the variables alone.
GET DATA /TYPE=CSV /FILE='data.csv'.
WEIGHT BY w.
CATPCA VARIABLES=a b c /ANALYSIS=a b c (LEVEL=ORDINAL) /PRINT=NONE /PLOT=NONE.
MULTIPLE CORRESPONDENCE VARIABLES=a b c /ANALYSIS=a b c /PRINT=NONE /PLOT=NONE.
WEIGHT BY v.
CATPCA VARIABLES=a b c /ANALYSIS=a b c (LEVEL=ORDINAL) /DIMENSION=3 /PRINT=NONE /PLOT=NONE.
