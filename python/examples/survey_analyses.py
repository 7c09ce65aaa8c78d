#!/usr/bin/env python3
# %% [markdown]
# # CATPCA and MULTIPLE CORRESPONDENCE from Python
#
# The analyses of examples/catpca.sps and examples/mca.sps, run on pandas
# DataFrames. Run it as a script (`make python`, then
# `PYTHONPATH=build/python /usr/bin/python3 python/examples/survey_analyses.py`)
# or cell by cell in Jupyter, where tables show as DataFrames and charts
# inline. It writes survey_analyses.html in the current directory.

# %%
import os

import pandas as pd

import oscat

DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples", "data")

# %% [markdown]
# ## Neighbourhood survey: CATPCA
#
# Labels and the user-missing answer 9 go with the DataFrame (`df.attrs`),
# where VARIABLE LABELS, VALUE LABELS and MISSING VALUES put them in the
# command file.

# %%
housing = pd.read_csv(os.path.join(DATA, "housing.csv"))
ratings = ["safety", "noise", "green", "shops", "transit"]
scale = {1: "very poor", 2: "poor", 3: "fair", 4: "good", 5: "very good"}
housing.attrs["variable_labels"] = {
    "tenure": "Tenure", "agegrp": "Age group", "hhsize": "Household size", "safety": "Safety",
    "noise": "Quietness", "green": "Green space", "shops": "Shops", "transit": "Public transport"}
housing.attrs["value_labels"] = {
    "tenure": {1: "Owner", 2: "Private rent", 3: "Social rent"},
    "agegrp": {1: "Under 30", 2: "30-44", 3: "45-64", 4: "65 and over"},
    **{r: scale for r in ratings}}
housing.attrs["missing_values"] = {"shops": [9]}

catpca = oscat.catpca(
    housing, variables=ratings + ["tenure", "agegrp", "hhsize"],
    levels={**{r: "ordinal" for r in ratings}, "tenure": "nominal", "agegrp": "ordinal", "hhsize": "numerical"},
    supplementary=["agegrp", "hhsize"], dims=2,
    print=["DESCRIP(tenure)", "HISTORY", "VAF", "LOADING", "QUANT(tenure safety)"],
    plot=["OBJECT", "LOADING", "TRANS(safety tenure)"])
print(catpca.syntax)
print(catpca.tables["Model Summary"])
print(catpca.tables["Component Loadings"])

# %% [markdown]
# The same ratings with an oblique rotation and a biplot.

# %%
rotated = oscat.catpca(housing, variables=ratings, level="ordinal", dims=2, rotation="OBLIMIN",
                       print="LOADING", plot=f"BIPLOT(LOADING({' '.join(ratings)}))")
print(rotated.syntax)
for title in rotated.tables.titles()[2:]:
    print(title)
    print(rotated.tables[title])

# %% [markdown]
# ## Lifestyle survey: MULTIPLE CORRESPONDENCE
#
# The codes 1, 2, ... get their labels through `df.attrs` again. (A pandas
# categorical column would do as well: it becomes a string variable with its
# categories as value labels; an ordered one keeps its order as codes 1, 2, ...)

# %%
life = pd.read_csv(os.path.join(DATA, "lifestyle.csv"))
codes = {
    "holiday": ["City trip", "Beach", "Walking", "Cruise"],
    "transport": ["Car", "Bicycle", "Bus or train"],
    "newspaper": ["National daily", "Regional daily", "Weekly", "Online only"],
    "agegrp": ["Under 35", "35-59", "60 and over"],
}
life.attrs["value_labels"] = {v: dict(enumerate(labels, start=1)) for v, labels in codes.items()}
life.attrs["variable_labels"] = {"holiday": "Preferred holiday", "transport": "Usual transport",
                                 "newspaper": "Newspaper read most", "agegrp": "Age group"}
mca = oscat.mca(life, dims=2, print=["DISCRIM", "QUANT(agegrp)"],
                plot=["DISCRIM", "JOINTCAT(holiday transport newspaper agegrp)"])
print(mca.syntax)
print(mca.tables["Discrimination Measures"])
print(mca.tables["Quantifications"])

# %% [markdown]
# Charts carry their points as a DataFrame and their drawing as SVG (shown
# inline by Jupyter); the whole report is one HTML page.

# %%
joint = mca.charts[-1]
print(joint.title)
print(joint.data.head())
with open("survey_analyses.html", "w", encoding="utf-8") as f:
    f.write(mca.html("oscat from Python: lifestyle survey"))
print("report written to survey_analyses.html")
