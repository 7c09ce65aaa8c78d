#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/fisher_f.hpp>
#include <cmath>

#include "host/host.hpp"

namespace oscat::host {

double CDFF(double f, double df1, double df2) {
  if (!(df1 > 0) || !(df2 > 0) || !std::isfinite(f)) return SYSMIS;
  if (f <= 0) return 1.0;
  boost::math::fisher_f_distribution<double> d(df1, df2);
  return boost::math::cdf(boost::math::complement(d, f));
}

double SIGCHI(double chi2, double df) {
  if (!(df > 0) || !std::isfinite(chi2)) return SYSMIS;
  if (chi2 <= 0) return 1.0;
  boost::math::chi_squared_distribution<double> d(df);
  return boost::math::cdf(boost::math::complement(d, chi2));
}

double KOVA_DDOT(int n, const double* x, int incx, const double* y, int incy) {
  double s = 0;
  for (int i = 0; i < n; ++i) s += x[static_cast<long>(i) * incx] * y[static_cast<long>(i) * incy];
  return s;
}

void KOVA_DAXPY(int n, double a, const double* x, int incx, double* y, int incy) {
  for (int i = 0; i < n; ++i) y[static_cast<long>(i) * incy] += a * x[static_cast<long>(i) * incx];
}

void KOVA_DSCAL(int n, double a, double* x, int incx) {
  for (int i = 0; i < n; ++i) x[static_cast<long>(i) * incx] *= a;
}

void DLOAD(int n, double v, double* x) {
  for (int i = 0; i < n; ++i) x[i] = v;
}
void ILOAD(int n, int v, int* x) {
  for (int i = 0; i < n; ++i) x[i] = v;
}
void IZERO(int n, int* x) { ILOAD(n, 0, x); }

}  // namespace oscat::host
