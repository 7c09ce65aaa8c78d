* Every numbered message of ANACOR's syntax and checks, and the data that
  leave nothing to analyse: an independent table, a table of rank one
  (dimensions reduced), a negative cell, two cases, one case and none in
  range. Each command states the messages it must give.
GET DATA /TYPE=CSV /FILE='smoking.csv'.
WEIGHT BY count.
* 17903 ends the parse; 17907 without TABLE.
ANACOR TABLE=staff(1,5) BY smoke(1,4) /BOGUS=1.
ANACOR DIMENSION=2.
* TABLE: 17905, 17917, 17906, 17919 twice (each ends the parse).
ANACOR TABLE=(1,5) BY smoke(1,4).
ANACOR TABLE=staff(1,5) smoke(1,4).
ANACOR TABLE=staff(1,5) BY nosuch(1,4).
ANACOR TABLE=staff 1,5 BY smoke(1,4).
ANACOR TABLE=staff(1,5,6) BY smoke(1,4).
* 17902 twice and 17920, then the analysis runs on rows 1 to 5.
ANACOR TABLE=staff(1.5,5.2 BY smoke(1,4) /PRINT=NONE /PLOT=NONE.
* 17918 and the error for fewer than two rows, then for two columns.
ANACOR TABLE=staff(3,3) BY smoke(1,4).
ANACOR TABLE=staff(1,5) BY smoke(4,4).
* 17931, 17904, 17932, 17912 (5 dimensions asked, 3 used).
ANACOR TABLE=staff(1,5) BY smoke(1,4) /TABLE=staff(1,5) BY smoke(1,4) /DIMENSION=1.5 /DIMENSION=5
  /PRINT=NONE /PLOT=NONE.
* NORMALIZATION: 17929, 17933, 17928, 17933, 17941, 17933, 17930 (0.5 is used).
ANACOR TABLE=staff(1,5) BY smoke(1,4) /NORMALIZATION /NORMALIZATION=SIDEWAYS /NORMALIZATION=2.5
  /NORMALIZATION=0.5 1 /PRINT=SCORES /PLOT=NONE.
* 17914: no joint plot under principal normalization (the row plot is made).
ANACOR TABLE=staff(1,5) BY smoke(1,4) /NORMALIZATION=PRINCIPAL /PRINT=NONE /PLOT=JOINT ROWS.
* VARIANCE 17915, 17934; PRINT 17908, 17935; PLOT 17909, 17938, 17939, 17936.
ANACOR TABLE=staff(1,5) BY smoke(1,4) /VARIANCE=BOGUS /VARIANCE=SINGULAR /PRINT=BOGUS /PRINT=NONE
  /PLOT=NONE /PLOT=BOGUS ROWS(X) COLUMNS(25).
* NDIM: 17947, 17948, 17943, 17944, 17945, 17922, 17920 (all in the syntax).
ANACOR TABLE=staff(1,5) BY smoke(1,4) /PRINT=NONE /PLOT=ROWS NDIM(0,2) NDIM(1,0) NDIM(1,X) NDIM(X,2)
  NDIM(2,1) NDIM 1,2) NDIM(1,2.
* NDIM after the analysis: 17946 (3 lowered to 2), then 17945 (range 1 to 2).
ANACOR TABLE=staff(1,5) BY smoke(1,4) /PRINT=NONE /PLOT=ROWS NDIM(2,3).
* MATRIX: 17924, 17937, 17922, 17937, 17925, 17937, 17949, 17937, 17920, 17937, 17927.
ANACOR TABLE=staff(1,5) BY smoke(1,4) /PRINT=NONE /PLOT=NONE /MATRIX=BOGUS('x.csv')
  /MATRIX=SCORES 'x.csv') /MATRIX=SCORES(*) /MATRIX OUT=SCORES(name) /MATRIX=VARIANCE('x.csv'
  /MATRIX=OUT SCORES('x.csv') VARIANCE('x.csv').
* 17942: the parenthesis after ALL is assumed; the independent table.
GET DATA /TYPE=CSV /FILE='independent.csv'.
ANACOR TABLE=ALL 3,3) /PLOT=NONE.
* Rank one: the dimensions are reduced to 1, the plots asked for dimension 2
  and 3 find no solution there (17946, 17945) and plot dimension 1.
GET DATA /TYPE=CSV /FILE='rank1.csv'.
ANACOR TABLE=ALL(4,4) /PRINT=NONE /PLOT=ROWS NDIM(2,3).
GET DATA /TYPE=CSV /FILE='negative.csv'.
ANACOR TABLE=ALL(2,2).
* Two cases in range (one dimension, 17912), one case (independent), none.
GET DATA /TYPE=CSV /FILE='tiny.csv'.
ANACOR TABLE=a(1,2) BY b(1,2) /PRINT=TABLE SCORES /PLOT=NONE.
ANACOR TABLE=a(1,2) BY b(2,3) /PLOT=NONE.
ANACOR TABLE=a(3,4) BY b(3,4) /PLOT=NONE.
