* Multiple systematic starts over the sign patterns of three ordinal
  predictors: all eight patterns, and the threshold strategy.
GET DATA /TYPE=CSV /FILE='data.csv'.
CATREG VARIABLES=safety agegrp noise green tenure
  /ANALYSIS=safety (LEVEL=NUMERICAL) WITH agegrp noise green (LEVEL=ORDINAL) tenure (LEVEL=NOMINAL)
  /CRITITER=.0000000001 /MAXITER=1000
  /PRINT=R QUANT(agegrp noise green).
CATREG VARIABLES=safety agegrp noise green tenure
  /ANALYSIS=safety (LEVEL=NUMERICAL) WITH agegrp noise green (LEVEL=ORDINAL) tenure (LEVEL=NOMINAL)
  /CRITITER=.0000000001 /MAXITER=1000
  /INITIAL=MULTISTA(ALL)('signs_all.csv')
  /PRINT=R HISTORY QUANT(agegrp noise green).
CATREG VARIABLES=safety agegrp noise green tenure
  /ANALYSIS=safety (LEVEL=NUMERICAL) WITH agegrp noise green (LEVEL=ORDINAL) tenure (LEVEL=NOMINAL)
  /CRITITER=.0000000001 /MAXITER=1000
  /INITIAL=MULTISTA(0)('signs.csv')
  /PRINT=R.
* The pattern the threshold strategy found, read back from its file.
CATREG VARIABLES=safety agegrp noise green tenure
  /ANALYSIS=safety (LEVEL=NUMERICAL) WITH agegrp noise green (LEVEL=ORDINAL) tenure (LEVEL=NOMINAL)
  /CRITITER=.0000000001 /MAXITER=1000
  /INITIAL=FIXSIGNS(4)('signs.csv')
  /PRINT=R.
CATREG VARIABLES=safety agegrp noise green tenure
  /ANALYSIS=safety (LEVEL=NUMERICAL) WITH agegrp noise green (LEVEL=ORDINAL) tenure (LEVEL=NOMINAL)
  /INITIAL=FIXSIGNS(99)('signs.csv')
  /PRINT=R.
