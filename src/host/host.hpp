// The procedures' side of the host interface.
//
// Every procedure reaches the outside world only through the services below.
// The host (engine/ in this repository, or an in-memory test host) implements
// each abstract service; the load notification binds one `Host` for the whole
// library (see bind_host). Operation names are the host's own names so that a
// reader can follow a procedure call by call.
//
// Conventions
//  - Dictionary indexes are 1-based; 0 means "no variable".
//  - The system-missing value is `SYSMIS`; a table cell holding it is shown as ".".
//  - Message handles (`Msg`) are small integers owned by the host for the
//    duration of one procedure call; 0 is "no message".
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace oscat::host {

// The host's system-missing value: the most negative finite double.
inline constexpr double SYSMIS = -std::numeric_limits<double>::max();
inline bool is_sysmis(double v) { return v == SYSMIS; }

using Msg = int;  // message / text handle; 0 = none

// ---------------------------------------------------------------- tokens ---
enum class TokenKind {
  End,      // end of the command (terminator or end of input)
  Name,     // identifier or keyword; `text` is upper-cased, `raw` as typed
  Number,   // `value` holds it; `text` as typed
  String,   // quoted string; `text` holds the unquoted contents
  Slash,    // /
  LParen,   // (
  RParen,   // )
  Equals,   // =
  Comma,    // ,
  Asterisk, // *
  Compare,  // < <= > >= <> ~= and the words LT LE GT GE EQ NE; `text` normalised
  Other     // any other punctuation; `text` holds it
};

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;   // upper-cased for names, as typed for numbers, contents for strings
  std::string raw;    // the token exactly as typed
  double value = 0;   // numbers only
  int position = 0;   // 1-based index of the token within the command
};

// Keyword table: 8-character upper-case fields, blank padded (shorter literals
// are treated as blank padded).
using KeywordTable = std::span<const char* const>;

class Tokens {
 public:
  virtual ~Tokens() = default;
  // Keep the current command's token state; status below 1 means success.
  virtual int SSTACK() = 0;
  // Drop the kept token state.
  virtual void SSDELS() = 0;
  // Position the stream so that the next SSNXT returns token `position`
  // (1-based). Position 1 is the first token after the command name.
  virtual void SSETPT(int position) = 0;
  // Next token, also made current.
  virtual const Token& SSNXT1() = 0;
  // Next token with `=` passed through like any other token (same as SSNXT1
  // in this host; both names are kept because procedures use both).
  virtual const Token& SSNXT2() = 0;
  // The current token (the last one returned).
  virtual const Token& current() const = 0;
  // Position of the current token (0 before the first SSNXT).
  virtual int position() const = 0;
  // Number of tokens in the command (excluding the End token).
  virtual int count() const = 0;
  // Skip to the end of the command.
  virtual void skip_command() = 0;

  // Variable lists with the TO convention (in dictionary order), starting at
  // the next token. The list ends before "/", "(", ")", the end of the command
  // or any token that cannot continue it; that token is left current and is
  // returned by the next SSNXT call again (the stream is positioned on it).
  // Unknown names: PRUVL reports "Variable ^1 not found." itself and returns 1.
  // Returns 0 on success, 1 on an error, 2 when the first token is not a name.
  virtual int PRUVL(std::vector<int>& vars) = 0;
  // As PRUVL, restricted to `allowed` (dictionary indexes). A name that exists
  // but is not in `allowed`, or does not exist, stops the list: returns 1 with
  // `bad` set to the name and reports nothing (the caller has its own message).
  // `also_end` names further words that end the list (e.g. "WITH").
  virtual int PRUVL2(std::vector<int>& vars, std::span<const int> allowed, std::string& bad,
                     std::span<const char* const> also_end = {}) = 0;
  // One variable list of any dictionary variables; unknown names return 1 with
  // `bad` set; nothing is reported.
  virtual int PRVRLT(std::vector<int>& vars, std::string& bad) = 0;
  // Value list: numbers (and THRU ranges expanded only when `ranges`)
  // up to ")" or "/" or the end; the closing token is left current.
  // Returns 0, or 1 when a token is neither a number nor a separator (`bad` set).
  virtual int PRVALT(std::vector<double>& values, std::string& bad) = 0;
  // The name of the command (a procedure's or one of the host's) whose words
  // begin at token `position`, when that token is no variable of the working
  // file; empty otherwise. Such a name inside a command means the command
  // before it was not ended with a period.
  virtual std::string command_at(int position) const {
    (void)position;
    return {};
  }
};

