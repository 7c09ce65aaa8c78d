// Procedure-level routines that the older procedures (ANACOR, HOMALS,
// OVERALS, PRINCALS) share: the memory message at entry, the chart set-up,
// the saving of object scores into the working file and the quantification
// matrix file. The numerics they share are kernels in src/scaling/
// (homogeneity.hpp, als.hpp, linalg.hpp).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/host.hpp"

namespace oscat::older {

// The cursor the older procedures' parsers share: the current token and the
// moves their grammars make over the host's token stream.
class TokenCursor {
 protected:
  static bool ends(const host::Token& t) {
    return t.kind == host::TokenKind::Slash || t.kind == host::TokenKind::End;
  }
  const host::Token& next() {
    t_ = host::H().tokens.SSNXT2();
    return t_;
  }
  // The current token is read again by the next call of next().
  void unread() { host::H().tokens.SSETPT(t_.position); }
  void next_skip_equals() {
    next();
    if (t_.kind == host::TokenKind::Equals) next();
  }
  void skip_subcommand() {
    while (!ends(t_)) next();
  }
  // The token as the user typed it, for messages.
  std::string shown() const { return t_.raw.empty() ? t_.text : t_.raw; }
  // 1-based entry of `table` the current name matches, 0 for none.
  int match(host::KeywordTable table) const {
    return t_.kind == host::TokenKind::Name ? host::QABMCH(t_.text, table) : 0;
  }
  host::Token t_;
};

// A numbered message (class, severity) with literal parameters.
void number(int n, int cls, int severity, std::vector<std::string> params = {});

// The entry's memory message: "<PROC> requires at least ........" with the
// amount over the dots, its unit and " of memory.", then the host's workspace
// note. "Insufficient memory." follows from the workspace that fell short.
void memory_shortfall(std::string_view procedure, double bytes);

// Which procedure saves: its numbered "name exists" error and its default root.
struct SaveCodes {
  int name_exists;         // 17629 HOMALS, 17734 PRINCALS, 18029 OVERALS
  const char* root;        // "HOM", "PRI", "OVE"
  int no_unique_name;      // the unique-name failure
};
inline constexpr SaveCodes kHomalsSave{17629, "HOM", 17635};
inline constexpr SaveCodes kPrincalsSave{17734, "PRI", 17635};
inline constexpr SaveCodes kOveralsSave{18029, "OVE", 17635};

// Name of dimension `d` from `root`: the root cut (never inside a UTF-8
// sequence) so that root, "_" and the digits of d fit in 8 bytes.
std::string save_name(std::string_view root, int d);

// Adds the object scores of dimensions 1..dims as new numeric variables of the
// working file. X is n x ld (column-major), object i belonging to case
// case_numbers[i]; cases not analysed stay system-missing. With a root whose
// names are all free those names are used; otherwise (after `name_exists`
// when a root was given) the procedure's default root with the first free
// counter. Each variable is listed under "Variables Created or Modified".
// Returns the number of variables made.
int save_object_scores(const SaveCodes& codes, std::string_view root, int dims, int n, const double* X, int ld,
                       const std::vector<int>& case_numbers);

// One analysis variable's categories for the quantification matrix file.
struct QuantVariable {
  int var;                  // dictionary index
  int K;                    // categories 1..K
  const double* Y;          // K x p quantifications (leading dimension ldy)
  int ldy;
};
// Writes one "QUANT" record per category of every variable (LEVEL_ the value
// label or the value, VARNAME_ the name, then DIM1..DIMp) to the matrix file
// `handle` and notes it under "Files Saved". False when the host refused it.
bool write_quantifications(int handle, const std::vector<QuantVariable>& vars, int p);

// The chart set-up of the older procedures: a chart description for d
// dimensions (d = 1 a one-dimensional chart, 2 an equal-ratio scatter, 3 or
// more a scatterplot matrix) of the dimensions first..first+d-1.
struct ChartPoint {
  host::Msg label = 0;      // point label (0: none)
  host::Msg group = 0;      // group (0: none); more than one group adds a legend
  std::vector<double> xy;   // coordinates, one per solution dimension
};
struct ChartSpec {
  const char* chart_template = "HOMALS";
  host::Msg title = 0;       // composite "E61013^1^2" is used when d <= 0
  std::string_view name;     // for that composite
  host::Msg frame_label = 0; // optional footnote frame (E61003)
  int first = 0;             // first dimension shown (0-based)
  int d = 2;                 // number of dimensions shown
  int label_length = 12;     // 0: unlabelled
  host::Msg legend = 0;
};
// Builds and emits the chart; killed when it has no points or an error was
// reported. False when nothing was emitted.
bool chart(const ChartSpec& spec, const std::vector<ChartPoint>& points);

}  // namespace oscat::older
