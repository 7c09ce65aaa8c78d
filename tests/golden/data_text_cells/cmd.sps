* NA for missing: q1 stays numeric, with a note saying how many cells were NA.
GET DATA /TYPE=CSV /FILE='na.csv'.
MISSING VALUES q2 TO q5 (9).
CATPCA VARIABLES=q1 q2 q3 /ANALYSIS=q1 q2 q3 (LEVEL=ORDINAL) /DIMENSION=2 /PRINT=QUANT(q1) /PLOT=NONE.
* n/a reads as missing too, but "four" makes q2 a string (a warning names it),
* and MISSING VALUES names q2 and says it changed nothing.
GET DATA /TYPE=CSV /FILE='text.csv'.
MISSING VALUES q1 TO q5 (9).
MISSING VALUES q1 q3 TO q5 (9).
CATPCA VARIABLES=q1 q3 q4 /ANALYSIS=q1 q3 q4 (LEVEL=ORDINAL) /DIMENSION=2 /PRINT=VAF /PLOT=NONE.