// Pure token helpers (no host state; implemented in src/host/keywords.cpp).
// 1-based position of `word` in `table` (8-character rules), 0 when none.
int QABMCH(std::string_view word, KeywordTable table);
// Whether `v` is a whole number representable as int32.
bool QDINT(double v);

// ------------------------------------------------------------ dictionary ---
struct MissingSpec {
  std::vector<double> values;           // discrete numeric user-missing values
  std::vector<std::string> strings;     // discrete string user-missing values
  bool has_range = false;               // LO THRU HI (either bound may be infinite)
  double lo = 0, hi = 0;
  bool empty() const { return values.empty() && strings.empty() && !has_range; }
};

struct VarInfo {
  int index = 0;           // 1-based dictionary index
  std::string name;
  int width = 0;           // 0 numeric, else string width in bytes
  std::string label;       // variable label, may be empty
  MissingSpec missing;
  bool is_string() const { return width > 0; }
};

class Dictionary {
 public:
  virtual ~Dictionary() = default;
  virtual int size() const = 0;                               // number of variables
  virtual const VarInfo& DICGET(int index) const = 0;         // 1..size()
  virtual int DICSCH(std::string_view name) const = 0;        // index or 0 (case-insensitive)
  virtual std::string VRLABG(int index) const = 0;            // label, or the name when none
  // Value label of a numeric / string value; empty when none.
  virtual std::string VLBLST(int index, double value) const = 0;
  virtual std::string VLBLST(int index, std::string_view value) const = 0;
  // All value labels of a variable (numeric keys), in ascending value order.
  virtual std::vector<std::pair<double, std::string>> value_labels(int index) const = 0;
  // Saved variables: DICCLR gives a blank numeric entry, DICPUT adds it to the
  // active dictionary (all existing cases get SYSMIS) and returns its index.
  virtual VarInfo DICCLR() const = 0;
  virtual int DICPUT(const VarInfo& v) = 0;
  virtual void VRLBLC(int index, std::string_view label) = 0;
  // Value-label maps for saved variables.
  virtual int KOVA_NEWVLMAP() = 0;
  virtual void KOVA_ADDVLPAIR(int map, double value, std::string_view label) = 0;
  virtual void attach_value_labels(int index, int map) = 0;
};

// ------------------------------------------------------------------ cases ---
class Cases {
 public:
  virtual ~Cases() = default;
  // Split file: number of split variables (0 = not split); set to 0 for the
  // duration of a procedure and restore afterwards.
  virtual int split_count() const = 0;
  virtual void set_split_count(int n) = 0;
  // Begin / end the procedure's access to the active file. XYBEG returns
  // non-zero when access was granted.
  virtual int XYBEG() = 0;
  virtual void XYENDF() = 0;
  // Prepare a data pass; `extra_vars` is the number of variables the procedure
  // will save (informational).
  virtual void OBINIT(int extra_vars = 0) = 0;
  // One pass: OBPINI, then OBSERV until it returns false, then OBPEND.
  // Cases rejected by the filter, or with a missing / non-positive weight, are
  // skipped by OBSERV and never seen.
  virtual void OBPINI() = 0;
  virtual bool OBSERV() = 0;
  virtual void OBPEND() = 0;
  // The current case (valid after OBSERV returned true).
  virtual double value(int var) const = 0;                 // numeric variable
  virtual std::string_view string_value(int var) const = 0;  // string variable (right-trimmed)
  virtual double case_weight() const = 0;                  // 1 when unweighted
  virtual int case_number() const = 0;                     // 1-based sequence number in the file
  virtual int weight_variable() const = 0;                 // 0 when unweighted
  virtual int case_count() const = 0;                      // cases in the active file
  // Missing-value tests for variable `var`.
  virtual bool QAMISS(int var, double v) const = 0;        // user- or system-missing
  virtual bool QAMISS(int var, std::string_view s) const = 0;
  virtual bool QLMISS(int var, double v) const = 0;        // user-missing only
  virtual bool INMISS(double v) const = 0;                 // system-missing
  // Saved variables: write a value of an added variable for case `case_number`.
  virtual void set_value(int var, int case_number, double v) = 0;

