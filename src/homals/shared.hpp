// Procedure-level routines that the older procedures (ANACOR, HOMALS,
// OVERALS, PRINCALS) share: the memory message at entry, the chart set-up,
// the saving of object scores into the working file and the quantification
// matrix file. The numerics they share are kernels in src/scaling/
// (homogeneity.hpp, als.hpp, linalg.hpp).
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "frame/workspace.hpp"
#include "host/host.hpp"

namespace oscat::older {

// A numbered message with its class and severity; n = 0 says nothing.
struct Note {
  int n = 0, cls = 3, severity = 2;
};
// Each procedure's messages for a "varlist(max) [varlist(max) ...]" list.
struct VarlistNotes {
  Note no_lparen;  // fatal
  Note bad_max;    // the group gets maximum 0
  Note too_large;  // n = 0: the maximum is lowered to the limit silently
  int no_rparen;
};

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
  // What was found instead of what a message asked for: the token quoted,
  // or the end of the subcommand.
  std::string found() const {
    if (t_.kind == host::TokenKind::End) return "the end of the command";
    if (t_.kind == host::TokenKind::Slash) return "the end of the subcommand";
    const std::string t = shown();
    return !t.empty() && (t[0] == '\'' || t[0] == '"') ? t : "'" + t + "'";
  }
  // 1-based entry of `table` the current name matches, 0 for none.
  int match(host::KeywordTable table) const {
    return t_.kind == host::TokenKind::Name ? host::QABMCH(t_.text, table) : 0;
  }
  // Past the slashes to the next subcommand: its 1-based entry of `table`,
  // 0 for an unknown one, -1 at the end of the command.
  int next_subcommand(host::KeywordTable table) {
    while (t_.kind == host::TokenKind::Slash) next();
    return t_.kind == host::TokenKind::End ? -1 : match(table);
  }
  // "= n" with n >= at_least; otherwise warning `invalid` and `fallback`.
  int integer_setting(int at_least, int invalid, int fallback);
  // "= x" with x > 0; otherwise warning `invalid` and `fallback`.
  double positive_setting(int invalid, double fallback);
  // The closing parenthesis of a group; a missing one is warned about.
  void close_paren(int missing);
  // One list of ANALYSIS, a stretch of `vars`: 1 when read (the token after
  // it current), 0 at the end of the subcommand, -1 after error `bad_list`
  // with the subcommand skipped.
  int analysis_list(std::vector<int>& list, const std::vector<int>& vars, int bad_list);
  // "[rootname] [(dims)]" of SAVE; `invalid_dims` reports a bad count, given
  // the token as typed.
  void save_spec(std::string& root, int& dims, int no_rparen,
                 const std::function<void(const std::string&)>& invalid_dims);
  // "[OUT] (file)" of MATRIX: the file's handle, or 0 after error `bad_file`.
  int matrix_file(int bad_file, int no_rparen);
  host::Token t_;

  // Reads the list after the subcommand name, handing each group and its
  // maximum to `add`. False after a fatal error; `bad_max` is set when a
  // group's maximum was invalid.
  bool varlist_max(const VarlistNotes& notes, bool& bad_max,
                   const std::function<void(const std::vector<int>&, int)>& add);
};

// A second thread for the passes over the objects, started once per run and
// then only handed jobs. `split` shares the p dimensions out: the caller does
// the first half, the helper the rest; the dimensions of those passes are
// independent and each keeps its order of sums, so one or two threads give
// the same results.
class SecondThread {
 public:
  SecondThread() = default;
  SecondThread(const SecondThread&) = delete;
  SecondThread& operator=(const SecondThread&) = delete;
  ~SecondThread() { stop(); }
  // Starts the thread when `worth_it` and the machine has two cores; false
  // when it runs alone.
  bool start(bool worth_it);
  // fn(s0, s1) over dimensions 0..p-1.
  void split(int p, const std::function<void(int, int)>& fn);

 private:
  void loop();
  void stop();
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  const std::function<void(int, int)>* fn_ = nullptr;
  int s0_ = 0, s1_ = 0;
  bool pending_ = false, quit_ = false;
};

