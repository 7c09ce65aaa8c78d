* The same table read as a matrix, rows labelled through ROWCAT_.
GET DATA /TYPE=CSV /FILE='smoking_matrix.csv'.
VARIABLE LABELS none 'None' / light 'Light' / medium 'Medium' / heavy 'Heavy'.
VALUE LABELS ROWCAT_ 1 'SM' 2 'JM' 3 'SE' 4 'JE' 5 'SC'.
CORRESPONDENCE TABLE=ALL(5,4) /PRINT=TABLE RPOINTS /PLOT=NONE.