  // Column-wise reading of the cases one pass would visit, in the same order
  // (each call is a pass of its own: it leaves no current case). OBCOUNT:
  // how many there are. OBCOLUMN: the values of numeric variable `var` into
  // out[0 .. OBCOUNT()). OBCASES: their case weights and case numbers (either
  // may be null). The defaults run the case loop; a host that keeps its data
  // by column copies them without a call per case.
  virtual int OBCOUNT() {
    int n = 0;
    OBPINI();
    while (OBSERV()) ++n;
    OBPEND();
    return n;
  }
  virtual void OBCOLUMN(int var, double* out) {
    OBPINI();
    for (int i = 0; OBSERV(); ++i) out[i] = value(var);
    OBPEND();
  }
  virtual void OBCASES(double* weights, int* case_numbers) {
    OBPINI();
    for (int i = 0; OBSERV(); ++i) {
      if (weights != nullptr) weights[i] = case_weight();
      if (case_numbers != nullptr) case_numbers[i] = case_number();
    }
    OBPEND();
  }
};

// -------------------------------------------------------------- workspace ---
class Workspace {
 public:
  virtual ~Workspace() = default;
  // Ask for `bytes`; returns the block and sets `granted` to the bytes granted:
  // all of them, or 0 (nullptr) when the workspace limit would be exceeded.
  virtual void* GETMEM(std::size_t bytes, std::size_t& granted) = 0;
  virtual void FREMEM(void* block) = 0;
  virtual std::size_t available() const = 0;
  // Amount and unit for a memory message: "12.5" and "KB" etc.
  virtual std::pair<std::string, std::string> MEMALU(double bytes) const = 0;
  // Report the current workspace limit and use as a note.
  virtual void SHOMEM() = 0;
};

// Typed workspace block: `count` elements of T; `granted` receives the number
// of elements granted (0 on a shortfall, when nullptr is returned).
template <class T>
T* GETMEM(Workspace& ws, std::size_t count, std::size_t& granted) {
  std::size_t bytes = 0;
  void* p = ws.GETMEM(count * sizeof(T), bytes);
  granted = bytes / sizeof(T);
  return static_cast<T*>(p);
}

// ------------------------------------------------------------ value tables ---
// Sorted tables of distinct keys, each key carrying one double.
class ValueTables {
 public:
  virtual ~ValueTables() = default;
  virtual void TMOPEN() = 0;
  // New table whose keys are `key_words` 8-byte words; returns a handle > 0, 0 on failure.
  virtual int TMNEWT(int key_words) = 0;
  // Address of the double carried by `key` (padded/truncated to the key size),
  // inserting it with 0 when `insert` is set; nullptr when absent and not inserted.
  virtual double* TMGETV(int table, std::string_view key, bool insert, bool& is_new) = 0;
  virtual int TMPOIN(int table) const = 0;   // number of keys
  virtual int TMKEYL(int table) const = 0;   // key length in bytes
  // Sort ascending: as doubles when `numeric`, byte-wise otherwise.
  virtual void TMSORT(int table, bool numeric) = 0;
  virtual int TMSIZE(int table) const = 0;   // number of keys (after sorting: in order)
  virtual std::string_view TMKEY(int table, int i) const = 0;  // 1-based, in sorted order
  virtual double& TMVAL(int table, int i) = 0;
  virtual void TMDSCP(int table) = 0;   // discard contents
  virtual void TMFREE(int table) = 0;   // free the table
  virtual void TMCLOS() = 0;
};
// Key helpers: a numeric key is the 8 bytes of the double.
std::string numeric_key(double v);
double key_number(std::string_view key);

// --------------------------------------------------------------- messages ---
enum class Fmt { Count, General, Correlation, Significance, Fixed, Percent, Text };
struct Format {
  Fmt kind = Fmt::General;
  int decimals = -1;  // for Fixed / Percent; -1 = the format's default
};
inline Format BP_N_FORMAT() { return {Fmt::Count, 0}; }
inline Format BP_GENSTAT_FORMAT() { return {Fmt::General, -1}; }
inline Format BP_CORRELATION_FORMAT() { return {Fmt::Correlation, 3}; }
inline Format BP_SIGNIFICANCE_FORMAT() { return {Fmt::Significance, 3}; }
inline Format BP_FIXED_FORMAT(int decimals) { return {Fmt::Fixed, decimals}; }

// One entry of a message table: a key as the procedures state it (or a
// message number) and its English text.
struct CatalogueEntry {
  std::string_view key;
  std::string_view text;
};

