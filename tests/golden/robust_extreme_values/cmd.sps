* Values at the ends of the double range: their sums overflow, so the
  grouping methods standardize them on a smaller scale (the codes do not
  depend on it); before, every code was NaN and the data pass overran;
  the codes of d by multiplying are 1, 16 and 30 (worked exactly).
GET DATA /TYPE=CSV /FILE='data.csv'.
CATPCA VARIABLES=a b c d /ANALYSIS=a b c d (LEVEL=ORDINAL)
  /DISCRETIZATION=d(MULTIPLYING) /PRINT=DESCRIP(d) /PLOT=NONE.
CATPCA VARIABLES=a b c d /ANALYSIS=a b c d (LEVEL=ORDINAL)
  /DISCRETIZATION=d(GROUPING NCAT=3) /PRINT=DESCRIP(d) /PLOT=NONE.
CATPCA VARIABLES=a b c d /ANALYSIS=a b c d (LEVEL=ORDINAL)
  /DISCRETIZATION=d(GROUPING EQINTV=1e300) /PRINT=DESCRIP(d) /PLOT=NONE.
