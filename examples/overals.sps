* Nonlinear canonical correlation of the neighbourhood survey
  (data/housing.csv: 72 made-up residents): how does the household (tenure,
  age group, household size) relate to how residents rate their
  neighbourhood (safety, quietness, green space, public transport)? The two
  sets are analysed together: tenure is multiple nominal, age group ordinal,
  household size numerical, the ratings ordinal. The eigenvalue of each
  dimension is 1 less the mean loss of the two sets: close to 1 when both
  sets agree on that dimension.
TITLE 'OVERALS: household and neighbourhood'.
GET DATA /TYPE=CSV /FILE='data/housing.csv'.
VARIABLE LABELS tenure 'Tenure' / agegrp 'Age group' / hhsize 'Household size'
  / safety 'Safety' / noise 'Quietness' / green 'Green space'
  / transit 'Public transport'.
VALUE LABELS tenure 1 'Owner' 2 'Private rent' 3 'Social rent'
  / agegrp 1 'Under 30' 2 '30-44' 3 '45-64' 4 '65 and over'.
OVERALS VARIABLES=tenure(3) agegrp(4) hhsize(5) safety noise green transit(5)
  /ANALYSIS=tenure(MNOMINAL) agegrp(ORDINAL) hhsize(NUMERICAL) safety noise green transit(ORDINAL)
  /SETS=2(3, 4)
  /DIMENSION=2
  /PRINT=FREQUENCIES HISTORY WEIGHTS LOADINGS CENTROIDS
  /PLOT=OBJECT LOADINGS CENTROIDS TRANS(agegrp safety)
  /SAVE=ovs(2).
