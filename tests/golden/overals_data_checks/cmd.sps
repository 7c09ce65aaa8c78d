* OVERALS data checks. a has a value outside 1 to 3 (case 3) and b a value
  that is no whole number (case 4): each is said once and treated as
  missing, so cases 3 and 4 leave set 1; case 6 misses a value in every set.
GET DATA /TYPE=CSV /FILE='data.csv'.
* An identifying variable in a set of its own (18070); a constant variable
  stops the analysis (18067).
OVERALS VARIABLES=a(3) b(3) d(12) /ANALYSIS=a b(SNOMINAL) d(MNOMINAL) /SETS=2(2,1)
  /PRINT=NONE /PLOT=NONE.
OVERALS VARIABLES=a(3) e(2) c(4) /ANALYSIS=a e(NUMERICAL) c(MNOMINAL) /SETS=2(2,1) /PRINT=NONE /PLOT=NONE.
* Two multiple nominal variables whose categories may span the scores of
  the five objects of their set (18069).
OVERALS VARIABLES=a(3) c(4) h(2) /ANALYSIS=a(NUMERICAL) c h(MNOMINAL) /SETS=2(1,2)
  /NOBSERVATIONS=6 /DIMENSION=1 /PRINT=NONE /PLOT=NONE.
* Five of six objects take part in a set, and three sets of multiple
  nominal variables would allow six dimensions (18085).
OVERALS VARIABLES=a(3) c(4) h(2) /ANALYSIS=a c h(MNOMINAL) /SETS=3(1,1,1)
  /NOBSERVATIONS=6 /DIMENSION=5 /PRINT=NONE /PLOT=NONE.
* Fewer than 3 cases.
OVERALS VARIABLES=a(3) c(4) /ANALYSIS=a c(MNOMINAL) /SETS=2(1,1) /NOBSERVATIONS=2.
* SAVE asks for more dimensions than there are (18015); the transformation
  plots of a and c.
OVERALS VARIABLES=a(3) c(4) h(2) /ANALYSIS=a(ORDINAL) c(MNOMINAL) h(NUMERICAL) /SETS=3(1,1,1)
  /PRINT=NONE /PLOT=TRANS(a c) /SAVE=tr(5).
* A split file: the analysis covers every case and SAVE is refused (18028).
SPLIT FILE BY g.
OVERALS VARIABLES=a(3) c(4) /ANALYSIS=a c(MNOMINAL) /SETS=2(1,1) /PRINT=NONE /PLOT=NONE /SAVE=sp(1).
