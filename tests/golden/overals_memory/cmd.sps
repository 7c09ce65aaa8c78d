* Workspace shortfalls of OVERALS (6000 cases). At 700 KB the analysis fits
  (the listing says how much it holds) but the values of its matrix file do
  not: the listing says how much more they need and the file is not
  written. With room to spare the file is written.
GET DATA /TYPE=CSV /FILE='data.csv'.
SET WORKSPACE=700.
OVERALS VARIABLES=a(4) b(4) c(3) /ANALYSIS=a b(ORDINAL) c(MNOMINAL) /SETS=2(2,1) /PRINT=NONE /PLOT=NONE
  /MATRIX=OUT('never.csv').
SET WORKSPACE=800.
OVERALS VARIABLES=a(4) b(4) c(3) /ANALYSIS=a b(ORDINAL) c(MNOMINAL) /SETS=2(2,1) /PRINT=NONE /PLOT=NONE
  /MATRIX=OUT('written.csv').
* The entry's arrays for a file of 60 variables do not fit in 1 KB: the
  listing says how much the procedure requires.
GET DATA /TYPE=CSV /FILE='../homals_memory/data.csv'.
SET WORKSPACE=1.
OVERALS VARIABLES=v1(3) v2(3) /ANALYSIS=v1 v2(MNOMINAL) /SETS=2(1,1).
