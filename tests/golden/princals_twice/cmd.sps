* Each PRINCALS command run twice gives the same listing (check.py compares
  them line by line, and the charts).
GET DATA /TYPE=CSV /FILE='data.csv'.
PRINCALS VARIABLES=region(3) transport(4) housing(3) /ANALYSIS=region(ORDINAL) transport(SNOMINAL) housing(MNOMINAL)
  /PRINT=ALL /PLOT=ALL.
PRINCALS VARIABLES=region(3) transport(4) housing(3) /ANALYSIS=region(ORDINAL) transport(SNOMINAL) housing(MNOMINAL)
  /PRINT=ALL /PLOT=ALL.
