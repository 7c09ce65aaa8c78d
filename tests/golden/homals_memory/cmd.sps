* Workspace shortfalls. With 60 variables in the file the entry's arrays
  need 1200 bytes: a 1 KB workspace cannot hold them and the listing says
  how much HOMALS needs. A 2 KB workspace holds them but not the analysis
  arrays of 45 cases; the next command, with the default workspace, runs.
GET DATA /TYPE=CSV /FILE='data.csv'.
SET WORKSPACE=1.
HOMALS VARIABLES=v1(3) v2(3) v3(3).
SET WORKSPACE=2.
HOMALS VARIABLES=v1(3) v2(3) v3(3).
SET WORKSPACE=1048576.
HOMALS VARIABLES=v1(3) v2(3) v3(3) /PRINT=EIGENVALUES /PLOT=NONE.
