* Categorical principal components of a neighbourhood survey:
  data/housing.csv: 72 residents (made-up data) rated five aspects of their
  neighbourhood from 1 (very poor) to 5 (very good): safety, noise, green
  space, shops and public transport; 9 is "no answer"; tenure (nominal),
  age group (ordinal) and household size (numerical) describe the household;
  the ratings are ordinal; tenure is nominal; age group and household size
  are supplementary: they are fitted to the solution without shaping it.
TITLE 'CATPCA: neighbourhood survey'.
GET DATA /TYPE=CSV /FILE='data/housing.csv'.
VARIABLE LABELS tenure 'Tenure' / agegrp 'Age group' / hhsize 'Household size'
  / safety 'Safety' / noise 'Quietness' / green 'Green space' / shops 'Shops'
  / transit 'Public transport'.
VALUE LABELS tenure 1 'Owner' 2 'Private rent' 3 'Social rent'
  / agegrp 1 'Under 30' 2 '30-44' 3 '45-64' 4 '65 and over'
  / safety noise green shops transit 1 'very poor' 2 'poor' 3 'fair' 4 'good' 5 'very good'.
MISSING VALUES shops (9).
CATPCA VARIABLES=safety noise green shops transit tenure agegrp hhsize
  /ANALYSIS=safety noise green shops transit (LEVEL=ORDINAL) tenure (LEVEL=NOMINAL)
    agegrp (LEVEL=ORDINAL) hhsize (LEVEL=NUMERICAL)
  /SUPPLEMENTARY=VARIABLE(agegrp hhsize)
  /DIMENSION=2
  /PRINT=DESCRIP(tenure) HISTORY VAF LOADING QUANT(tenure safety)
  /PLOT=OBJECT LOADING TRANS(safety tenure).
* The same ratings with an oblique rotation: the pattern matrix shows which
  aspects define each component, the component correlation matrix how far the
  two components go together; the biplot draws residents and aspects at once.
CATPCA VARIABLES=safety noise green shops transit
  /ANALYSIS=safety noise green shops transit (LEVEL=ORDINAL)
  /DIMENSION=2
  /ROTATION=OBLIMIN
  /PRINT=LOADING
  /PLOT=BIPLOT(LOADING(safety noise green shops transit)).
