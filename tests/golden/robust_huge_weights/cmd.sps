* Case weights whose sum is beyond 1E+150 are refused: the statistics would
  be infinite or NaN (weighted sums of squares overflow even when the sum of
  the weights does not), and the dimension bound cast an infinite count;
  weights whose sum is beyond a 64-bit count but below that run, the bound
  then coming from the variables alone.
GET DATA /TYPE=CSV /FILE='data.csv'.
WEIGHT BY w.
CATPCA VARIABLES=a b c /ANALYSIS=a b c (LEVEL=ORDINAL) /PRINT=NONE /PLOT=NONE.
MULTIPLE CORRESPONDENCE VARIABLES=a b c /ANALYSIS=a b c /PRINT=NONE /PLOT=NONE.
WEIGHT BY u.
MULTIPLE CORRESPONDENCE VARIABLES=a b c /ANALYSIS=a b c /PRINT=OBJECT /PLOT=NONE.
WEIGHT BY v.
CATPCA VARIABLES=a b c /ANALYSIS=a b c (LEVEL=ORDINAL) /DIMENSION=3 /PRINT=NONE /PLOT=NONE.
