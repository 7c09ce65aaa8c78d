* Labels, user-missing values and case weights as a procedure sees them.
GET DATA /TYPE=CSV /FILE='data.csv'.
VARIABLE LABELS staff 'Staff group' / smoke 'Smoking'.
VALUE LABELS staff 1 'Senior' 2 'Junior' 3 'Secretary'
  / smoke 1 'None' 2 'Light' 3 'Heavy'.
MISSING VALUES smoke (9) staff (LO THRU 0).
WEIGHT BY w.
CORRESPONDENCE TABLE=staff(1,3) BY smoke(1,3) /DIMENSION=1 /PRINT=TABLE.
