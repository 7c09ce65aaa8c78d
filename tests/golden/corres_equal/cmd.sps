* Senior and junior managers made equal, against the table with the two rows summed.
GET DATA /TYPE=CSV /FILE='smoking.csv'.
VARIABLE LABELS staff 'Staff group' / smoke 'Smoking'.
VALUE LABELS staff 1 'Senior managers' 2 'Junior managers' 3 'Senior employees' 4 'Junior employees' 5 'Secretaries'
  / smoke 1 'None' 2 'Light' 3 'Medium' 4 'Heavy'.
WEIGHT BY count.
CORRESPONDENCE TABLE=staff(1,5) BY smoke(1,4) /EQUAL=ROW(1 2)
  /PRINT=RPOINTS /PLOT=NONE.
GET DATA /TYPE=CSV /FILE='merged.csv'.
CORRESPONDENCE TABLE=ALL(4,4) /PRINT=RPOINTS /PLOT=NONE.
