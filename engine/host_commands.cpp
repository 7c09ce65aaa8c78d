#include "engine/host_commands.hpp"

#include <cmath>
#include <limits>
#include <optional>

#include "engine/engine.hpp"

namespace oscat::engine {

namespace {
using host::Token;
using host::TokenKind;

const char* const kNoData = "No working data file.";
const char* const kNotFound = "Variable ^1 not found.";
const char* const kSyntax = "Syntax error near ^1.";
const char* const kExpected = "Expected ^1 near ^2.";

// A small recursive-descent reader over the engine's token stream. The first
// error is reported and every later check is skipped, so a command reports
// one clear problem and changes nothing.
class Reader {
 public:
  explicit Reader(Engine& e) : e_(e), t_(e.tokens()) {}

  Token next() { return t_.SSNXT1(); }
  Token peek() {
    Token tok = t_.SSNXT1();
    if (tok.kind != TokenKind::End) t_.SSETPT(t_.position());
    return tok;
  }
  bool ok() const { return !failed_; }
  bool fail(const std::string& key, const std::vector<std::string>& params) {
    if (!failed_) e_.report(key, params, 3, 3);
    failed_ = true;
    return false;
  }
  // After a failure at `tok`: a command name there means the command before
  // it lacks its period.
  void period_hint(const Token& tok) {
    const std::string cmd = t_.command_at(tok.position);
    if (!cmd.empty()) e_.report("Period missing before ^1.", {cmd}, 1, 1);
  }
  static std::string shown(const Token& tok) {
    if (tok.kind == TokenKind::End) return "end of command";
    return tok.raw.empty() ? tok.text : tok.raw;
  }
  bool syntax(const Token& tok) {
    const bool first = !failed_;
    fail(kSyntax, {shown(tok)});
    if (first) period_hint(tok);
    return false;
  }
  bool expected(const std::string& what, const Token& tok) {
    const bool first = !failed_;
    fail(kExpected, {what, shown(tok)});
    if (first) period_hint(tok);
    return false;
  }
  bool is_name(const Token& tok, const char* word) const { return tok.kind == TokenKind::Name && tok.text == word; }
  // Skip an optional "=".
  void optional_equals() {
    if (peek().kind == TokenKind::Equals) next();
  }
  bool expect_end() {
    Token tok = next();
    if (tok.kind != TokenKind::End) return syntax(tok);
    return true;
  }
  bool need_data() {
    if (e_.dictionary().size() == 0) return fail(kNoData, {});
    return true;
  }
  // One variable list (with TO and ALL); reports unknown names.
  bool var_list(std::vector<int>& vars) {
    std::string bad;
    vars.clear();
    int rc = t_.PRVRLT(vars, bad);
    if (rc == 1) {
      const bool first = !failed_;
      fail(kNotFound, {bad});
      if (first) period_hint(t_.current());
      return false;
    }
    if (rc != 0 || vars.empty()) return fail("Expected a variable name near ^1.", {shown(peek())});
    return true;
  }
  // One variable name.
  bool variable(int& index) {
    Token tok = next();
    if (tok.kind != TokenKind::Name) return fail("Expected a variable name near ^1.", {shown(tok)});
    index = e_.dictionary().DICSCH(tok.text);
    if (index == 0) {
      const bool first = !failed_;
      fail(kNotFound, {tok.raw.empty() ? tok.text : tok.raw});
      if (first) period_hint(tok);
      return false;
    }
    return true;
  }
  const std::string& name(int index) { return e_.dictionary().DICGET(index).name; }

