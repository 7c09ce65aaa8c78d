* The host commands: read a CSV file, describe its variables, declare
  missing values and a case weight, and save the labelled file.
TITLE 'oscat basics'.
GET DATA /TYPE=CSV /FILE='data/survey.csv'.
VARIABLE LABELS region 'Region' / agegrp 'Age group'
  / satisf 'Satisfaction with the service' / visits 'Visits last year'.
VALUE LABELS agegrp 1 '18-34' 2 '35-54' 3 '55 and over'
  / satisf 1 'very low' 2 'low' 3 'medium' 4 'high' 5 'very high'
  / region 'N' 'North' 'S' 'South'.
* 9 means "no answer"; an age group of 0 or below was not recorded.
MISSING VALUES satisf (9) / agegrp (LO THRU 0).
WEIGHT BY wt.
SET SEED=20240611.
* A procedure sees all of it: labels name the rows and columns, the missing
  answers are left out and the counts are weighted.
CORRESPONDENCE TABLE=agegrp(1,3) BY satisf(1,5) /DIMENSION=1 /PRINT=TABLE.
