* Workspace shortfalls. With 300 variables in the file the entry's list of
  them needs 1200 bytes: a 1 KB workspace cannot hold it
  (17901 and how much ANACOR needs). A 2 KB workspace holds the list but not
  the arrays of a 20 x 20 table (how much the analysis needs); the last
  command, with a large workspace, runs.
GET DATA /TYPE=CSV /FILE='data.csv'.
SET WORKSPACE=1.
ANACOR TABLE=v1(1,20) BY v2(1,20).
SET WORKSPACE=2.
ANACOR TABLE=v1(1,20) BY v2(1,20).
SET WORKSPACE=1048576.
ANACOR TABLE=v1(1,20) BY v2(1,20) /PRINT=NONE /PLOT=NONE.
