// The sign pattern files of the multiple starts: the patterns run, written
// after the reported fit, and the pattern FIXSIGNS reads.
#include <string>
#include <vector>

#include "catreg/analysis.hpp"
#include "data/saved.hpp"
#include "frame/messages.hpp"
#include "host/host.hpp"

namespace oscat::catreg {

using host::H;

bool CRG_WriteSignPatterns(const driver::RunContext& ctx, const int* rows, long long count, int p,
                           const int* ordinal) {
  const auto& s = *ctx.settings;
  if (s.initial.file <= 0 || count <= 0) return true;
  std::vector<host::FileVar> vars;
  std::vector<double> values(static_cast<std::size_t>(count) * p);
  std::vector<int> row(static_cast<std::size_t>(p));
  for (int k = 0; k < p; ++k) {
    const int var = s.vars.variables[static_cast<std::size_t>(ordinal[k])];
    const std::string digits = std::to_string(ordinal[k] + 1);
    const std::string& name = H().dict.DICGET(var).name;
    host::FileVar v;
    v.name = "Sign" + digits + "_" + name.substr(0, digits.size() < 58 ? 58 - digits.size() : 0);
    v.label = H().dict.VRLABG(var);
    vars.push_back(std::move(v));
  }
  for (long long r = 0; r < count; ++r) {
    if (rows == nullptr) CRG_AllSignPatterns(p, r, row.data());
    const int* x = rows == nullptr ? row.data() : rows + r * p;
    for (int k = 0; k < p; ++k) values[static_cast<std::size_t>(r) + static_cast<std::size_t>(k) * count] = x[k];
  }
  return data::ZYL_WriteDataFile(s.initial.file, std::move(vars), static_cast<int>(count), values.data(), "Signs");
}

bool CRG_ReadFixSigns(const driver::RunContext& ctx, int p, const int* ordinal, int* signs) {
  const auto& s = *ctx.settings;
  auto& files = H().files;
  const int handle = s.initial.file;
  struct Closer {
    host::Files& f;
    int h;
    ~Closer() { f.SFCLDE(h); }
  } closer{files, handle};
  std::vector<host::FileVar> vars;
  if (!files.DSRDDICT(handle, vars)) {
    // The host has said why the file cannot be read; without the pattern
    // the analysis cannot go on.
    frame::error("CRG FIXSIGNS file not read.");
    return false;
  }
  const int v = static_cast<int>(vars.size());
  if (v < p) {
    frame::error("CRG Nvar less MOrd INI FIX.");
    return false;
  }
  if (v > p) frame::warn("CRG Nvar larger MOrd INI FIX.");
  for (int k = 0; k < p; ++k)
    if (vars[static_cast<std::size_t>(k)].width > 0) {
      frame::error("CRG non-num symbol INI FIX.");
      return false;
    }
  std::vector<host::FileValue> row;
  for (int c = 1; c <= s.initial.pattern; ++c) {
    if (!files.DSRDCASE(handle, row)) {
      frame::error("CRG Ncases less INI FIX.");
      return false;
    }
    for (int k = 0; k < p; ++k)
      if (static_cast<std::size_t>(k) >= row.size() || host::is_sysmis(row[static_cast<std::size_t>(k)].number)) {
        frame::error("CRG non-num symbol INI FIX.");
        return false;
      }
  }
  for (int k = 0; k < p; ++k) signs[ordinal[k]] = static_cast<int>(row[static_cast<std::size_t>(k)].number);
  return true;
}

}  // namespace oscat::catreg