class Messages {
 public:
  virtual ~Messages() = default;
  // A key the catalogue translates ("CPR Var ^1 zero variance.", "Summary").
  virtual Msg BP_CSTRING(std::string_view key) = 0;
  // Literal text (variable names, labels).
  virtual Msg BP_CSTRING_NO_TRANSLATE(std::string_view text) = 0;
  // A numbered catalogue text ("E62907^1", "60206", "10627").
  virtual Msg CX_NSTRING(std::string_view number) = 0;
  // Values as texts/parameters, carrying their format.
  virtual Msg BP_IVALUE(std::int64_t v, Format f = BP_N_FORMAT()) = 0;
  virtual Msg BP_LRVALUE(double v, Format f = BP_GENSTAT_FORMAT()) = 0;
  // Composite strings: fill the ^n slots of `pattern` in order. For a list
  // slot "[first:middle:last]n" add every element with BP_ADD_PARAMETER.
  virtual Msg BP_BEGIN_COMPSTRING(Msg pattern) = 0;
  virtual void BP_ADD_PARAMETER(Msg composite, Msg parameter) = 0;
  virtual Msg BP_END_COMPSTRING(Msg composite) = 0;
  // Report a message: class (1 note, 2 most reports, 3 syntax), severity
  // (1 note, 2 warning, 3 error: sets the error flag).
  virtual void BP_ERROR(Msg message, int cls, int severity) = 0;
  // Numbered message of the older procedures; severity as for BP_ERROR.
  virtual void ERROR(int number, int cls, int severity, std::vector<std::string> params = {}) = 0;
  // Text of a handle in the output language (for listings and names).
  virtual std::string text(Msg m) const = 0;
  // The host's error flag.
  virtual bool error_flag() const = 0;
  virtual void clear_error_flag() = 0;
  // Internal error: "Internal error in ^routine: ^condition".
  virtual void ASSERT(bool condition, std::string_view routine, std::string_view condition_text) = 0;
  // The library's message tables (see register_messages): the host adds the
  // entries to its catalogue, keeping the text it already has for a key. The
  // host copies what it keeps. A host without a catalogue shows keys as they are.
  virtual void add_catalogue(std::span<const CatalogueEntry> /*entries*/) {}
};

// ----------------------------------------------------------------- output ---
enum class Axis { Row, Column, Layer };
// A footnote / cell target.
struct CellRef {
  std::vector<int> categories;  // one category id per dimension, in declaration order
};

class Pivot {
 public:
  virtual ~Pivot() = default;
  // Procedure frame: one output block per procedure call.
  virtual void BP_PROCEDURE(std::string_view title) = 0;
  virtual void BP_END_PROCEDURE() = 0;
  virtual void BP_TABLE_ID(int id) = 0;
  virtual void BP_END_TABLE_IDS() = 0;
  // Headings group the items that follow until BP_END_HEADING.
  virtual void BP_BEGIN_HEADING(Msg title) = 0;
  virtual void BP_END_HEADING() = 0;

  // Tables. BEGIN returns a table handle (> 0); the table is current until END.
  virtual int BP_BEGIN_PIVOT_TABLE(Msg title, int table_id, Msg name = 0) = 0;
  // Dimensions (returns the dimension id, 0-based in declaration order).
  // Position/category dimensions label their categories with data labels;
  // the cell dimension holds the statistics. All three behave alike here.
  virtual int BP_POSITION_DIMENSION(Msg label, Axis axis) = 0;
  virtual int BP_CATEGORY_DIMENSION(Msg label, Axis axis) = 0;
  virtual int BP_CELL_DIMENSION(Msg label, Axis axis) = 0;
  // Hide the dimension's own label (the heading) while keeping its categories.
  virtual void BP_HIDE_DIMENSION_LABEL(int dim) = 0;
  // Groups nest categories under a labelled group within a dimension.
  virtual void BP_BEGIN_GROUP(int dim, Msg label) = 0;
  virtual void BP_END_GROUP(int dim) = 0;
  // Add a category (leaf) to the dimension within the open groups; returns
  // its category id (0-based within the dimension).
  virtual int BP_CELL_IN_CATEGORY(int dim, Msg label) = 0;
  // Cells: one category id per dimension, in declaration order.
  virtual void BP_SET_VALUE(const CellRef& cell, double value, Format f) = 0;
  virtual void BP_SET_TEXT(const CellRef& cell, Msg text) = 0;
  // Footnotes on the title, a category, or a cell.
  virtual void BP_ANNOTATE(Msg footnote) = 0;
  virtual void BP_ANNOTATE_CATEGORY(int dim, int category, Msg footnote) = 0;
  virtual void BP_ANNOTATE_CELL(const CellRef& cell, Msg footnote) = 0;
  virtual void BP_DATA_COL_MIN_MAX_WIDTH(int min_chars, int max_chars) = 0;
  virtual void BP_END_PIVOT_TABLE() = 0;
  // Discard the current table (nothing is emitted).
  virtual void BP_ABANDON_PIVOT_TABLE() = 0;

