* An unknown command is an error; the commands after it still run.
GET DATA /TYPE=CSV /FILE='data.csv'.
FROBNICATE a b.
VARIABLE LABELS a 'First'.
CORRESP TABLE=a(1,2) BY b(1,2).
SET SEED=7.
