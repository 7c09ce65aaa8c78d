* A command whose period was forgotten runs into the next one: the report it
* gets is followed by a note naming the command found inside it.
GET DATA /TYPE=CSV /FILE='d.csv'.
CATPCA VARIABLES = a b c /ANALYSIS = a b c
CATPCA VARIABLES = a b c /ANALYSIS = a b c /PRINT = NONE /PLOT = NONE.
CATPCA VARIABLES = a b c /ANALYSIS = a b
MULTIPLE CORRESPONDENCE VARIABLES = a b c.
VARIABLE LABELS a 'First'
CATREG VARIABLES = a b c /ANALYSIS = a WITH b c.
CORRESPONDENCE TABLE = a(1,3) BY b(1,3) /DIMENSION = 2
HOMALS VARIABLES = a(3) b(3) /ANALYSIS = a b.
* With the periods in place the same commands run.
CATPCA VARIABLES = a b c /ANALYSIS = a b c (NOMI) /PRINT = NONE /PLOT = NONE.
* A host command that lost its period.
GET DATA /TYPE=CSV /FILE='d.csv'
CATPCA VARIABLES = a b c /ANALYSIS = a b c.
