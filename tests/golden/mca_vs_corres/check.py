# "MCOR Inertia" of each MULTIPLE CORRESPONDENCE dimension equals the principal
# inertia (squared singular value) of CORRESPONDENCE on the indicator matrix.
import json, sys
import os
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import table


def column(t, key):
    # Index of the statistics column whose category key is `key`.
    for d, dim in enumerate(t["dimensions"]):
        for i, cat in enumerate(dim["categories"]):
            if cat["path"] and cat["path"][-1]["key"] == key:
                return d, i
    raise AssertionError(key)


report = json.load(open(sys.argv[1]))
mca, mca_cells = table(report, "Model Summary")
ca, ca_cells = table(report, "Summary")
_, mi = column(mca, "MCOR Inertia")
_, ci = column(ca, "Summary Inertia")
_, si = column(ca, "Singular Value")
for d in range(2):
    inertia = mca_cells[(d, mi)]
    assert abs(inertia - ca_cells[(d, ci)]) < 1e-6, (d, inertia, ca_cells[(d, ci)])
    assert abs(inertia - ca_cells[(d, si)] ** 2) < 1e-6
print("ok")
