* SAVE and OUTFILE of CATREG: transformed variables, predicted values and
  residuals; case 5 is a supplementary object. The working file is saved
  and check.py compares it with the printed tables and the OUTFILE file.
GET DATA /TYPE=CSV /FILE='data.csv'.
CATREG VARIABLES=y a b c
  /ANALYSIS=y (LEVEL=ORDINAL) WITH a (LEVEL=NOMINAL) b (LEVEL=NUMERICAL) c (LEVEL=ORDINAL)
  /SUPPLEMENTARY=OBJECT(5)
  /CRITITER=.000000000001 /MAXITER=5000
  /PRINT=R COEFF QUANT
  /SAVE=TRDATA PRED RES
  /OUTFILE=TRDATA('tra.csv') DISCRDAT('discr.csv').
SAVE OUTFILE='out.csv'.
