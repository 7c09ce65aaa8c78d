* Case weights of 2.5 and 1.25 give a table of non-integer counts: every count
  is written with the two decimals that 1.25 needs, the whole table alike
  (row 1, column 1: 2.5 + 1 = 3.50; total 10.25).
GET DATA /TYPE=CSV /FILE='data.csv'.
WEIGHT BY w.
CORRESPONDENCE TABLE=r(1,3) BY c(1,2) /DIMENSION=1 /PRINT=TABLE /PLOT=NONE.
