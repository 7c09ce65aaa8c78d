* Categorical regression on the neighbourhood survey (data/housing.csv, made-up
  data): how safe residents feel (ordinal) explained by tenure (nominal), age
  group (ordinal), household size (numerical) and their ratings of quietness
  and green space (ordinal). The second command fits a lasso path and lets
  10-fold cross-validation choose the reported model; the path goes to
  report/catreg_lasso_path.csv beside the demo report.
TITLE 'CATREG: neighbourhood survey'.
GET DATA /TYPE=CSV /FILE='data/housing.csv'.
VARIABLE LABELS tenure 'Tenure' / agegrp 'Age group' / hhsize 'Household size'
  / safety 'Safety' / noise 'Quietness' / green 'Green space'.
VALUE LABELS tenure 1 'Owner' 2 'Private rent' 3 'Social rent'
  / agegrp 1 'Under 30' 2 '30-44' 3 '45-64' 4 '65 and over'
  / safety noise green 1 'very poor' 2 'poor' 3 'fair' 4 'good' 5 'very good'.
CATREG VARIABLES=safety tenure agegrp hhsize noise green
  /ANALYSIS=safety (LEVEL=ORDINAL) WITH tenure (LEVEL=NOMINAL) agegrp (LEVEL=ORDINAL)
    hhsize (LEVEL=NUMERICAL) noise green (LEVEL=ORDINAL)
  /PRINT=R ANOVA COEFF HISTORY QUANT(safety tenure).
SET SEED=20261207.
CATREG VARIABLES=safety tenure agegrp hhsize noise green
  /ANALYSIS=safety (LEVEL=ORDINAL) WITH tenure (LEVEL=NOMINAL) agegrp (LEVEL=ORDINAL)
    hhsize (LEVEL=NUMERICAL) noise green (LEVEL=ORDINAL)
  /REGULARIZATION=LASSO(0 0.5 0.05) ('../report/catreg_lasso_path.csv')
  /RESAMPLE=CROSSVAL(10)
  /PRINT=R COEFF REGU.
