* An EQINTV width so small that the interval numbers would not be finite
  (or not fit a count) is refused instead of giving infinite categories;
  a width that fits runs.
GET DATA /TYPE=CSV /FILE='data.csv'.
CATPCA VARIABLES=a b c /ANALYSIS=a b c (LEVEL=ORDINAL)
  /DISCRETIZATION=a(GROUPING EQINTV=1e-310) /PRINT=NONE /PLOT=NONE.
CATPCA VARIABLES=a b c /ANALYSIS=a b c (LEVEL=ORDINAL)
  /DISCRETIZATION=a(GROUPING EQINTV=1e-9) b c(GROUPING EQINTV=1e-12) /PRINT=NONE /PLOT=NONE.
CATPCA VARIABLES=a b c /ANALYSIS=a b c (LEVEL=ORDINAL)
  /DISCRETIZATION=a(GROUPING EQINTV=0.5) /PRINT=DESCRIP(a) /PLOT=NONE.
