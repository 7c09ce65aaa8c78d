* Bad input of HOMALS: every numbered syntax message, the checks after the
  last subcommand and the data checks. Each command names its fault.
GET DATA /TYPE=CSV /FILE='data.csv'.
* No VARIABLES subcommand.
HOMALS /DIMENSION=2.
* A list without its maximum; a maximum that is no whole number (x then
  has no categories); one too large (lowered to the limit).
HOMALS VARIABLES=x y.
HOMALS VARIABLES=x(0) v(2) /PRINT=NONE /PLOT=NONE.
HOMALS VARIABLES=x(1.5) v(2) /PRINT=NONE /PLOT=NONE.
HOMALS VARIABLES=x(100000) v(2) /PRINT=NONE /PLOT=NONE.
* An unknown subcommand.
HOMALS VARIABLES=x(3) v(2) /BOGUS.
* ANALYSIS naming a variable that is not on VARIABLES.
HOMALS VARIABLES=x(3) v(2) /ANALYSIS=x w.
* Repeated subcommands and invalid values: the defaults are used, and the
  analysis runs (8 cases of which NOBSERVATIONS asks for more).
HOMALS VARIABLES=x(3 v(2) /VARIABLES=w(3) /ANALYSIS=x v /ANALYSIS=x v
  /DIMENSION=0 /DIMENSION=1.5 /MAXITERATIONS=1 /MAXITERATIONS=2 /CONVERGENCE=0 /CONVERGENCE=-1
  /NOBSERVATIONS=0 /NOBSERVATIONS=20
  /PRINT=FREQUENCIES BOGUS /PRINT=NONE
  /PLOT=NONE /PLOT=MAXIMUM OBJECT(5) DISCRIMINATION(30) QUANTIFICATIONS(x)(abc)
  /SAVE=sc(3) /SAVE=sc(3)
  /MATRIX=OUT('m1.csv') /MATRIX=OUT 'm2.csv').
* PLOT variable lists and NDIM faults.
HOMALS VARIABLES=x(3) v(2) /ANALYSIS=x v /PRINT=NONE
  /PLOT=OBJECT(x nosuch) /PLOT=QUANTIFICATIONS(w) /PLOT=NDIM 1,2) /PLOT=NDIM(0,2) /PLOT=NDIM(1,abc)
  /PLOT=NDIM(1,2 /PLOT=NDIM(2,1).
* MATRIX without OUT; an invalid file specification.
HOMALS VARIABLES=x(3) v(2) /MATRIX=IN('a.csv').
HOMALS VARIABLES=x(3) v(2) /PRINT=NONE /PLOT=NONE /MATRIX=OUT(*).
* Too many dimensions for the data; with two variables, more than the
  smaller allows.
HOMALS VARIABLES=x(3) v(2) /DIMENSION=4 /PRINT=NONE /PLOT=NONE.
HOMALS VARIABLES=x(3) v(2) w(3) /DIMENSION=2 /PRINT=NONE /PLOT=NONE.
* A variable without valid cases; one whose cases all fall in one category
  (and the values of w that are no category 1 to 3).
HOMALS VARIABLES=x(3) z(2) /PRINT=NONE /PLOT=NONE.
HOMALS VARIABLES=x(3) y(2) w(3) /PRINT=NONE /PLOT=NONE.
* One dimension with plots; a last NDIM dimension above the solution's.
HOMALS VARIABLES=x(3) v(2) w(3) /DIMENSION=1 /PRINT=NONE.
HOMALS VARIABLES=x(3) v(2) w(3) /DIMENSION=2 /PRINT=NONE /PLOT=DISCRIMINATION NDIM(2,4).
* Fewer than 3 cases.
HOMALS VARIABLES=x(3) v(2) /NOBSERVATIONS=2.