// Largest category maximum of a VARIABLES list: the category tables are
// K x p per variable, and codes above this are no categorical data.
inline constexpr double kMaxCategories = 9999;

// Appends the variables of `list` new to `vars` with maximum `mx`; one
// already there takes `mx` as its maximum.
void add_or_update(std::vector<int>& vars, std::vector<int>& max, const std::vector<int>& list, int mx);

// The number of objects a data pass gives: every case, or the first
// `nobserv` (0: all). Counted first so that every array is asked for once.
int count_objects(int nobserv);

// The category number of each analysis variable in the current case of a
// data pass: a whole number 1..K is its category; a missing value, a string
// variable, or any other value gives 0 (the last flagged as `odd`). The
// host's missing-value test is asked once per category value of a variable,
// not once per case.
class CategoryReader {
 public:
  CategoryReader(const std::vector<int>& vars, const std::vector<int>& K);
  int code(std::size_t j, bool& odd);

 private:
  const std::vector<int>& vars_;
  const std::vector<int>& K_;
  std::vector<char> string_;
  std::vector<std::vector<signed char>> missing_;  // per category: -1 unknown, 0 valid, 1 missing
};

// Offsets of consecutive blocks of sizes K (appended to `off`); their total.
long block_offsets(const std::vector<int>& K, std::vector<long>& off);

// False after the workspace note when the data pass could not be `read`, or
// after error `too_few` when there are fewer than 3 objects.
bool data_ready(bool read, int n, int too_few, frame::Workspace& ws);

// A numbered message (class, severity) with literal parameters.
void number(int n, int cls, int severity, std::vector<std::string> params = {});

// The entry's memory message: "<PROC> requires at least ........" with the
// amount over the dots, its unit and " of memory.", then the host's workspace
// note. "Insufficient memory." follows from the workspace that fell short.
void memory_shortfall(std::string_view procedure, double bytes);

// The entry's int arrays of `sizes` for `v` dictionary variables. When one is
// short: the memory message for them and the analysis' (5v + 250) v words,
// and false.
bool entry_memory(frame::Workspace& ws, std::string_view procedure, std::size_t v,
                  std::initializer_list<std::size_t> sizes);

// The workspace report after the data checks: "<PROC> has allocated
// ............." with the amount of `bytes` over the dots, its unit and
// "of memory.", in the listing.
void memory_allocated(std::string_view procedure, double bytes);

// The block a matrix file's values are gathered in before they are written:
// `count` doubles from `ws`. On a shortfall the listing says "To write matrix
// vector additional memory of ........" with the amount and "required.",
// error 10627 follows, and nullptr is returned.
double* matrix_vector(frame::Workspace& ws, std::size_t count);

// The rows of a quantification matrix file, gathered before anything is
// written so that a shortfall leaves no partial file: a row type, a level and
// a variable index (-1 none) per row, and `p` values.
class MatrixRows {
 public:
  struct Head {
    const char* type;
    std::string level;
    int j;
  };
  MatrixRows(std::size_t rows, int p) : p_(static_cast<std::size_t>(p)), values_(matrix_vector(ws_, rows * p_)) {
    heads_.reserve(rows);
  }
  bool ok() const { return values_ != nullptr; }
  template <class Value>
  bool write(const char* type, const std::string& level, int j, Value value) {
    double* v = values_ + heads_.size() * p_;
    for (std::size_t s = 0; s < p_; ++s) v[s] = value(static_cast<int>(s));
    heads_.push_back({type, level, j});
    return true;
  }
  const std::vector<Head>& heads() const { return heads_; }
  double value(std::size_t row, int s) const { return values_[row * p_ + static_cast<std::size_t>(s)]; }

 private:
  frame::Workspace ws_;
  std::size_t p_;
  double* values_;
  std::vector<Head> heads_;
};

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
  host::Msg value_title = 0; // d = 1: the title of the value axis (0: the dimension)
};
// Builds and emits the chart; killed when it has no points or an error was
// reported. False when nothing was emitted.
bool chart(const ChartSpec& spec, const std::vector<ChartPoint>& points);

}  // namespace oscat::older
