// Settings of the CATPCA, CATREG and MULTIPLE CORRESPONDENCE commands and the
// parsers that fill them.
//
// The driver calls, in this order:
//   CommandSettings s; s.kind = ...;
//   scan_subcommands(s)   -> s.positions
//   parse_variables(s)    -> s.vars.variables, s.vars.m
//   (driver allocates its per-variable workspace arrays)
//   parse_remaining(s)    -> everything else, in the fixed order, plus the
//                            cross-subcommand checks
// Each returns false when an error (severity 3) was reported; the host's error
// flag is set in that case as well.
//
// Index conventions: dictionary indexes are 1-based (host convention). Every
// per-variable vector below is indexed by the 0-based position in
// `vars.variables` (AnalysisVariables order after ANALYSIS: the m_a analysis
// variables first, in ANALYSIS order, then the remaining VARIABLES entries),
// and has m entries once parse_remaining has run. Variable lists inside
// PRINT/PLOT settings hold such 0-based positions, not dictionary indexes.
// These lists are small (m entries); the large data arrays stay in the host
// workspace, owned by the driver.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "host/host.hpp"
#include "scaling/levels.hpp"

namespace oscat::syntax {

enum class ProcedureKind : int { Catpca = 1, Catreg = 2, Mcorresp = 3 };

// Subcommands, one number each across the three procedures; the scan maps
// a procedure's keyword table onto them.
namespace sub {
inline constexpr int VARIABLES = 1, ANALYSIS = 2, MAXITER = 3, CRITITER = 4, PRINT = 5,
                     PLOT = 6, OUTFILE = 7, DISCRETIZATION = 8, MISSING = 9,
                     SUPPLEMENTARY = 10, SAVE = 11, RESAMPLE = 12;
// CATPCA / MCORRESP
inline constexpr int DIMENSION = 13, CONFIGURATION = 14, NORMALIZATION = 15, ROTATION = 16;
// CATREG (CONVERGE is folded into CRITITER by the scan)
inline constexpr int INITIAL = 17, CONVERGE = 18, REGULARIZATION = 19;
inline constexpr int MAX = 19;
}  // namespace sub

// The subcommand keyword table of a procedure (16, 15 or 15 fields).
host::KeywordTable subcommand_table(ProcedureKind kind);

// Scaling levels (`mlevel`) and the level record are the kernels' own.
using scaling::MNOMINAL;
using scaling::NOMINAL;
using scaling::NUMERICAL;
using scaling::ORDINAL;
using scaling::ScalingLevelRecord;
using scaling::SPNOM;
using scaling::SPORD;

// One entry per subcommand number (index 1..sub::MAX; index 0 unused).
// 0 absent; > 0 token position of the first token after the keyword;
// < 0 given more than once.
struct SubcommandPositions {
  std::array<int, sub::MAX + 1> pos{};
  int operator[](int subcommand) const { return pos[static_cast<std::size_t>(subcommand)]; }
  int& operator[](int subcommand) { return pos[static_cast<std::size_t>(subcommand)]; }
};

struct VariableSettings {
  std::vector<int> variables;                // AnalysisVariables (dictionary indexes)
  int m = 0;                                 // VARIABLES count
  int m_a = 0;                               // analysis variables (first m_a of `variables`)
  std::vector<ScalingLevelRecord> levels;    // per variable; non-analysis entries hold defaults
  std::vector<double> weights;               // variable weights (default 1)
  // CATREG: variables[0] is the dependent, variables[1..m_a-1] the predictors.
  // p: predictors whose level is ORDINAL or SPORD (0 when m_a < 2).
  int ordinal_predictors = 0;
  double active_weight_sum = 0;              // sum of weights of active analysis variables
};

struct IterationSettings {
  int maxiter = 100;
  double crititer = 0.00001;
};

// Discretization method codes (DiscretizationSettings::method).
inline constexpr double DISCR_NONE = 0, DISCR_RANKING = 1, DISCR_MULTIPLYING = 2,
                        DISCR_GROUPING_UNIFORM = 3, DISCR_GROUPING_NORMAL = 4;
// A negative method is GROUPING with EQINTV, the width being -method.

struct DiscretizationSettings {
  std::vector<double> method;       // per variable; 0 = not set (defaults applied by the data set-up)
  std::vector<int> ncat;            // requested number of categories (0 when not applicable)
  std::vector<int> ncat_effective;  // as requested; the set-up lowers / marks it
};

// Missing-value treatment codes.
inline constexpr int MISS_PASSIVE_EXTRACAT = 1, MISS_PASSIVE_MODE = 2, MISS_PASSIVE_RANDOM = 3,
                     MISS_ACTIVE_EXTRACAT = 4, MISS_ACTIVE_MODE = 5, MISS_ACTIVE_RANDOM = 6,
                     MISS_LISTWISE = 7;
static_assert(MISS_ACTIVE_EXTRACAT == scaling::MISS_ACTIVE_EXTRACAT);

struct MissingSettings {
  std::vector<int> code;  // per variable, 1..7 after parsing
};

// One entry of the SUPPLEMENTARY OBJECT list, as written; the case numbers
// are checked against the data after the second pass.
struct SupplementaryObject {
  enum Kind { Case, Range, Invalid, Reversed } kind = Case;
  double first = 0, last = 0;  // a case number, or the two ends of a THRU range
  std::string text;            // the entry as typed, for messages
};

struct SupplementarySettings {
  std::vector<int> variable;   // per variable: 1 when supplementary (CATPCA, MCORRESP)
  std::vector<SupplementaryObject> objects;  // the OBJECT list
  bool objects_given = false;  // an OBJECT list was given (it may hold no entry)
  int active_variables = 0;    // analysis variables that are not supplementary
  bool has_objects() const { return objects_given; }
};

// Defaults per procedure are applied by parse_remaining (also when PRINT is absent).
struct PrintSettings {
  bool descrip = true, history = false, vaf = false, coeff = false, corr = false,
       ocorr = false, object = false, quant = false, loading = false, discrim = false,
       r = false, anova = false, regu = false;
  std::vector<int> descrip_vars;  // positions; filled with all variables by default
  std::vector<int> quant_vars;    // positions (analysis variables); empty = all
  int object_label_var = -1;      // position of the variable that labels objects, -1 none
  bool loading_sort = false;      // CATPCA LOADING(SORT)
};

struct PlotRequest {
  bool on = false;
  std::vector<int> vars;           // positions; empty = all applicable variables
  std::vector<int> centroid_vars;  // LOADING(CENTROID(...)), PROJCENT(var)
  bool loading_vars_given = false; // LOADING(...) / BIPLOT(LOADING(...)) named variables
  int label_size = 20;             // label length (0 .. 20)
  int dims = 0;                    // TRANS/RESID (var (n)): dimensions to plot; 0 = all
};

// Ellipse groups: 0 loadings (LDELLARE, in MCORRESP DMELLARE), 1 categories
// (CTELLARE), 2 objects (OBELLARE).
struct EllipseGroup {
  double measure = 1;    // 1 AREA, 2 STDEV
  double threshold = 0;
  double decimals = 1;   // decimals of the threshold as written
  double points = 40;
  int direction = 0;     // +1 above, -1 below, 0 none given
  bool requested = false;
};

struct PlotSettings {
  PlotRequest trans, resid, object, category, jointcat, biplot, loading, triplot, projcent,
      vaf, discrim, regu;
  int ndim_lo = 0, ndim_hi = 0;               // NDIM(d1, d2); 0 = default
  std::array<EllipseGroup, 3> ellipse{{{1, 0, 1, 40, 0, false}, {1, 0, 1, 40, 0, false},
                                       {2, 2, 1, 40, 0, false}}};
  std::vector<double> regu_penalties;          // CATREG ENET REGU(list)
  bool given = false;                          // a PLOT subcommand was present
};

struct SaveRequest {
  bool on = false;
  std::string root;  // root name (default per keyword)
  int dims = 0;      // dimensions to save; 0 = as many as the solution has
};

struct SaveSettings {
  SaveRequest trdata, object, approx, pre, res;
  std::array<SaveRequest, 3> ellarea;  // LDELLARE/DMELLARE, CTELLARE, OBELLARE
};

struct OutfileRequest {
  int handle = 0;     // host file handle; 0 none
  std::string path;
};

struct OutfileSettings {
  OutfileRequest trdata, discrdat, object, approx, ellcoord;
};

struct ResampleSettings {
  int method = 0;        // 0 none, 1 CROSSVAL, 2 BOOTSTRAP
  int count = 0;
  bool balanced = true;  // CATPCA, MCORRESP
  bool procrustes = true;
  int level = 95;        // confidence level in percent
};

enum class RegMethod : int { None = 0, Ridge = 1, Lasso = 2, ElasticNet = 3 };

// A penalty list: start, stop and step (a step of 0 is the start alone).
struct PenaltyRange {
  double start = 0, stop = 0, step = 0;
};

struct RegularizationSettings {
  RegMethod method = RegMethod::None;
  PenaltyRange first;   // ridge and lasso penalty; the ridge one for ENET
  PenaltyRange second;  // the lasso penalty of ENET
  int file = 0;
  std::string path;
};

struct DimensionSettings {
  int p = 2;
};

struct NormalizationSettings {
  double q = -1;       // -1 VPRINCIPAL, 1 OPRINCIPAL, 0 SYMMETRICAL, 2 (none) INDEPENDENT, or the number given
  double e_obj = 0;    // exponent of the object scores, (1 + q) / 2
  double e_var = 1;    // exponent of the variables, (1 - q) / 2
  int keyword = 1;     // 1 VPRINCIP .. 4 INDEPEND; 0 a number was given
  bool independent() const { return keyword == 4; }
};

struct ConfigurationSettings {
  int mode = 0;  // 0 none, 1 INITIAL, 2 FIXED
  int file = 0;
  std::string path;
  bool fixed() const { return mode == 2; }
};

// Rotation method codes.
inline constexpr int ROT_NONE = 0, ROT_VARIMAX = 1, ROT_EQUAMAX = 2, ROT_QUARTIMAX = 3,
                     ROT_OBLIMIN = 4, ROT_PROMAX = 7;

struct RotationSettings {
  int method = ROT_NONE;
  double param = 0;     // OBLIMIN delta, PROMAX kappa
  bool kaiser = true;
};

struct InitialSettings {
  enum Type : int { Numerical = 0, Random = 1, Multistart = 2, Fixsigns = 3 };
  int type = Numerical;
  double threshold = 101.0; // MULTISTA percentage; -1 for ALL
  int pattern = 0;          // FIXSIGNS case number
  int file = 0;
  std::string path;
};

struct CommandSettings {
  ProcedureKind kind = ProcedureKind::Catpca;
  SubcommandPositions positions;
  VariableSettings vars;
  IterationSettings iter;
  DiscretizationSettings discr;
  MissingSettings missing;
  SupplementarySettings supp;
  PrintSettings print;
  PlotSettings plot;
  SaveSettings save;
  OutfileSettings outfile;
  ResampleSettings resample;
  RegularizationSettings regu;
  DimensionSettings dim;
  NormalizationSettings norm;
  ConfigurationSettings config;
  RotationSettings rotation;
  InitialSettings initial;
};

// Subcommand scan: fills s.positions. False when an error was reported.
bool scan_subcommands(CommandSettings& s);
// VARIABLES: fills s.vars.variables and s.vars.m. False on error or m == 0.
bool parse_variables(CommandSettings& s);
// Every other subcommand in the fixed order, then the cross-subcommand checks.
bool parse_remaining(CommandSettings& s);

}  // namespace oscat::syntax
