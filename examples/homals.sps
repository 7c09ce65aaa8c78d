* Homogeneity analysis of the lifestyle survey (data/lifestyle.csv, 90
  made-up respondents): each variable is coded 1 to its number of
  categories. HOMALS gives every respondent a score and every category a
  quantification in two dimensions; categories chosen by the same
  respondents lie close together. The object scores are saved to the working
  file (MATRIX=OUT('file') would write the quantifications to a matrix file).
TITLE 'HOMALS: lifestyle survey'.
GET DATA /TYPE=CSV /FILE='data/lifestyle.csv'.
VARIABLE LABELS holiday 'Preferred holiday' / transport 'Usual transport'
  / newspaper 'Newspaper read most' / agegrp 'Age group'.
VALUE LABELS holiday 1 'City trip' 2 'Beach' 3 'Walking' 4 'Cruise'
  / transport 1 'Car' 2 'Bicycle' 3 'Bus or train'
  / newspaper 1 'National daily' 2 'Regional daily' 3 'Weekly' 4 'Online only'
  / agegrp 1 'Under 35' 2 '35-59' 3 '60 and over'.
HOMALS VARIABLES=holiday(4) transport(3) newspaper(4) agegrp(3)
  /DIMENSION=2
  /PRINT=FREQUENCIES HISTORY EIGENVALUES DISCRIMINATION QUANTIFICATIONS
  /PLOT=QUANTIFICATIONS DISCRIMINATION OBJECT(agegrp)(10)
  /SAVE=hom(2).
