* Three sets with every scaling level, missing values (empty cells, the
  user-missing 9, c's value 5 outside 1 to 3) and a filtered case: every
  table, SAVE of the object scores and the matrix file, which check.py
  compares with the printed tables and the data.
GET DATA /TYPE=CSV /FILE='data.csv'.
MISSING VALUES b (9).
FILTER BY keep.
OVERALS VARIABLES=a(3) b(4) c(3) id(30)
  /ANALYSIS=a(ORDINAL) b(SNOMINAL) c(MNOMINAL) id(NUMERICAL)
  /SETS=3(1, 2, 1) /DIMENSION=2 /PRINT=ALL /PLOT=OBJECT LOADINGS CENTROIDS
  /SAVE=ovs /MATRIX=OUT('ovm.csv').
FILTER OFF.
SAVE OUTFILE='saved.csv'.
