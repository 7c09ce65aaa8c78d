# Helpers of the regression golden cases: the reference statistics of least
# squares on standardized variables, in plain Python (no third-party packages).
import math


def standardize(x, w=None):
    w = w or [1.0] * len(x)
    N = sum(w)
    m = sum(a * b for a, b in zip(w, x)) / N
    s = math.sqrt(sum(wi * (xi - m) ** 2 for wi, xi in zip(w, x)) / N)
    return [(xi - m) / s for xi in x]


def inverse(A):
    n = len(A)
    M = [list(r) + [1.0 if i == j else 0.0 for j in range(n)] for i, r in enumerate(A)]
    for c in range(n):
        piv = max(range(c, n), key=lambda r: abs(M[r][c]))
        M[c], M[piv] = M[piv], M[c]
        p = M[c][c]
        M[c] = [v / p for v in M[c]]
        for r in range(n):
            if r != c:
                f = M[r][c]
                M[r] = [a - f * b for a, b in zip(M[r], M[c])]
    return [r[n:] for r in M]


def dummies(x):
    """Indicator columns of the categories of x, the first category left out."""
    cats = sorted(set(x))
    return [[1.0 if v == c else 0.0 for v in x] for c in cats[1:]]


def r_square(cols, y):
    """R^2 of least squares of y on the columns and an intercept."""
    from golden_check import lstsq
    n = len(y)
    b, fit = lstsq([[1.0] * n] + cols, y)
    my = sum(y) / n
    return 1 - sum((a - f) ** 2 for a, f in zip(y, fit)) / sum((a - my) ** 2 for a in y)


def ols_reference(y, xs):
    """Statistics of least squares of standardized y on standardized xs:
    beta, R^2, tolerance, zero-order, partial, part, importance, se."""
    n, p = len(y), len(xs)
    z = standardize(y)
    X = [standardize(x) for x in xs]
    R = [[sum(a * b for a, b in zip(X[j], X[k])) / n for k in range(p)] for j in range(p)]
    r = [sum(a * b for a, b in zip(X[j], z)) / n for j in range(p)]
    Ri = inverse(R)
    beta = [sum(Ri[j][k] * r[k] for k in range(p)) for j in range(p)]
    R2 = sum(b * c for b, c in zip(beta, r))
    df_res = n - p - 1
    tol = [1 / Ri[j][j] for j in range(p)]
    # Var(beta) = sigma^2 (X'X)^-1 with X'X = n R and sigma^2 = n (1 - R2) / df_res.
    se = [math.sqrt((1 - R2) / df_res * Ri[j][j]) for j in range(p)]
    t = [b / s for b, s in zip(beta, se)]
    return dict(beta=beta, R2=R2, tol=tol, zero=r, se=se, df_res=df_res,
                partial=[ti / math.sqrt(ti * ti + df_res) for ti in t],
                part=[b * math.sqrt(tt) for b, tt in zip(beta, tol)],
                importance=[b * c / R2 for b, c in zip(beta, r)])


def centred(cols):
    out = []
    for c in cols:
        m = sum(c) / len(c)
        out.append([v - m for v in c])
    return out


def first_canonical_r2(ys, xs):
    """Largest squared canonical correlation between the column sets ys and
    xs: the largest eigenvalue of Syy^-1 Syx Sxx^-1 Sxy, by power iteration."""
    ys, xs = centred(ys), centred(xs)
    S = lambda A, B: [[sum(a * b for a, b in zip(u, v)) for v in B] for u in A]
    mul = lambda A, B: [[sum(A[i][k] * B[k][j] for k in range(len(B))) for j in range(len(B[0]))]
                        for i in range(len(A))]
    Syx = S(ys, xs)
    M = mul(mul(inverse(S(ys, ys)), Syx), mul(inverse(S(xs, xs)), [list(r) for r in zip(*Syx)]))
    v = [1.0] * len(M)
    lam = 0.0
    for _ in range(5000):
        u = [sum(M[i][k] * v[k] for k in range(len(v))) for i in range(len(v))]
        lam = max(abs(x) for x in u)
        v = [x / lam for x in u]
    return lam
