* Weighted case processing summary: supplementary objects (cases 1 to 4) and
* an object missing on every variable (case 7) count with their case weights.
GET DATA /TYPE=CSV /FILE='data.csv'.
MISSING VALUES q1 TO q3 (9).
WEIGHT BY wt.
CATPCA VARIABLES=q1 q2 q3
  /ANALYSIS=q1 q2 q3 (LEVEL=ORDINAL)
  /SUPPLEMENTARY=OBJECT(1 THRU 4)
  /DIMENSION=1
  /PRINT=NONE
  /PLOT=NONE.
