* One NaN cell: x stays numeric (the cell is system-missing), so ORDINAL
* orders its categories as numbers, 1 < 2 < ... < 10, and NaN is no category.
GET DATA /TYPE=CSV /FILE='data.csv'.
CATPCA VARIABLES=x y z /ANALYSIS=x y z (LEVEL=ORDINAL) /PRINT=QUANT(x) /PLOT=NONE.
