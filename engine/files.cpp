#include "engine/files.hpp"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "engine/csv.hpp"

namespace oscat::engine {

namespace fs = std::filesystem;
using nlohmann::json;

namespace {
constexpr double kHuge = 1e308;  // stands for an infinite range bound in the sidecar

std::string os_reason() { return std::strerror(errno); }

double bound_out(double v) { return std::isinf(v) ? (v < 0 ? -kHuge : kHuge) : v; }
double bound_in(double v) {
  if (v <= -kHuge) return -HUGE_VAL;
  if (v >= kHuge) return HUGE_VAL;
  return v;
}

bool parse_number(const std::string& s, double& v) {
  std::size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return false;
  std::size_t e = s.find_last_not_of(" \t");
  const char* first = s.data() + b;
  const char* last = s.data() + e + 1;
  if (*first == '+') ++first;
  auto [p, ec] = std::from_chars(first, last, v);
  return ec == std::errc() && p == last && std::isfinite(v);
}

bool blank(const std::string& s) { return s.find_first_not_of(" \t") == std::string::npos; }

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}
}  // namespace

// ------------------------------------------------------------ CSV cells ---
std::string csv_number(double v) {
  if (host::is_sysmis(v) || !std::isfinite(v)) return "";
  if (v == 0) return "0";  // also -0
  char buf[64];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
  if (ec != std::errc()) return "";
  return std::string(buf, p);
}

