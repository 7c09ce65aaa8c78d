#include "catpca/configuration.hpp"

#include <cmath>
#include <vector>

#include "frame/messages.hpp"
#include "host/host.hpp"

namespace oscat::catpca {

using host::H;

using frame::report;

ConfigurationRead CPR_ReadConfiguration(int handle, int n, int p, const double* objw, double* X,
                                        int* excluded) {
  auto& files = H().files;
  ConfigurationRead r;
  for (long i = 0; i < static_cast<long>(n) * p; ++i) X[i] = 0.0;
  for (int i = 0; i < n; ++i) excluded[i] = 0;
  struct Closer {
    host::Files& f;
    int h;
    ~Closer() { f.SFCLDE(h); }
  } closer{files, handle};

  std::vector<host::FileVar> vars;
  if (!files.DSRDDICT(handle, vars)) {
    // The host has said why; without the scores the analysis cannot go on.
    report("CPR Config file not read.", 3);
    return r;
  }
  const int nvar = static_cast<int>(vars.size());
  if (nvar < p) {
    report("CPR Nvar less Ndim CONF.", 3);
    return r;
  }
  if (nvar > p) report("CPR Nvar larger Ndim CONF.", 2);
  for (int s = 0; s < p; ++s)
    if (vars[static_cast<std::size_t>(s)].width > 0) {
      report("CPR non-num symbol CONF.", 3);
      return r;
    }

  std::vector<host::FileValue> row;
  int i = 0;
  bool partial = false;
  for (;;) {
    while (i < n && !(objw[i] > 0)) ++i;
    if (i >= n) break;
    if (!files.DSRDCASE(handle, row)) {
      report("CPR Ncases less CONF.", 3);
      return r;
    }
    int missing = 0;
    for (int s = 0; s < p; ++s) {
      const double v = static_cast<std::size_t>(s) < row.size() ? row[static_cast<std::size_t>(s)].number
                                                                 : host::SYSMIS;
      if (host::is_sysmis(v)) {
        ++missing;
      } else {
        X[i + static_cast<long>(s) * n] = v;
      }
    }
    if (missing == p) {
      excluded[i] = 1;
      ++r.excluded;
    } else if (missing > 0) {
      partial = true;
    }
    ++r.rows;
    ++i;
  }
  if (partial) {
    // A score that is partly unknown cannot be completed honestly.
    report("CPR non-num symbol CONF.", 3);
    return r;
  }
  if (files.DSRDCASE(handle, row)) {
    // More cases than objects: the file does not belong to these objects.
    report("CPR Ncases larger CONF.", 3);
    return r;
  }
  // Scores so large that their sums of squares overflow would turn every
  // fitted statistic into NaN without a word.
  for (int s = 0; s < p; ++s) {
    double ss = 0;
    for (int k = 0; k < n; ++k) ss += X[k + static_cast<long>(s) * n] * X[k + static_cast<long>(s) * n];
    if (!std::isfinite(ss)) {
      report("CPR Config values too large.", 3);
      return r;
    }
  }
  if (r.excluded > 0) report("CPR all sysmis CONF.", 2);
  r.ok = true;
  return r;
}

}  // namespace oscat::catpca
