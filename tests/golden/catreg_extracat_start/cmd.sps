* The extra category of x takes the value after its largest, 500, which
  only a case without y has: the numerical start gives that category a
  quantification far off the scale, and the preliminary run must still
  converge (it diverged to NaN when every update divided by N).
GET DATA /TYPE=CSV /FILE='data.csv'.
CATREG VARIABLES=y x g
  /ANALYSIS=y (LEVEL=NUMERICAL) WITH x (LEVEL=ORDINAL) g (LEVEL=NOMINAL)
  /MISSING=y (LISTWISE) x (EXTRACAT)
  /CRITITER=.000000000001 /MAXITER=5000
  /PRINT=R HISTORY QUANT(x).
