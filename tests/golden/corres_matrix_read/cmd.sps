* A matrix read as the table: blank and user-missing cells count 0 with one
* warning, rows past the table are not read, ROWCAT_ values label the rows.
GET DATA /TYPE=CSV /FILE='counts.csv'.
MISSING VALUES c2 (99).
CORRESPONDENCE TABLE=ALL(3,3) /DIMENSION=1 /PRINT=TABLE /PLOT=NONE.
* A repeated ROWCAT_ value ends the reading at its row: the blank cell after
* it is never read, so only the error is reported.
GET DATA /TYPE=CSV /FILE='dup.csv'.
CORRESPONDENCE TABLE=ALL(3,2) /PRINT=TABLE /PLOT=NONE.
