* Staff group by smoking, tallied from weighted cases.
GET DATA /TYPE=CSV /FILE='smoking.csv'.
VARIABLE LABELS staff 'Staff group' / smoke 'Smoking'.
VALUE LABELS staff 1 'Senior managers' 2 'Junior managers' 3 'Senior employees' 4 'Junior employees' 5 'Secretaries'
  / smoke 1 'None' 2 'Light' 3 'Medium' 4 'Heavy'.
WEIGHT BY count.
CORRESPONDENCE TABLE=staff(1,5) BY smoke(1,4)
  /DIMENSION=2
  /PRINT=TABLE RPROFILE CPROFILE RPOINTS CPOINTS RCONFIDE CCONFIDE PERMUTATION(1)
  /PLOT=BIPLOT RPOINTS(10)
  /OUTFILE=SCORES('scores.csv') VARIANCE('variance.csv').
