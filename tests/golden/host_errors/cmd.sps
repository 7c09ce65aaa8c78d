* Each faulty host command reports one clear error and changes nothing.
VARIABLE LABELS id 'Case'.
GET DATA /TYPE=CSV /FILE='no_such_file.csv'.
GET DATA /TYPE=CSV /FILE='ragged.csv'.
GET DATA /TYPE=XLSX /FILE='data.csv'.
GET DATA /TYPE=CSV /FILE='data.csv'.
VARIABLE LABELS nosuch 'Label'.
VARIABLE LABELS id Case.
VALUE LABELS grp 'x' 'Group x'.
VALUE LABELS grp name 1 'one'.
MISSING VALUES score (5 THRU 1).
MISSING VALUES score (1, 2, 3, 4).
MISSING VALUES score (LO THRU 0, 7, 8).
MISSING VALUES name (1).
MISSING VALUES score (1.
WEIGHT BY name.
WEIGHT grp.
FILTER BY nosuch.
SPLIT FILE BY grp nosuch.
SET SEED=0.
SET WORKSPACE=-5.
SET COLOUR=RED.
SAVE OUTFILE='missing_dir/out.csv'.
TITLE no quotes.
