#include "engine/files.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
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

// ------------------------------------------------------- UTF-8, hashing ---
std::string valid_utf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t len = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
    bool ok = len > 0 && i + len <= s.size();
    for (std::size_t k = 1; ok && k < len; ++k) ok = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
    if (ok && len > 1) {
      // Overlong forms, surrogates and code points beyond U+10FFFF are invalid too.
      std::uint32_t cp = b & (0xFF >> (len + 1));
      for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
      static const std::uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
      ok = cp >= kMin[len] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
    }
    if (ok) {
      out.append(s.substr(i, len));
      i += len;
    } else {
      out += "\xEF\xBF\xBD";
      ++i;
    }
  }
  return out;
}

namespace {
inline std::uint64_t mix(std::uint64_t h, std::uint64_t w) {
  h ^= w;
  h *= 0x100000001B3ull * 0x9E3779B1ull | 1;
  return h ^ (h >> 29);
}
}  // namespace

void ContentHash::update(const char* data, std::size_t n) {
  total_ += n;
  while (n > 0 && nparts_ > 0) {
    part_[nparts_++] = static_cast<unsigned char>(*data++);
    --n;
    if (nparts_ == 8) {
      std::uint64_t w;
      std::memcpy(&w, part_, 8);
      h_ = mix(h_, w);
      nparts_ = 0;
    }
  }
  for (; n >= 8; n -= 8, data += 8) {
    std::uint64_t w;
    std::memcpy(&w, data, 8);
    h_ = mix(h_, w);
  }
  for (; n > 0; --n) part_[nparts_++] = static_cast<unsigned char>(*data++);
}

std::string ContentHash::hex() const {
  std::uint64_t h = h_;
  for (std::size_t k = 0; k < nparts_; ++k) h = mix(h, part_[k] + 0x100ull * (k + 1));
  h = mix(h, total_);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
  return buf;
}

std::string content_hash(std::string_view bytes) {
  ContentHash h;
  h.update(bytes.data(), bytes.size());
  return h.hex();
}

std::string sidecar_data_hash(std::string_view text) {
  json doc = json::parse(text, nullptr, false);
  if (doc.is_object() && doc.contains("data_hash") && doc["data_hash"].is_string()) return doc["data_hash"].get<std::string>();
  return {};
}

namespace {
constexpr int kTempSlots = 64;
std::atomic<char*> g_temps[kTempSlots];
}  // namespace

void register_temporary(const std::string& path) {
  char* copy = ::strdup(path.c_str());
  for (auto& slot : g_temps) {
    char* expected = nullptr;
    if (slot.compare_exchange_strong(expected, copy)) return;
  }
  std::free(copy);  // more files open at once than slots: they are still removed on ordinary paths
}

void unregister_temporary(const std::string& path) {
  for (auto& slot : g_temps) {
    char* p = slot.load();
    if (p != nullptr && path == p && slot.compare_exchange_strong(p, nullptr)) {
      std::free(p);
      return;
    }
  }
}

void remove_registered_temporaries() {
  for (auto& slot : g_temps) {
    if (char* p = slot.load()) ::unlink(p);
  }
}

namespace {
// Temporaries of runs that died without cleaning up ("<name>.tmp-<pid>" with
// no such process) are removed when the same file is written again.
void remove_stale_temporaries(const std::string& path) {
  std::error_code ec;
  const fs::path target(path);
  const fs::path dir = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  const std::string base = target.filename().string();
  for (const std::string& prefix : {base + ".tmp-", base + ".dict.json.tmp-"}) {
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string name = it->path().filename().string();
      if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
      const std::string digits = name.substr(prefix.size());
      if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9) continue;
      const pid_t pid = static_cast<pid_t>(std::stol(digits));
      if (pid == ::getpid() || (::kill(pid, 0) != 0 && errno == ESRCH)) fs::remove(it->path(), ec);
    }
  }
}
}  // namespace

