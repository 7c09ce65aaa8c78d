* No working data file yet: an error, not silence.
CORRESPONDENCE TABLE=a(1,3) BY s(1,3).
* A hand-edited dictionary with eight missing values: refused, naming the field;
* the procedure after it still has no data.
GET DATA /TYPE=CSV /FILE='missbad.csv'.
MULTIPLE CORRESPONDENCE VARIABLES=a s /ANALYSIS=a s.
* A string variable in TABLE, and a table with no case in range.
GET DATA /TYPE=CSV /FILE='str.csv'.
CORRESPONDENCE TABLE=s(1,3) BY a(1,3) /PRINT=TABLE.
CORRESPONDENCE TABLE=a(7,9) BY t(1,3) /PRINT=TABLE.
