* Passive missing values in the correlation tables: a by its mode, c (multiple
* nominal) and e (nominal) by a category of their own, from the object scores.
GET DATA /TYPE=CSV /FILE='data.csv'.
CATPCA VARIABLES=a b c d e
  /ANALYSIS=a (LEVEL=NOMINAL) b (LEVEL=ORDINAL) c (LEVEL=MNOMINAL) d (LEVEL=NUMERICAL) e (LEVEL=NOMINAL)
  /MISSING=a (PASSIVE MODEIMPU) c e (PASSIVE EXTRACAT)
  /DIMENSION=2
  /CRITITER=.0000000001
  /MAXITER=1000
  /PRINT=OCORR CORR QUANT OBJECT LOADING.