namespace {
class DirectoryLock {
 public:
  explicit DirectoryLock(const std::string& file) {
    const fs::path dir = fs::path(file).parent_path();
    fd_ = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ >= 0) {
      while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
      }
    }
  }
  ~DirectoryLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  DirectoryLock(const DirectoryLock&) = delete;
  DirectoryLock& operator=(const DirectoryLock&) = delete;

 private:
  int fd_ = -1;
};
}  // namespace

// --------------------------------------------------------------- sidecar ---
std::string sidecar_json(const std::vector<DataColumn>& vars, const std::string& data_hash) {
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
  if (!data_hash.empty()) doc["data_hash"] = data_hash;
  doc["variables"] = list;
  return doc.dump(1, ' ', false, json::error_handler_t::replace) + "\n";
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
    const std::string side_tmp = sidecar_path(path_) + ".tmp-" + std::to_string(::getpid());
    std::remove(temp_.c_str());
    std::remove(side_tmp.c_str());
    unregister_temporary(temp_);
    unregister_temporary(side_tmp);
    temp_.clear();
  }
}

bool DataFileWriter::put(const std::string& text) {
  hash_.update(text.data(), text.size());
  return std::fwrite(text.data(), 1, text.size(), out_) == text.size();
}

bool DataFileWriter::open(const std::string& path, std::vector<DataColumn> vars, std::string& error) {
  discard();
  path_ = path;
  vars_ = std::move(vars);
  hash_ = ContentHash{};
  remove_stale_temporaries(path);
  temp_ = path + ".tmp-" + std::to_string(::getpid());
  register_temporary(temp_);
  register_temporary(sidecar_path(path_) + ".tmp-" + std::to_string(::getpid()));
  out_ = std::fopen(temp_.c_str(), "wb");
  if (out_ == nullptr) {
    error = os_reason();
    discard();
    return false;
  }
  std::string header;
  for (std::size_t i = 0; i < vars_.size(); ++i) {
    if (i) header += ',';
    // The sidecar repeats the names, as valid UTF-8: so must the header.
    vars_[i].var.name = valid_utf8(vars_[i].var.name);
    header += csv_quote(vars_[i].var.name);
  }
  header += '\n';
  if (!put(header)) {
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
  if (!put(line)) {
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
    s << sidecar_json(vars_, hash_.hex());
    s.close();
    if (!s) {
      error = os_reason();
      discard();
      return false;
    }
  }
  // Two runs saving the same file: the directory lock makes each one's pair
  // of renames whole, so the data and dictionary in place are from one run.
  DirectoryLock lock(path_);
  if (std::rename(temp_.c_str(), path_.c_str()) != 0) {
    error = os_reason();
    discard();
    return false;
  }
  unregister_temporary(temp_);
  temp_.clear();
  const bool moved = std::rename(side_tmp.c_str(), sidecar_path(path_).c_str()) == 0;
  if (!moved) error = os_reason();
  std::remove(side_tmp.c_str());
  unregister_temporary(side_tmp);
  return moved;
}

// ---------------------------------------------------------------- reader ---
bool read_data_file(const std::string& path, DataFileContents& out, std::string& error) {
  out = {};
  CsvTable table;
  std::string text;
  if (!read_text_file(path, text, error)) return false;
  if (!parse_csv(text, table, error)) {
    error = path + ": " + error;
    return false;
  }
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
      const std::string expected = sidecar_data_hash(ss.str());
      if (!expected.empty() && expected != content_hash(text)) {
        error = sidecar_path(path) + " was not written with this data file; save the data again";
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
    // Name the file as the command did, as GET DATA does.
    for (std::size_t at = error.find(h->resolved); !h->resolved.empty() && at != std::string::npos;
         at = error.find(h->resolved, at + h->spec.size()))
      error.replace(at, h->resolved.size(), h->spec);
    fail("File ^1 cannot be read: ^2.", {h->spec, error}, 2);
    return false;
  }
  note_read(h->resolved);
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
