* Secretaries as a supplementary row, and the 4 x 4 table without them.
GET DATA /TYPE=CSV /FILE='smoking.csv'.
VARIABLE LABELS staff 'Staff group' / smoke 'Smoking'.
VALUE LABELS staff 1 'Senior managers' 2 'Junior managers' 3 'Senior employees' 4 'Junior employees' 5 'Secretaries'
  / smoke 1 'None' 2 'Light' 3 'Medium' 4 'Heavy'.
WEIGHT BY count.
CORRESPONDENCE TABLE=staff(1,5) BY smoke(1,4) /SUPPLEMENTARY=staff(5)
  /PRINT=RPOINTS CPOINTS /PLOT=NONE.
CORRESPONDENCE TABLE=staff(1,4) BY smoke(1,4) /PRINT=RPOINTS CPOINTS /PLOT=NONE.