std::string csv_quote(std::string_view s) {
  bool need = s.find_first_of(",\"\r\n") != std::string_view::npos ||
              (!s.empty() && (s.front() == ' ' || s.back() == ' ' || s.front() == '\t' || s.back() == '\t'));
  if (!need) return std::string(s);
  std::string out = "\"";
  for (char c : s) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

// --------------------------------------------------------------- sidecar ---
std::string sidecar_json(const std::vector<DataColumn>& vars) {
  json list = json::array();
  for (const auto& c : vars) {
    json v;
    v["name"] = c.var.name;
    v["width"] = c.var.width;
    v["label"] = c.var.label;
    json labels = json::array();
    if (c.var.width > 0) {
      for (const auto& [val, lab] : c.var.string_value_labels) labels.push_back(json::array({val, lab}));
    } else {
      for (const auto& [val, lab] : c.var.value_labels) labels.push_back(json::array({val, lab}));
    }
    v["value_labels"] = labels;
    json miss;
    miss["values"] = c.missing.values;
    miss["strings"] = c.missing.strings;
    miss["range"] = c.missing.has_range ? json::array({bound_out(c.missing.lo), bound_out(c.missing.hi)}) : json(nullptr);
    v["missing"] = miss;
    list.push_back(v);
  }
  json doc;
  doc["variables"] = list;
  return doc.dump(1) + "\n";
}

bool parse_sidecar(std::string_view text, std::vector<DataColumn>& vars, std::string& error) {
  vars.clear();
  json doc = json::parse(text, nullptr, false);
  if (doc.is_discarded() || !doc.is_object() || !doc.contains("variables") || !doc["variables"].is_array()) {
    error = "the dictionary file is not valid";
    return false;
  }
  // Every field is checked for its type: the sidecar may have been edited by hand.
  for (const auto& v : doc["variables"]) {
    if (!v.is_object() || !v.contains("name") || !v["name"].is_string()) {
      error = "a variable of the dictionary file has no name";
      return false;
    }
    DataColumn c;
    c.var.name = v["name"].get<std::string>();
    if (v.contains("width") && v["width"].is_number_integer()) c.var.width = std::max(0, v["width"].get<int>());
    if (v.contains("label") && v["label"].is_string()) c.var.label = v["label"].get<std::string>();
    if (v.contains("value_labels") && v["value_labels"].is_array()) {
      for (const auto& p : v["value_labels"]) {
        if (!p.is_array() || p.size() != 2 || !p[1].is_string()) continue;
        if (p[0].is_number()) c.var.value_labels.emplace_back(p[0].get<double>(), p[1].get<std::string>());
        else if (p[0].is_string()) c.var.string_value_labels.emplace_back(p[0].get<std::string>(), p[1].get<std::string>());
      }
    }
    if (v.contains("missing") && v["missing"].is_object()) {
      const auto& m = v["missing"];
      if (m.contains("values") && m["values"].is_array())
        for (const auto& x : m["values"]) if (x.is_number()) c.missing.values.push_back(x.get<double>());
      if (m.contains("strings") && m["strings"].is_array())
        for (const auto& x : m["strings"]) if (x.is_string()) c.missing.strings.push_back(x.get<std::string>());
      if (m.contains("range") && m["range"].is_array() && m["range"].size() == 2 && m["range"][0].is_number() &&
          m["range"][1].is_number()) {
        c.missing.has_range = true;
        c.missing.lo = bound_in(m["range"][0].get<double>());
        c.missing.hi = bound_in(m["range"][1].get<double>());
      }
    }
    vars.push_back(std::move(c));
  }
  return true;
}

// ---------------------------------------------------------------- writer ---
DataFileWriter::~DataFileWriter() { discard(); }

void DataFileWriter::discard() {
  if (out_ != nullptr) {
    std::fclose(out_);
    out_ = nullptr;
  }
  if (!temp_.empty()) {
    std::remove(temp_.c_str());
    std::remove((sidecar_path(path_) + ".tmp-" + std::to_string(::getpid())).c_str());
    temp_.clear();
  }
}

bool DataFileWriter::open(const std::string& path, std::vector<DataColumn> vars, std::string& error) {
  discard();
  path_ = path;
  vars_ = std::move(vars);
  temp_ = path + ".tmp-" + std::to_string(::getpid());
  out_ = std::fopen(temp_.c_str(), "wb");
  if (out_ == nullptr) {
    error = os_reason();
    temp_.clear();
    return false;
  }
  std::string header;
  for (std::size_t i = 0; i < vars_.size(); ++i) {
    if (i) header += ',';
    header += csv_quote(vars_[i].var.name);
  }
  header += '\n';
  if (std::fputs(header.c_str(), out_) < 0) {
    error = os_reason();
    discard();
    return false;
  }
  return true;
}

bool DataFileWriter::write(const std::vector<host::FileValue>& values, std::string& error) {
  if (out_ == nullptr) {
    error = "the file is not open";
    return false;
  }
  if (values.size() != vars_.size()) {
    error = "a record has " + std::to_string(values.size()) + " values, the file has " +
            std::to_string(vars_.size()) + " variables";
    return false;
  }
  std::string line;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i) line += ',';
    line += vars_[i].var.width > 0 ? csv_quote(values[i].text) : csv_number(values[i].number);
  }
  // A record of one empty cell would read back as a blank line: quote it.
  if (values.size() == 1 && line.empty()) line = "\"\"";
  line += '\n';
  if (std::fwrite(line.data(), 1, line.size(), out_) != line.size()) {
    error = os_reason();
    return false;
  }
  return true;
}

bool DataFileWriter::commit(std::string& error) {
  if (out_ == nullptr) {
    error = "the file is not open";
    return false;
  }
  bool ok = std::fflush(out_) == 0 && !std::ferror(out_);
  if (!ok) error = os_reason();
  if (std::fclose(out_) != 0 && ok) {
    ok = false;
    error = os_reason();
  }
  out_ = nullptr;
  if (!ok) {
    discard();
    return false;
  }
  std::string side_tmp = sidecar_path(path_) + ".tmp-" + std::to_string(::getpid());
  {
    std::ofstream s(side_tmp, std::ios::binary | std::ios::trunc);
    s << sidecar_json(vars_);
    s.close();
    if (!s) {
      error = os_reason();
      discard();
      return false;
    }
  }
  if (std::rename(temp_.c_str(), path_.c_str()) != 0) {
    error = os_reason();
    discard();
    return false;
  }
  temp_.clear();
  if (std::rename(side_tmp.c_str(), sidecar_path(path_).c_str()) != 0) {
    error = os_reason();
    std::remove(side_tmp.c_str());
    return false;
  }
  return true;
}