  // Labels for categories / dimensions.
  virtual Msg BP_VARIABLE(int var) = 0;                 // variable label or name
  virtual Msg BP_VARINDEX(int var) = 0;                 // same, as a dimension heading
  virtual Msg BP_VARVALUE(int var, double value) = 0;   // value label, else the value
  virtual Msg BP_VARVALUE(int var, std::string_view value) = 0;

  // Notes of the procedure ("Files Saved" / "Contents", "Variables Created or Modified").
  virtual void add_note(Msg group, Msg item, Msg contents) = 0;
};

// Listing output of the older procedures: plain text lines.
class Listing {
 public:
  virtual ~Listing() = default;
  virtual void PRTLNC(std::string_view line) = 0;  // print one line
  virtual void PUTSKP(int lines) = 0;              // blank lines
  virtual void PUTCPG() = 0;                       // new page (a new text block)
  virtual void PUTTAB(std::string_view title) = 0; // title of the current text block
  virtual bool LINECK(int lines) = 0;              // room for `lines` on this page?
  virtual int LINECT() const = 0;                  // lines printed on this page
};

// --------------------------------------------------------------- numerics ---
class Numerics {
 public:
  virtual ~Numerics() = default;
  // Uniform random number in [0, 1) from the host generator (SET SEED).
  virtual double URAND() = 0;
  virtual std::uint64_t seed() const = 0;
  // Progress: called once per iteration with "Iteration" and the counter.
  virtual void ODOMTR(std::string_view text, long counter) = 0;
  // Progress of a loop whose length is known (bootstrap samples, the runs of
  // a penalty path): counter of total, so that a host can tell the time left.
  // A host that has no use for the total shows the counter alone.
  virtual void ODOMTR(std::string_view text, long counter, long total) {
    (void)total;
    ODOMTR(text, counter);
  }
  // Interrupt flag set by Ctrl-C; iteration loops poll it (ATNJMP).
  virtual bool ATNJMP() const = 0;
};
// Pure numerics (implemented in src/host/numerics.cpp).
double CDFF(double f, double df1, double df2);   // upper tail P(F > f)
double SIGCHI(double chi2, double df);           // upper tail P(X2 > chi2)

// ------------------------------------------------------------------ files ---
struct FileVar {
  std::string name;
  int width = 0;          // 0 numeric, else string width
  std::string label;
  std::vector<std::pair<double, std::string>> value_labels;
  std::vector<std::pair<std::string, std::string>> string_value_labels;
};
struct FileValue {
  double number = SYSMIS;
  std::string text;       // for string variables
  static FileValue num(double v) { return {v, {}}; }
  static FileValue str(std::string s) { return {0, std::move(s)}; }
};

class Files {
 public:
  virtual ~Files() = default;
  // File specifications read from the token stream: a quoted path (or a bare
  // name). Returns a handle > 0 and sets `path`; 0 when the next token is no
  // file specification; -1 for "*" (the working data file).
  virtual int SFDFRO(std::string& path) = 0;   // for output
  virtual int SFDFRI(std::string& path) = 0;   // for input
  // Same file? (two handles)
  virtual bool QSAMEFILESPEC(int a, int b) const = 0;
  // Data files: open with a dictionary, write cases, close. Writing goes to a
  // temporary name that SFCLDE renames into place; false on failure.
  virtual bool DSDICTX(int handle, const std::vector<FileVar>& vars) = 0;
  virtual bool DSWRCASE(int handle, const std::vector<FileValue>& values) = 0;
  // Reading: open and read the dictionary, then cases; false at end or on error.
  virtual bool DSRDDICT(int handle, std::vector<FileVar>& vars) = 0;
  virtual bool DSRDCASE(int handle, std::vector<FileValue>& values) = 0;
  virtual void SFCLDE(int handle) = 0;
  // Matrix files (CSV with ROWTYPE_, VARNAME_, ... columns).
  virtual void MTDINI() = 0;
  virtual int MTDFRO(std::string& path) = 0;   // as SFDFRO, for a matrix file
  virtual bool MTDDIC(int handle, const std::vector<FileVar>& vars) = 0;
  virtual bool MTDWRT(int handle, const std::vector<FileValue>& record) = 0;
  virtual void MTDCLS(int handle) = 0;
  // Path of a handle.
  virtual std::string path(int handle) const = 0;
};

