* Nonlinear principal components of the neighbourhood survey
  (data/housing.csv: 72 made-up residents). The five ratings run from 1
  (very poor) to 5 (very good) and are taken as ordinal; 9 ("no answer")
  lies outside 1 to 5 and so counts as missing (a warning names shops). Tenure is multiple nominal:
  each tenure gets its own point in both dimensions. PRINCALS writes its
  results as listing text: the two iteration histories (the initial metric
  configuration, then the ordinal one), the fit of every variable, the
  quantifications, loadings, correlations and low-resolution plots.
TITLE 'PRINCALS: neighbourhood survey'.
GET DATA /TYPE=CSV /FILE='data/housing.csv'.
VARIABLE LABELS tenure 'Tenure' / safety 'Safety' / noise 'Quietness'
  / green 'Green space' / shops 'Shops' / transit 'Public transport'.
PRINCALS VARIABLES=safety noise green shops transit(5) tenure(3)
  /ANALYSIS=safety noise green shops transit(ORDINAL) tenure(MNOMINAL)
  /DIMENSION=2
  /PRINT=FREQUENCIES HISTORY QUANTIFICATIONS LOADINGS CORRELATIONS
  /PLOT=OBJECT LOADINGS QUANTIFICATIONS
  /SAVE=pri(2).
