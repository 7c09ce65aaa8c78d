* SAVE writes the working file with its dictionary; reading it back gives
  the same labels and missing values.
GET DATA /TYPE=CSV /FILE='data.csv'.
VARIABLE LABELS staff 'Staff group'.
VALUE LABELS staff 1 'Senior' 2 'Junior' 3 'Secretary' / name 'Ann' 'Anne'.
MISSING VALUES staff (9).
SAVE OUTFILE='saved.csv'.
GET DATA /TYPE=CSV /FILE='saved.csv'.
CORRESPONDENCE TABLE=staff(1,3) BY smoke(1,3) /DIMENSION=1 /PRINT=TABLE.
