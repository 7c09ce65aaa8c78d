* Missing values (empty cells, the user-missing 9, the value 5 outside c's
  1 to 3), a filtered case, three dimensions: SAVE puts the object scores of
  two dimensions into the working file, MATRIX OUT writes the
  quantifications; a second run finds the root's names taken. check.py reads
  the saved working file and the matrix file.
GET DATA /TYPE=CSV /FILE='data.csv'.
MISSING VALUES b (9).
VALUE LABELS a 1 'low' 2 'middle' 3 'high'.
FILTER BY keep.
HOMALS VARIABLES=a(3) b(4) c(3) /DIMENSION=3
  /PRINT=FREQUENCIES HISTORY EIGENVALUES QUANTIFICATIONS OBJECT DISCRIMINATION
  /PLOT=OBJECT(a)(6) QUANTIFICATIONS(b) DISCRIMINATION NDIM(1,3)
  /SAVE=hscore(2) /MATRIX=OUT('quant.csv').
HOMALS VARIABLES=a(3) b(4) c(3) /DIMENSION=3 /PRINT=NONE
  /PLOT=QUANTIFICATIONS NDIM(2,3) /SAVE=hscore.
FILTER OFF.
SAVE OUTFILE='saved.csv'.
