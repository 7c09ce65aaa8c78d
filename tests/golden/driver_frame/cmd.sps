* Two cases end each procedure with its maximum-observations message.
GET DATA /TYPE=CSV /FILE='d.csv'.
CATPCA VARIABLES=a b /ANALYSIS=a b.
CATREG VARIABLES=a b /ANALYSIS=a WITH b.
* Three are accepted; the split file is warned about and ignored (the
* summary counts all 3 cases). The constant k stops the command after the
* data preparation with the zero-variance error.
GET DATA /TYPE=CSV /FILE='d3.csv'.
SPLIT FILE BY g.
MULTIPLE CORRESPONDENCE VARIABLES=a g k /ANALYSIS=a g k /PRINT=NONE /PLOT=NONE.
* A workspace too small for the data: "Insufficient memory." once.
GET DATA /TYPE=CSV /FILE='big.csv'.
SET WORKSPACE=64.
CATPCA VARIABLES=a b /ANALYSIS=a b.
