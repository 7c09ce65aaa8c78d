* Weighted data with a user-missing value (b = 9), a system-missing value,
* a value 0 (missing without discretization) and supplementary case 3.
* By hand (weights 1 2 0 1 2 1 1 once case 3 is set aside):
* valid = cases 1, 2, 7 = 4; all = 8; missing = 4; supplementary 1; total 9.
* a: low 3, mid 4 (mode), high 1.  b: 1 -> 1, 2 -> 3; < 1: 1, user 1, system 2.
* c is constant: the zero-variance error stops the command after the tables.
GET DATA /TYPE=CSV /FILE='d.csv'.
MISSING VALUES b (9).
VALUE LABELS a 1 'low' 2 'mid' 3 'high'.
WEIGHT BY w.
CATPCA VARIABLES=a b c /ANALYSIS=a b c /SUPPLEMENTARY=OBJECT(3).