// ----------------------------------------------------------------- charts ---
enum class ChartFrame { Title, Subtitle, Footnote };
// Vector: a line from the origin to each row's point (loadings in a biplot).
enum class ElementKind { Point, Line, Polygon, Bar, Vector };
// How an element's points are drawn: filled, or hollow (supplementary points;
// a hollow vector is dashed).
enum class ElementDot { Filled, Hollow };

class Charts {
 public:
  virtual ~Charts() = default;
  // Open a chart description (template name such as "CORRESP"); returns a handle > 0.
  virtual int CX_CREATECHARTDESCRIPTION(std::string_view chart_template) = 0;
  virtual void CX_ADDFRAMEWITHLABEL(int chart, ChartFrame frame, Msg text) = 0;
  // Data columns: returns the column handle.
  virtual int CX_ADDAGGREGATE(int chart, Msg name, bool is_text) = 0;
  // Axes: x and y columns plotted against each other.
  virtual void CX_ADDXYDIMAXISWITHSAMERATIO(int chart, int x_col, int y_col, Msg x_label, Msg y_label) = 0;
  virtual void CX_ADDXYDIMENSIONWITHAXIS(int chart, int x_col, int y_col, Msg x_label, Msg y_label) = 0;
  // A one-dimensional axis (categories along x, values along y) is the same
  // call with a text x column.
  // Elements: points, lines (in row order) or polygons (closed, by group);
  // `group_col` (0 none) splits the series and styles/legends them.
  virtual int CX_ADDXYELEMENTEX(int chart, ElementKind kind, int group_col) = 0;
  // Scatterplot matrix of several numeric columns.
  virtual void CX_ADDSPLOMELEMENT(int chart, std::span<const int> cols, Msg label) = 0;
  // Point labels from a column, cut to `max_chars` (0: unlabelled).
  virtual void CX_ADDLABELING(int chart, int element, int label_col, int max_chars) = 0;
  // Restrict an element to the rows that have a value in `col` (a number that
  // is not missing, or a non-empty text); by default an element draws every
  // row. Lets one chart hold points and vectors without drawing either twice.
  virtual void CX_SETELEMENTROWS(int /*chart*/, int /*element*/, int /*col*/) {}
  virtual void CX_SETELEMENTDOT(int /*chart*/, int /*element*/, ElementDot /*dot*/) {}
  virtual void CX_ADDLEGENDFRAMEEX(int chart, Msg title) = 0;
  virtual void CX_ADDXREFERENCELINE(int chart, double x) = 0;
  virtual void CX_ADDYREFERENCELINE(int chart, double y) = 0;
  // Data: one row per point; values for each column (text or number; SYSMIS
  // numbers are not drawn).
  virtual void CX_ADDROW(int chart) = 0;
  virtual void CX_ADDDATAVALUE(int chart, int col, double value) = 0;
  virtual void CX_ADDDATATEXT(int chart, int col, Msg text) = 0;
  // Emit into the output, or discard.
  virtual void CX_ENDCHART(int chart) = 0;
  virtual void CX_KILLCHART(int chart) = 0;
  // End chart work for this procedure run (discards unfinished charts).
  virtual void CX_TERMINATE() = 0;
};

// ------------------------------------------------------------------- host ---
struct Host {
  Tokens& tokens;
  Dictionary& dict;
  Cases& cases;
  Workspace& workspace;
  ValueTables& tables;
  Messages& msg;
  Pivot& pivot;
  Listing& listing;
  Numerics& num;
  Files& files;
  Charts& charts;
};

// Bind the host (the load notification does this); procedures reach it via H().
void bind_host(Host* host);
Host& H();
bool host_bound();
// Hand every message table of the library to the bound host, in a fixed order
// (src/host/message_tables.cpp). The load notification does this after
// bind_host; so must anything else that binds a host for the procedures.
void register_messages();

}  // namespace oscat::host
