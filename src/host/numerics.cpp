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

}  // namespace oscat::host
