* Workspace shortfalls of PRINCALS (6000 cases): at 50 KB the data pass's
  arrays do not fit, at 100 KB the analysis arrays do not; each time the
  listing says how many bytes PRINCALS needs. At 300 KB it runs.
GET DATA /TYPE=CSV /FILE='data.csv'.
SET WORKSPACE=50.
PRINCALS VARIABLES=a(4) b(4) c(3) /ANALYSIS=a b(ORDINAL) c(MNOMINAL) /PRINT=NONE /PLOT=NONE.
SET WORKSPACE=100.
PRINCALS VARIABLES=a(4) b(4) c(3) /ANALYSIS=a b(ORDINAL) c(MNOMINAL) /PRINT=NONE /PLOT=NONE.
SET WORKSPACE=300.
PRINCALS VARIABLES=a(4) b(4) c(3) /ANALYSIS=a b(ORDINAL) c(MNOMINAL) /PRINT=NONE /PLOT=NONE.
* The entry's arrays for a file of 60 variables do not fit in 1 KB: the
  listing says how much the procedure requires.
GET DATA /TYPE=CSV /FILE='../homals_memory/data.csv'.
SET WORKSPACE=1.
PRINCALS VARIABLES=v1(3) v2(3) v3(3).