// ---------------------------------------------------------------- reader ---
bool read_data_file(const std::string& path, DataFileContents& out, std::string& error) {
  out = {};
  CsvTable table;
  if (!read_csv(path, table, error)) return false;
  std::vector<DataColumn> declared;
  {
    std::ifstream s(sidecar_path(path), std::ios::binary);
    if (s) {
      std::stringstream ss;
      ss << s.rdbuf();
      if (!parse_sidecar(ss.str(), declared, error)) {
        error = sidecar_path(path) + ": " + error;
        return false;
      }
    }
  }
  const std::size_t ncol = table.header.size();
  out.vars.resize(ncol);
  for (std::size_t j = 0; j < ncol; ++j) {
    DataColumn& c = out.vars[j];
    c.var.name = table.header[j];
    bool found = false;
    for (const auto& d : declared) {
      if (upper(d.var.name) == upper(c.var.name)) {
        c = d;
        c.var.name = table.header[j];
        found = true;
        break;
      }
    }
    if (!found) {
      // Undeclared column: numeric when every non-empty cell is a number.
      bool numeric = true;
      std::size_t width = 1;
      for (const auto& row : table.rows) {
        double v;
        if (!blank(row[j]) && !parse_number(row[j], v)) numeric = false;
        width = std::max(width, row[j].size());
      }
      c.var.width = numeric ? 0 : static_cast<int>(width);
    }
  }
  out.rows.reserve(table.rows.size());
  for (std::size_t i = 0; i < table.rows.size(); ++i) {
    const auto& row = table.rows[i];
    std::vector<host::FileValue> values(ncol);
    for (std::size_t j = 0; j < ncol; ++j) {
      if (out.vars[j].var.width > 0) {
        values[j] = host::FileValue::str(row[j]);
      } else if (blank(row[j])) {
        values[j] = host::FileValue::num(host::SYSMIS);
      } else {
        double v;
        if (!parse_number(row[j], v)) {
          error = path + ": line " + std::to_string(i + 2) + ": \"" + row[j] + "\" is not a number (variable " +
                  out.vars[j].var.name + ")";
          return false;
        }
        values[j] = host::FileValue::num(v);
      }
    }
    out.rows.push_back(std::move(values));
  }
  return true;
}

// ------------------------------------------------------------- FileStore ---
FileStore::FileStore(host::Tokens& tokens) : tokens_(tokens) {}
FileStore::~FileStore() = default;  // writers remove their temporary files

void FileStore::fail(const std::string& key, const std::vector<std::string>& params, int severity) const {
  if (report_) report_(key, params, severity);
}

std::string FileStore::resolve(const std::string& spec) const {
  fs::path p(spec);
  if (p.is_relative() && !base_dir_.empty()) p = fs::path(base_dir_) / p;
  std::error_code ec;
  fs::path abs = fs::absolute(p, ec);
  if (ec) abs = p;
  // weakly_canonical resolves symbolic links of the existing part, so two
  // spellings of one file compare equal.
  fs::path canon = fs::weakly_canonical(abs, ec);
  return (ec ? abs.lexically_normal() : canon).string();
}

int FileStore::file_spec(std::string& path) {
  const host::Token& t = tokens_.SSNXT1();
  if (t.kind == host::TokenKind::Asterisk) {
    path = "*";
    return -1;
  }
  if (t.kind != host::TokenKind::String || t.text.empty()) {
    // Not a file specification: leave the token for the caller's parser.
    if (t.kind != host::TokenKind::End) tokens_.SSETPT(tokens_.position());
    path.clear();
    return 0;
  }
  path = t.text;
  std::string resolved = resolve(t.text);
  for (std::size_t i = 0; i < handles_.size(); ++i)
    if (handles_[i].resolved == resolved) return static_cast<int>(i) + 1;
  Handle h;
  h.spec = t.text;
  h.resolved = resolved;
  handles_.push_back(std::move(h));
  return static_cast<int>(handles_.size());
}

