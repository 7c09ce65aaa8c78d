* Bad input of PRINCALS: numbered syntax messages, a variable without valid
  objects, too many dimensions, too few cases, MAXITER reached.
GET DATA /TYPE=CSV /FILE='data.csv'.
PRINCALS /DIMENSION=2.
PRINCALS VARIABLES=x v.
PRINCALS VARIABLES=x(0) v(2).
PRINCALS VARIABLES=x(3) v(2) /BOGUS.
PRINCALS VARIABLES=x(3) v(2) /ANALYSIS=x(CURVED) v.
PRINCALS VARIABLES=x(3) v(2) /ANALYSIS=x w(NUMERICAL).
PRINCALS VARIABLES=x(3) v(2) /ANALYSIS=x(SNOMINAL) x(ORDINAL).
PRINCALS VARIABLES=x(3) v(2) /MATRIX=OUT(*).
* Repeated subcommands and invalid values: the defaults are used; the
  analysis stops at MAXITER; w has values outside 1 to 3.
PRINCALS VARIABLES=x(3 v(2) w(3) /VARIABLES=x(3) /ANALYSIS=x(SNOMINAL) v(NUMERICAL) w(ORDINAL)
  /ANALYSIS=x /DIMENSION=0 /DIMENSION=2 /MAXITER=0 /MAXITER=3 /CONVERGENCE=0 /CONVERGENCE=.00001
  /NOBSERVATIONS=0 /NOBSERVATIONS=8 /PRINT=BOGUS /PRINT=HISTORY /PLOT=FREQUENCIES /PLOT=NONE.
* A variable without valid objects; too many dimensions; fewer than 3 cases.
PRINCALS VARIABLES=x(3) z(2) /PRINT=NONE /PLOT=NONE.
PRINCALS VARIABLES=x(3) v(2) /ANALYSIS=x v(NUMERICAL) /DIMENSION=3 /PRINT=NONE /PLOT=NONE.
PRINCALS VARIABLES=x(3) v(2) /NOBSERVATIONS=2.
* A variable whose valid objects all fall in one category: a warning, and
  the analysis runs with it constant.
PRINCALS VARIABLES=x(3) y(2) v(2) /PRINT=NONE /PLOT=NONE.
