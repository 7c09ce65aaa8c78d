* The whole listing of one table read from cases, run twice (the two
  listings must be identical): cases outside the ranges (staff 6, smoke 0)
  and missing values are left out, staff 3.7 is cut to 3 with a warning,
  and check.py recomputes the table, the profiles, the contributions, the
  variances and the permutations from data.csv and the two matrix files.
GET DATA /TYPE=CSV /FILE='data.csv'.
VARIABLE LABELS staff 'Staff group' / smoke 'Smoking'.
VALUE LABELS staff 1 'Senior managers' 2 'Junior managers' 3 'Senior employees'
    4 'Junior employees' 5 'Secretaries'
  / smoke 1 'None' 2 'Light' 3 'Medium' 4 'Heavy'.
WEIGHT BY count.
ANACOR TABLE=staff(1,5) BY smoke(1,4)
  /PRINT=TABLE PROFILES SCORES CONTRIBUTIONS PERMUTATION
  /VARIANCES=SINGULAR ROWS COLUMNS
  /PLOT=TRROWS(6) TRCOLUMNS ROWS COLUMNS JOINT(8)
  /MATRIX=OUT=SCORES('scores.csv') VARIANCE('variance.csv').
ANACOR TABLE=staff(1,5) BY smoke(1,4)
  /PRINT=TABLE PROFILES SCORES CONTRIBUTIONS PERMUTATION
  /VARIANCES=SINGULAR ROWS COLUMNS
  /PLOT=TRROWS(6) TRCOLUMNS ROWS COLUMNS JOINT(8)
  /MATRIX=OUT=SCORES('scores.csv') VARIANCE('variance.csv').