int FileStore::SFDFRO(std::string& path) { return file_spec(path); }
int FileStore::SFDFRI(std::string& path) { return file_spec(path); }
int FileStore::MTDFRO(std::string& path) { return file_spec(path); }

FileStore::Handle* FileStore::get(int handle) {
  if (handle < 1 || handle > static_cast<int>(handles_.size())) return nullptr;
  return &handles_[static_cast<std::size_t>(handle) - 1];
}
const FileStore::Handle* FileStore::get(int handle) const {
  if (handle < 1 || handle > static_cast<int>(handles_.size())) return nullptr;
  return &handles_[static_cast<std::size_t>(handle) - 1];
}

bool FileStore::QSAMEFILESPEC(int a, int b) const {
  if (a == -1 || b == -1) return a == b;
  const Handle* x = get(a);
  const Handle* y = get(b);
  return x != nullptr && y != nullptr && x->resolved == y->resolved;
}

bool FileStore::DSDICTX(int handle, const std::vector<host::FileVar>& vars) {
  Handle* h = get(handle);
  if (h == nullptr) return false;
  std::vector<DataColumn> cols;
  for (const auto& v : vars) cols.push_back({v, {}});
  h->contents.reset();
  h->writer = std::make_unique<DataFileWriter>();
  std::string error;
  if (!h->writer->open(h->resolved, std::move(cols), error)) {
    fail("File ^1 cannot be written: ^2.", {h->spec, error}, 2);
    h->writer.reset();
    return false;
  }
  return true;
}

bool FileStore::DSWRCASE(int handle, const std::vector<host::FileValue>& values) {
  Handle* h = get(handle);
  if (h == nullptr || !h->writer) return false;
  std::string error;
  if (!h->writer->write(values, error)) {
    fail("File ^1 cannot be written: ^2.", {h->spec, error}, 2);
    return false;
  }
  return true;
}

bool FileStore::MTDDIC(int handle, const std::vector<host::FileVar>& vars) { return DSDICTX(handle, vars); }
bool FileStore::MTDWRT(int handle, const std::vector<host::FileValue>& record) { return DSWRCASE(handle, record); }

bool FileStore::DSRDDICT(int handle, std::vector<host::FileVar>& vars) {
  vars.clear();
  Handle* h = get(handle);
  if (h == nullptr) return false;
  auto contents = std::make_unique<DataFileContents>();
  std::string error;
  if (!read_data_file(h->resolved, *contents, error)) {
    fail("File ^1 cannot be read: ^2.", {h->spec, error}, 2);
    return false;
  }
  for (const auto& c : contents->vars) vars.push_back(c.var);
  h->contents = std::move(contents);
  h->next_row = 0;
  return true;
}

bool FileStore::DSRDCASE(int handle, std::vector<host::FileValue>& values) {
  Handle* h = get(handle);
  if (h == nullptr || !h->contents || h->next_row >= h->contents->rows.size()) return false;
  values = h->contents->rows[h->next_row++];
  return true;
}

void FileStore::SFCLDE(int handle) {
  Handle* h = get(handle);
  if (h == nullptr) return;
  h->contents.reset();
  if (!h->writer) return;
  std::string error;
  if (!h->writer->commit(error)) fail("File ^1 could not be saved: ^2.", {h->spec, error}, 3);
  h->writer.reset();
}

std::string FileStore::path(int handle) const {
  const Handle* h = get(handle);
  return h == nullptr ? std::string() : h->spec;
}

std::string FileStore::resolved_path(int handle) const {
  const Handle* h = get(handle);
  return h == nullptr ? std::string() : h->resolved;
}

int FileStore::open_writers() const {
  int n = 0;
  for (const auto& h : handles_) n += h.writer && h.writer->is_open() ? 1 : 0;
  return n;
}

int FileStore::end_command() {
  int n = open_writers();
  handles_.clear();  // writers discard their temporary files
  return n;
}

}  // namespace oscat::engine
