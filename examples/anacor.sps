* Correspondence analysis with ANACOR (listing output). The first command
  reads a two-way table stored as a matrix (data/leisure.csv, made-up
  counts): one case per region, one variable per favourite leisure activity,
  ROWCAT_ numbering the regions. The second builds the table from the cases
  of the lifestyle survey: preferred holiday by age group. Rows and columns
  whose profiles are alike lie close together; NORMALIZATION=RPRINCIPAL puts
  the rows at the centroids of the columns (MATRIX=OUT=SCORES('file') would
  write the scores to a matrix file).
TITLE 'ANACOR: leisure by region, holiday by age group'.
GET DATA /TYPE=CSV /FILE='data/leisure.csv'.
VARIABLE LABELS sport 'Sport' / reading 'Reading' / music 'Music' / garden 'Gardening'
  / travel 'Travel'.
VALUE LABELS ROWCAT_ 1 'Capital' 2 'North' 3 'Coast' 4 'Rural south' 5 'East'.
ANACOR TABLE=ALL(5,5)
  /DIMENSION=2
  /NORMALIZATION=CANONICAL
  /PRINT=TABLE PROFILES SCORES CONTRIBUTIONS
  /VARIANCES=SINGULAR
  /PLOT=JOINT(12) TRROWS.
GET DATA /TYPE=CSV /FILE='data/lifestyle.csv'.
VARIABLE LABELS holiday 'Preferred holiday' / agegrp 'Age group'.
VALUE LABELS holiday 1 'City trip' 2 'Beach' 3 'Walking' 4 'Cruise'
  / agegrp 1 'Under 35' 2 '35-59' 3 '60 and over'.
ANACOR TABLE=holiday(1,4) BY agegrp(1,3)
  /NORMALIZATION=RPRINCIPAL
  /PRINT=TABLE SCORES PERMUTATION
  /PLOT=ROWS COLUMNS.
