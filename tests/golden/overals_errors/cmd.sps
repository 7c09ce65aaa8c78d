* Bad input of OVERALS: the numbered syntax messages, the checks at the end
  of the command and the data checks. Each command names its fault.
GET DATA /TYPE=CSV /FILE='data.csv'.
* No VARIABLES; no ANALYSIS; no SETS.
OVERALS /DIMENSION=2.
OVERALS VARIABLES=x(3) w(3).
OVERALS VARIABLES=x(3) w(3) /ANALYSIS=x w(SNOMINAL).
* VARIABLES without a maximum; an unknown subcommand.
OVERALS VARIABLES=x w.
OVERALS VARIABLES=x(3) w(3) /ANALYSIS=x w(SNOMINAL) /SETS=2(1,1) /BOGUS.
* ANALYSIS faults: no level, a variable not on VARIABLES, a variable twice.
OVERALS VARIABLES=x(3) w(3) /ANALYSIS=x w /SETS=2(1,1).
OVERALS VARIABLES=x(3) w(3) /ANALYSIS=x v(SNOMINAL) /SETS=2(1,1).
OVERALS VARIABLES=x(3) w(3) /ANALYSIS=x(SNOMINAL) x(ORDINAL) /SETS=2(1,1).
* SETS faults: before ANALYSIS, not a number, too many sets, no parenthesis,
  a bad size, a wrong count, a wrong total.
OVERALS VARIABLES=x(3) w(3) /SETS=2(1,1) /ANALYSIS=x w(SNOMINAL).
OVERALS VARIABLES=x(3) w(3) /ANALYSIS=x w(SNOMINAL) /SETS=0(1,1).
OVERALS VARIABLES=x(3) w(3) /ANALYSIS=x w(SNOMINAL) /SETS=3(1,1,1).
OVERALS VARIABLES=x(3) w(3) /ANALYSIS=x w(SNOMINAL) /SETS=2 1,1.
OVERALS VARIABLES=x(3) w(3) /ANALYSIS=x w(SNOMINAL) /SETS=2(1,0).
OVERALS VARIABLES=x(3) w(3) /ANALYSIS=x w(SNOMINAL) /SETS=2(2).
OVERALS VARIABLES=x(3) w(3) /ANALYSIS=x w(SNOMINAL) /SETS=2(1,2).
* PLOT before ANALYSIS; MATRIX without a file.
OVERALS VARIABLES=x(3) w(3) /PLOT=OBJECT /ANALYSIS=x w(SNOMINAL) /SETS=2(1,1).
OVERALS VARIABLES=x(3) w(3) /ANALYSIS=x w(SNOMINAL) /SETS=2(1,1) /MATRIX=OUT(*).
* Repeated subcommands and invalid values: defaults are used and the
  analysis runs; the level BOGUS becomes ORDINAL; two sets of one single
  variable allow one dimension, so the plots are dropped; case 9 has no x
  and takes part in the second set only.
OVERALS VARIABLES=x(3) w(3) v(2) /ANALYSIS=x(BOGUS) w(SNOMINAL) /ANALYSIS=x(SNOMINAL) w(NUMERICAL)
  /SETS=2(1,1) /SETS=2(1,1) /DIMENSION=0 /DIMENSION=2 /MAXITERATIONS=1 /MAXITERATIONS=50
  /CONVERGENCE=0 /CONVERGENCE=.00001 /NOBSERVATIONS=0 /NOBSERVATIONS=20
  /PRINT=FREQUENCIES /PRINT=FREQUENCIES HISTORY BOGUS /PLOT=NONE /PLOT=OBJECT NDIMENSIONS(1,3)
  /SAVE /SAVE=ovs(1) /MATRIX=OUT('m.csv') /MATRIX=OUT('m.csv').
* A variable with all cases in one category; one with fewer than 3 cases
  (z is empty, so no case is in its set, and case 9, without x, is in no set).
OVERALS VARIABLES=x(3) y(3) /ANALYSIS=x y(MNOMINAL) /SETS=2(1,1).
OVERALS VARIABLES=x(3) z(2) /ANALYSIS=x z(MNOMINAL) /SETS=2(1,1).
* Fewer than 3 cases.
OVERALS VARIABLES=x(3) w(3) /ANALYSIS=x w(SNOMINAL) /SETS=2(1,1) /NOBSERVATIONS=2.
