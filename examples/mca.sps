* Multiple correspondence analysis of a lifestyle survey:
  data/lifestyle.csv: 90 respondents (made-up data) named their preferred
  kind of holiday, their usual means of transport and the newspaper they read
  most; their age group is the fourth variable. Multiple correspondence
  analysis places the categories that go together close to each other.
TITLE 'MULTIPLE CORRESPONDENCE: lifestyle survey'.
GET DATA /TYPE=CSV /FILE='data/lifestyle.csv'.
VARIABLE LABELS holiday 'Preferred holiday' / transport 'Usual transport'
  / newspaper 'Newspaper read most' / agegrp 'Age group'.
VALUE LABELS holiday 1 'City trip' 2 'Beach' 3 'Walking' 4 'Cruise'
  / transport 1 'Car' 2 'Bicycle' 3 'Bus or train'
  / newspaper 1 'National daily' 2 'Regional daily' 3 'Weekly' 4 'Online only'
  / agegrp 1 'Under 35' 2 '35-59' 3 '60 and over'.
MULTIPLE CORRESPONDENCE VARIABLES=holiday transport newspaper agegrp
  /ANALYSIS=holiday transport newspaper agegrp
  /DIMENSION=2
  /PRINT=DISCRIM QUANT(agegrp)
  /PLOT=DISCRIM JOINTCAT(holiday transport newspaper agegrp).