 private:
  Engine& e_;
  host::Tokens& t_;
  bool failed_ = false;
};

// ------------------------------------------------------------- GET DATA ---
void get_data(Engine& e) {
  Reader r(e);
  std::optional<std::string> file;
  for (Token tok = r.next(); tok.kind != TokenKind::End && r.ok(); tok = r.next()) {
    if (tok.kind == TokenKind::Slash) continue;
    if (r.is_name(tok, "TYPE")) {
      r.optional_equals();
      Token type = r.next();
      if (!r.is_name(type, "CSV")) r.expected("TYPE=CSV", type);
    } else if (r.is_name(tok, "FILE")) {
      r.optional_equals();
      Token path = r.next();
      if (path.kind != TokenKind::String || path.text.empty()) r.expected("A quoted file name", path);
      else file = path.text;
    } else {
      r.syntax(tok);
    }
  }
  if (!r.ok()) return;
  if (!file) {
    r.fail(kExpected, {"/FILE='name'", "end of command"});
    return;
  }
  std::string error;
  const std::string path = e.files().resolve(*file);
  if (!e.load_data(path, error)) {
    // Say it with the name the user wrote, not the machine's absolute path.
    for (std::size_t at = error.find(path); at != std::string::npos; at = error.find(path, at + file->size()))
      error.replace(at, path.size(), *file);
    r.fail("File ^1 cannot be read: ^2.", {*file, error});
    return;
  }
  e.files().note_read(path);
  for (const auto& note : e.active_file().read_notes()) e.report(note.key, note.params, note.severity, note.severity);
}

// ------------------------------------------------------ VARIABLE LABELS ---
void variable_labels(Engine& e) {
  Reader r(e);
  if (!r.need_data()) return;
  std::vector<std::pair<int, std::string>> labels;
  for (Token tok = r.peek(); tok.kind != TokenKind::End && r.ok(); tok = r.peek()) {
    if (tok.kind == TokenKind::Slash) {
      r.next();
      continue;
    }
    int var = 0;
    if (!r.variable(var)) break;
    Token label = r.next();
    if (label.kind != TokenKind::String) {
      r.expected("A quoted label", label);
      break;
    }
    labels.emplace_back(var, label.text);
  }
  if (!r.ok()) return;
  if (labels.empty()) {
    r.fail("Expected a variable name near ^1.", {"end of command"});
    return;
  }
  for (auto& [var, label] : labels) e.dictionary().set_label(var, label);
}

// --------------------------------------------------------- VALUE LABELS ---
void value_labels(Engine& e) {
  Reader r(e);
  if (!r.need_data()) return;
  struct Set {
    std::vector<int> vars;
    bool strings = false;
    std::vector<std::pair<double, std::string>> numeric;
    std::vector<std::pair<std::string, std::string>> text;
  };
  std::vector<Set> sets;
  for (Token tok = r.peek(); tok.kind != TokenKind::End && r.ok(); tok = r.peek()) {
    if (tok.kind == TokenKind::Slash) {
      r.next();
      continue;
    }
    Set s;
    if (!r.var_list(s.vars)) break;
    s.strings = e.dictionary().DICGET(s.vars[0]).is_string();
    for (int v : s.vars) {
      if (e.dictionary().DICGET(v).is_string() != s.strings) {
        r.fail("String variable ^1 not allowed.", {r.name(s.strings ? s.vars[0] : v)});
        break;
      }
    }
    while (r.ok()) {
      Token value = r.peek();
      if (value.kind == TokenKind::End || value.kind == TokenKind::Slash) break;
      r.next();
      if (s.strings ? value.kind != TokenKind::String : value.kind != TokenKind::Number) {
        if (value.kind == TokenKind::Number || value.kind == TokenKind::String)
          r.fail("Invalid value ^1 for ^2.", {Reader::shown(value), r.name(s.vars[0])});
        else
          r.expected(s.strings ? "A quoted value" : "A value", value);
        break;
      }
      Token label = r.next();
      if (label.kind != TokenKind::String) {
        r.expected("A quoted label", label);
        break;
      }
      if (s.strings) s.text.emplace_back(value.text, label.text);
      else s.numeric.emplace_back(value.value, label.text);
    }
    sets.push_back(std::move(s));
  }
  if (!r.ok()) return;
  if (sets.empty()) {
    r.fail("Expected a variable name near ^1.", {"end of command"});
    return;
  }
  // VALUE LABELS replaces the labels of the variables it names.
  DictionaryStore& d = e.dictionary();
  for (const auto& s : sets) {
    for (int v : s.vars) {
      d.clear_value_labels(v);
      for (const auto& [value, label] : s.numeric) d.set_value_label(v, value, label);
      for (const auto& [value, label] : s.text) d.set_string_value_label(v, value, label);
    }
  }
}

// ------------------------------------------------------- MISSING VALUES ---
// Reads the parenthesised list after the variables; the "(" is already read.
// `first_string` / `first_number` receive the first value of each kind as typed.
bool missing_list(Reader& r, host::MissingSpec& spec, std::string& first_string, std::string& first_number) {
  const double inf = std::numeric_limits<double>::infinity();
  auto range_end = [&](double& hi, Token& t) {
    t = r.next();
    if (t.kind == TokenKind::Number) hi = t.value;
    else if (r.is_name(t, "HI") || r.is_name(t, "HIGHEST")) hi = inf;
    else return r.expected("A number or HI", t);
    return true;
  };
  for (Token tok = r.next();; tok = r.next()) {
    if (tok.kind == TokenKind::RParen) return true;
    if (tok.kind == TokenKind::Comma) continue;
    if (tok.kind == TokenKind::String) {
      spec.strings.push_back(tok.text);
      if (first_string.empty()) first_string = Reader::shown(tok);
    } else if (tok.kind == TokenKind::Number || r.is_name(tok, "LO") || r.is_name(tok, "LOWEST")) {
      if (first_number.empty()) first_number = Reader::shown(tok);
      double lo = tok.kind == TokenKind::Number ? tok.value : -inf;
      Token t = r.peek();
      if (r.is_name(t, "THRU")) {
        r.next();
        double hi = 0;
        Token end;
        if (!range_end(hi, end)) return false;
        if (spec.has_range)
          return r.fail("Only one range of missing values is allowed.", {Reader::shown(tok) + " THRU " + Reader::shown(end)});
        if (lo > hi) return r.fail("Invalid range ^1 THRU ^2.", {Reader::shown(tok), Reader::shown(end)});
        spec.has_range = true;
        spec.lo = lo;
        spec.hi = hi;
      } else if (tok.kind != TokenKind::Number) {
        return r.expected("THRU", t);
      } else {
        spec.values.push_back(tok.value);
      }
    } else if (tok.kind == TokenKind::End) {
      return r.expected(")", tok);
    } else {
      return r.syntax(tok);
    }
  }
}

void missing_values(Engine& e) {
  Reader r(e);
  if (!r.need_data()) return;
  std::vector<std::pair<std::vector<int>, host::MissingSpec>> sets;
  for (Token tok = r.peek(); tok.kind != TokenKind::End && r.ok(); tok = r.peek()) {
    if (tok.kind == TokenKind::Slash) {
      r.next();
      continue;
    }
    std::vector<int> vars;
    if (!r.var_list(vars)) break;
    Token open = r.next();
    if (open.kind != TokenKind::LParen) {
      r.expected("(", open);
      break;
    }
    host::MissingSpec spec;
    std::string first_string, first_number;
    if (!missing_list(r, spec, first_string, first_number)) break;
    for (int v : vars) {
      bool str = e.dictionary().DICGET(v).is_string();
      if ((str && !first_number.empty()) || (!str && !first_string.empty())) {
        // The command changes nothing on an error; say so, or the other
        // variables of the list would silently keep counting the value.
        r.fail(str ? "Numeric missing value ^1 for string variable ^2." : "String missing value ^1 for numeric variable ^2.",
               {str ? first_number : first_string, r.name(v)});
        break;
      }
      if (str) {
        for (const auto& s : spec.strings) {
          if (s.size() > static_cast<std::size_t>(e.dictionary().DICGET(v).width)) {
            r.fail("Invalid value ^1 for ^2.", {s, r.name(v)});
            break;
          }
        }
      }
    }
    // Three discrete values, or a range and one value: the conventional limit.
    std::size_t discrete = spec.values.size() + spec.strings.size();
    if (r.ok() && (discrete > 3 || (spec.has_range && discrete > 1)))
      r.fail("Too many missing values for ^1.", {r.name(vars[0])});
    sets.emplace_back(std::move(vars), std::move(spec));
  }
  if (!r.ok()) return;
  if (sets.empty()) {
    r.fail("Expected a variable name near ^1.", {"end of command"});
    return;
  }
  for (const auto& [vars, spec] : sets)
    for (int v : vars) e.dictionary().set_missing(v, spec);
}

// ------------------------------------------------ WEIGHT, FILTER, SPLIT ---
// "BY var" or "OFF"; returns the variable (0 for OFF), -1 on an error.
int by_or_off(Reader& r) {
  Token tok = r.next();
  if (r.is_name(tok, "OFF")) return r.expect_end() ? 0 : -1;
  if (!r.is_name(tok, "BY")) {
    r.expected("BY or OFF", tok);
    return -1;
  }
  if (!r.need_data()) return -1;
  int var = 0;
  if (!r.variable(var) || !r.expect_end()) return -1;
  return var;
}

void weight(Engine& e) {
  Reader r(e);
  int var = by_or_off(r);
  if (var < 0) return;
  if (var > 0 && e.dictionary().DICGET(var).is_string()) {
    r.fail("Weight variable ^1 must be numeric.", {r.name(var)});
    return;
  }
  e.active_file().set_weight(var);
}

void filter(Engine& e) {
  Reader r(e);
  int var = by_or_off(r);
  if (var < 0) return;
  if (var > 0 && e.dictionary().DICGET(var).is_string()) {
    r.fail("String variable ^1 not allowed.", {r.name(var)});
    return;
  }
  e.active_file().set_filter(var);
}

void split_file(Engine& e) {
  Reader r(e);
  Token tok = r.next();
  if (r.is_name(tok, "OFF")) {
    if (r.expect_end()) e.active_file().set_split({});
    return;
  }
  if (r.is_name(tok, "LAYERED") || r.is_name(tok, "SEPARATE")) tok = r.next();
  if (!r.is_name(tok, "BY")) {
    r.expected("BY or OFF", tok);
    return;
  }
  if (!r.need_data()) return;
  std::vector<int> vars;
  if (!r.var_list(vars) || !r.expect_end()) return;
  e.active_file().set_split(vars);
}

// ----------------------------------------------------------------- SAVE ---
void save(Engine& e) {
  Reader r(e);
  std::optional<std::string> file;
  for (Token tok = r.next(); tok.kind != TokenKind::End && r.ok(); tok = r.next()) {
    if (tok.kind == TokenKind::Slash) continue;
    if (!r.is_name(tok, "OUTFILE")) {
      r.syntax(tok);
      break;
    }
    r.optional_equals();
    Token path = r.next();
    if (path.kind != TokenKind::String || path.text.empty()) r.expected("A quoted file name", path);
    else file = path.text;
  }
  if (!r.ok()) return;
  if (!file) {
    r.fail(kExpected, {"OUTFILE='name'", "end of command"});
    return;
  }
  if (!r.need_data()) return;
  // Every case is written, including those a filter excludes: SAVE never drops data.
  const DictionaryStore& d = e.dictionary();
  ActiveFile& a = e.active_file();
  std::vector<DataColumn> cols;
  for (int i = 1; i <= d.size(); ++i) {
    const host::VarInfo& v = d.DICGET(i);
    DataColumn c;
    c.var.name = v.name;
    c.var.width = v.width;
    c.var.label = v.label;
    if (v.is_string()) c.var.string_value_labels = d.string_value_labels(i);
    else c.var.value_labels = d.value_labels(i);
    c.missing = v.missing;
    cols.push_back(std::move(c));
  }
  std::string path = e.files().resolve(*file);
  DataFileWriter w;
  std::string error;
  bool ok = w.open(path, cols, error);
  for (int row = 0; ok && row < a.rows(); ++row) {
    std::vector<host::FileValue> values;
    values.reserve(cols.size());
    for (int i = 1; i <= d.size(); ++i) {
      if (cols[static_cast<std::size_t>(i) - 1].var.width > 0) values.push_back(host::FileValue::str(a.text(i, row)));
      else values.push_back(host::FileValue::num(a.number(i, row)));
    }
    ok = w.write(values, error);
  }
  if (ok) ok = w.commit(error);
  if (!ok) r.fail("File ^1 cannot be written: ^2.", {*file, error});
}

// ------------------------------------------------------------ SET, TITLE ---
constexpr int kMinWidth = 40, kMaxWidth = 1000;

void set(Engine& e) {
  Reader r(e);
  std::optional<std::uint64_t> seed;
  std::optional<std::size_t> workspace_kb;
  std::optional<int> width;
  for (Token tok = r.next(); tok.kind != TokenKind::End && r.ok(); tok = r.next()) {
    if (tok.kind == TokenKind::Slash || tok.kind == TokenKind::Comma) continue;
    if (r.is_name(tok, "SEED")) {
      r.optional_equals();
      Token n = r.next();
      // Whole numbers up to 2^53 are exact as doubles.
      if (n.kind != TokenKind::Number || n.value < 1 || n.value > 9007199254740992.0 || n.value != std::floor(n.value))
        r.fail("Seed must be a positive integer.", {Reader::shown(n)});
      else seed = static_cast<std::uint64_t>(n.value);
    } else if (r.is_name(tok, "WORKSPACE")) {
      r.optional_equals();
      Token n = r.next();
      const double max_kb = static_cast<double>(std::numeric_limits<std::size_t>::max() / 1024);
      if (n.kind != TokenKind::Number || n.value < 1 || n.value > max_kb || n.value != std::floor(n.value))
        r.fail("Invalid value ^1 for ^2.", {Reader::shown(n), "WORKSPACE"});
      else workspace_kb = static_cast<std::size_t>(n.value);
    } else if (r.is_name(tok, "WIDTH")) {
      // Columns of the text report; a table is split into panels that fit.
      r.optional_equals();
      Token n = r.next();
      if (n.kind != TokenKind::Number || n.value < kMinWidth || n.value > kMaxWidth || n.value != std::floor(n.value))
        r.fail("Width must be a whole number from ^1 to ^2.", {std::to_string(kMinWidth), std::to_string(kMaxWidth)});
      else width = static_cast<int>(n.value);
    } else {
      r.syntax(tok);
    }
  }
  if (!r.ok()) return;
  if (width) e.session().set_text_width(*width);
  if (seed) e.numerics().set_seed(*seed);
  if (workspace_kb) e.workspace().set_limit(*workspace_kb * 1024);
}

void title(Engine& e) {
  Reader r(e);
  Token tok = r.next();
  if (tok.kind != TokenKind::String) {
    r.expected("A quoted title", tok);
    return;
  }
  // The first TITLE names the report: a run of several syntax files (make
  // demo) is one report, and its name should not be the last file's.
  if (r.expect_end() && e.title().empty()) e.set_title(tok.text);
}
}  // namespace

const std::vector<HostCommand>& host_commands() {
  static const std::vector<HostCommand> table = {
      {{"GET", "DATA"}, "GET DATA"},
      {{"VARIABLE", "LABELS"}, "VARIABLE LABELS"},
      {{"VALUE", "LABELS"}, "VALUE LABELS"},
      {{"MISSING", "VALUES"}, "MISSING VALUES"},
      {{"SPLIT", "FILE"}, "SPLIT FILE"},
      {{"WEIGHT"}, "WEIGHT"},
      {{"FILTER"}, "FILTER"},
      {{"SAVE"}, "SAVE"},
      {{"SET"}, "SET"},
      {{"TITLE"}, "TITLE"},
  };
  return table;
}

std::vector<std::string> get_data_files(std::string_view syntax_text) {
  std::vector<std::string> out;
  for (const CommandText& cmd : split_commands(syntax_text)) {
    const std::vector<std::string> typed = command_words(cmd.text, 2);
    if (typed.size() < 2 || !command_word_matches(typed[0], "GET") || !command_word_matches(typed[1], "DATA")) continue;
    const std::vector<Token> toks = tokenize(command_body(cmd.text, 2));
    for (std::size_t i = 0; i < toks.size(); ++i) {
      if (toks[i].kind != TokenKind::Name || toks[i].text != "FILE") continue;
      std::size_t j = i + 1;
      if (j < toks.size() && toks[j].kind == TokenKind::Equals) ++j;
      if (j < toks.size() && toks[j].kind == TokenKind::String && !toks[j].text.empty()) out.push_back(toks[j].text);
    }
  }
  return out;
}

void run_host_command(Engine& engine, const HostCommand& cmd) {
  const std::string& n = cmd.name;
  if (n == "GET DATA") get_data(engine);
  else if (n == "VARIABLE LABELS") variable_labels(engine);
  else if (n == "VALUE LABELS") value_labels(engine);
  else if (n == "MISSING VALUES") missing_values(engine);
  else if (n == "SPLIT FILE") split_file(engine);
  else if (n == "WEIGHT") weight(engine);
  else if (n == "FILTER") filter(engine);
  else if (n == "SAVE") save(engine);
  else if (n == "SET") set(engine);
  else if (n == "TITLE") title(engine);
}

}  // namespace oscat::engine
