* Test cases with spline categories the training cases lack: z = 3 lies
  between the training categories 2 and 4 and is placed on the line between
  their quantifications; z = 7 lies beyond them and cannot be predicted.
GET DATA /TYPE=CSV /FILE='data.csv'.
CATREG VARIABLES=y x z
  /ANALYSIS=y (LEVEL=NUMERICAL) WITH x (LEVEL=NUMERICAL) z (LEVEL=SPORD DEGREE=2 INKNOT=1)
  /SUPPLEMENTARY=OBJECT(31 THRU 36)
  /CRITITER=.000000000001 /MAXITER=5000
  /PRINT=R COEFF QUANT(z).
* Every test case has the nominal category g = 4, which no training case has.
CATREG VARIABLES=y x g
  /ANALYSIS=y (LEVEL=NUMERICAL) WITH x (LEVEL=NUMERICAL) g (LEVEL=NOMINAL)
  /SUPPLEMENTARY=OBJECT(35 36)
  /PRINT=R.
