* Correspondence analysis of staff group by smoking habit.
GET DATA /TYPE=CSV /FILE='data/smoking.csv'.
VARIABLE LABELS staff 'Staff group' / smoke 'Smoking'.
VALUE LABELS staff 1 'Senior managers' 2 'Junior managers' 3 'Senior employees'
    4 'Junior employees' 5 'Secretaries'
  / smoke 1 'None' 2 'Light' 3 'Medium' 4 'Heavy'.
WEIGHT BY count.
CORRESPONDENCE TABLE=staff(1,5) BY smoke(1,4)
  /SUPPLEMENTARY=staff(5)
  /PRINT=TABLE RPROFILE CPROFILE RPOINTS CPOINTS RCONFIDE CCONFIDE
  /PLOT=BIPLOT TRROWS(20).
