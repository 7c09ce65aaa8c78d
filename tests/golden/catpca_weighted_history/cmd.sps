* One variable counted twice (WEIGHT=2): the loss splits into the centroid
  part and the restriction part with the weight on every term.
GET DATA /TYPE=CSV /FILE='data.csv'.
CATPCA VARIABLES=a b c d e
  /ANALYSIS=a (LEVEL=NOMINAL) b (WEIGHT=2 LEVEL=ORDINAL) c (LEVEL=ORDINAL) d (LEVEL=NUMERICAL) e (LEVEL=NOMINAL)
  /DIMENSION=2
  /CRITITER=.0000000001
  /MAXITER=1000
  /PRINT=HISTORY VAF LOADING QUANT OBJECT
  /PLOT=NONE.
