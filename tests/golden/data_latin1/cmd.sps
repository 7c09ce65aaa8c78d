* Names and labels that are not valid UTF-8 (Latin-1 files): SAVE and OUTFILE
* write them with the invalid bytes replaced, and the files read back.
GET DATA /TYPE=CSV /FILE='plain.csv'.
VARIABLE LABELS a 'Année'.
SAVE OUTFILE='saved.csv'.
GET DATA /TYPE=CSV /FILE='latin1_header.csv'.
MULTIPLE CORRESPONDENCE VARIABLES=ALL /ANALYSIS=ALL /PLOT=NONE /OUTFILE=DISCRDAT('discr.csv').
GET DATA /TYPE=CSV /FILE='saved.csv'.
GET DATA /TYPE=CSV /FILE='discr.csv'.
