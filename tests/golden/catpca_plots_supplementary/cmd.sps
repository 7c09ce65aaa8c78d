* Supplementary objects and variables in the charts: their own groups (drawn
* open), named in the legend; an object without any answer has no score and
* is not drawn.
GET DATA /TYPE=CSV /FILE='data.csv'.
MISSING VALUES q1 TO q4 (9).
CATPCA VARIABLES=q1 q2 q3 q4 edu
  /ANALYSIS=q1 q2 q3 q4 (LEVEL=ORDINAL) edu (LEVEL=ORDINAL)
  /SUPPLEMENTARY=OBJECT(3 7) VARIABLE(edu)
  /DIMENSION=2
  /PRINT=LOADING OBJECT
  /PLOT=OBJECT LOADING BIPLOT.
