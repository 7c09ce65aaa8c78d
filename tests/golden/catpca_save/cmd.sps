* SAVE and OUTFILE of CATPCA: object scores, transformed variables (a
  multiple nominal one per dimension) and approximations; case 6 is
  filtered out, case 13 is a supplementary object. A second run creates
  the names with counter 2. The working file is saved and check.py compares
  it with the printed tables and the OUTFILE files.
GET DATA /TYPE=CSV /FILE='data.csv'.
VARIABLE LABELS v1 'First item'.
FILTER BY keep.
CATPCA VARIABLES=v1 v2 v3 v4
  /ANALYSIS=v1 v2 (LEVEL=ORDINAL) v3 (LEVEL=NOMINAL) v4 (LEVEL=MNOMINAL)
  /SUPPLEMENTARY=OBJECT(13)
  /PRINT=OBJECT QUANT LOADING
  /PLOT=NONE
  /SAVE=OBJECT TRDATA APPROX
  /OUTFILE=TRDATA('tra.csv') DISCRDAT('discr.csv') OBJECT('obj.csv') APPROX('app.csv').
CATPCA VARIABLES=v1 v2 v3 v4
  /ANALYSIS=v1 v2 (LEVEL=ORDINAL) v3 (LEVEL=NOMINAL) v4 (LEVEL=MNOMINAL)
  /SUPPLEMENTARY=OBJECT(13)
  /PRINT=NONE
  /PLOT=NONE
  /SAVE=OBJECT((1)) TRDATA.
SAVE OUTFILE='out.csv'.
