* CORRESPONDENCE reports name the token, value or variable they are about.
GET DATA /TYPE=CSV /FILE='smoking.csv'.
CORRESPONDENCE TABLE = staff BY smoke(1,4).
CORRESPONDENCE TABLE = staff(1,5) smoke(1,4).
CORRESPONDENCE TABLE = staf(1,5) BY smoke(1,4).
CORRESPONDENCE TABLE = staff(1,5) BY smoke(2,2).
CORRESPONDENCE TABLE = staff(1,5) BY smoke(1,4) /MEASURE = EUKLID /PRINT = TABEL /PLOT = BYPLOT RPOINTS(80) /DIMENSION = 1.5 /SUPPLEMENTARY = ROW(9).
CORRESPONDENCE TABLE = staff(1,5) BY smoke(1,4) /SUPPLEMENTARY = staff(7) /EQUAL = smoke(1 2.5) /PLOT = NDIM(3,2).
CORRESPONDENCE TABLE = staff(1,5) BY smoke(1,4) /SUPPLEMENTARY = rows(2).
* The working data file as OUTFILE: refused once, the parenthesis after it is in place.
CORRESPONDENCE TABLE = staff(1,5) BY smoke(1,4) /OUTFILE = SCORES(*) /SUPPLEMENTARY = COLUMN(0).
GET DATA /TYPE=CSV /FILE='names.csv'.
CORRESPONDENCE TABLE = region BY staff(1,3).
