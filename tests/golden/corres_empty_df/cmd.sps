* The smoking table with two empty rows (6, 7) and two empty columns (5, 6):
* empty points stay in the tables but add no degrees of freedom.
GET DATA /TYPE=CSV /FILE='smoking.csv'.
WEIGHT BY count.
CORRESPONDENCE TABLE=staff(1,7) BY smoke(1,6)
  /DIMENSION=2
  /PRINT=TABLE RPOINTS CPOINTS
  /PLOT=NONE.
