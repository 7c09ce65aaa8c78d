* Object scores: a supplementary object with a missing value (case 2), an
  object missing on every analysis variable (case 6: excluded, no scores),
  object weights, and labels from a string variable and from a discretized
  variable (ranges "low - high").
GET DATA /TYPE=CSV /FILE='data.csv'.
WEIGHT BY wt.
CATPCA VARIABLES=v1 v2 v3 name age
  /ANALYSIS=v1 v2 v3 (LEVEL=ORDINAL)
  /DISCRETIZATION=age(GROUPING NCAT=3)
  /SUPPLEMENTARY=OBJECT(2)
  /PRINT=OBJECT(name)
  /PLOT=NONE.
CATPCA VARIABLES=v1 v2 v3 name age
  /ANALYSIS=v1 v2 v3 (LEVEL=ORDINAL)
  /DISCRETIZATION=age(GROUPING NCAT=3)
  /SUPPLEMENTARY=OBJECT(2)
  /PRINT=OBJECT(age)
  /PLOT=NONE.
WEIGHT OFF.
MULTIPLE CORRESPONDENCE VARIABLES=v1 v2 v3
  /ANALYSIS=v1 v2 v3
  /SUPPLEMENTARY=OBJECT(2)
  /PRINT=OBJECT
  /PLOT=NONE.
