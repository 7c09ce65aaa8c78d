// Data and matrix files of the procedures, and the working file's SAVE.
//
// A data file is a CSV file (a header of variable names, then one row per
// case) plus a sidecar "<path>.dict.json" with what CSV cannot hold:
//   {"variables":[{"name":"x","width":0,"label":"...",
//                  "value_labels":[[1,"low"],...]   (strings: [["a","label"],...]),
//                  "missing":{"values":[9],"strings":[],"range":[lo,hi] or null}}]}
// Infinite range bounds (LO/HI) are written as -1e308/1e308. Numbers are
// written in their shortest round-trip form (integers plainly), the
// system-missing value as an empty cell, strings quoted when needed.
//
// Writing is atomic: everything goes to "<path>.tmp-<pid>" and is renamed into
// place when the file is closed. A file that fails, or is never closed, is
// removed: nobody ever sees a half-written file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/host.hpp"

namespace oscat::engine {

struct DataColumn {
  host::FileVar var;
  host::MissingSpec missing;
};

// Text of one CSV cell.
std::string csv_number(double v);
std::string csv_quote(std::string_view s);

// `s` with every byte that is not part of valid UTF-8 replaced by U+FFFD, as
// the report writers do: names and labels may come from Latin-1 files.
std::string valid_utf8(std::string_view s);

// A fast 64-bit hash of a byte stream, fed in pieces of any size: the sidecar
// records it for its CSV file, so a data file and a dictionary written by two
// different runs are never read as a pair.
class ContentHash {
 public:
  void update(const char* data, std::size_t n);
  std::string hex() const;  // of everything fed so far

 private:
  std::uint64_t h_ = 0x9E3779B97F4A7C15ull;
  std::uint64_t total_ = 0;
  unsigned char part_[8] = {};
  std::size_t nparts_ = 0;
};
std::string content_hash(std::string_view bytes);
// The hash a sidecar records for its data file ("" when it records none).
std::string sidecar_data_hash(std::string_view json);

// Every temporary file being written is registered here, so that SIGTERM
// or a second Ctrl-C can remove them before the process ends.
void register_temporary(const std::string& path);
void unregister_temporary(const std::string& path);
void remove_registered_temporaries();  // async-signal-safe

// Sidecar JSON of a dictionary, and back. `error` explains a sidecar that
// cannot be used.
std::string sidecar_json(const std::vector<DataColumn>& vars, const std::string& data_hash = {});
bool parse_sidecar(std::string_view json, std::vector<DataColumn>& vars, std::string& error);
inline std::string sidecar_path(const std::string& path) { return path + ".dict.json"; }

// One output data file being written.
class DataFileWriter {
 public:
  DataFileWriter() = default;
  ~DataFileWriter();  // removes the temporary file unless committed
  DataFileWriter(const DataFileWriter&) = delete;
  DataFileWriter& operator=(const DataFileWriter&) = delete;

  bool open(const std::string& path, std::vector<DataColumn> vars, std::string& error);
  bool write(const std::vector<host::FileValue>& values, std::string& error);
  // Write the sidecar and rename both into place.
  bool commit(std::string& error);
  // Drop the temporary file.
  void discard();
  bool is_open() const { return out_ != nullptr; }
  const std::string& temp_path() const { return temp_; }

 private:
  std::string path_, temp_;
  bool put(const std::string& text);  // written and hashed
  std::vector<DataColumn> vars_;
  std::FILE* out_ = nullptr;
  ContentHash hash_;
};

// A data file read back: dictionary and rows of values.
struct DataFileContents {
  std::vector<DataColumn> vars;
  std::vector<std::vector<host::FileValue>> rows;
};
bool read_data_file(const std::string& path, DataFileContents& out, std::string& error);

class FileStore : public host::Files {
 public:
  // Reports a problem the procedure cannot see for itself (e.g. a rename that
  // failed at close): key, parameters, severity.
  using Reporter = std::function<void(const std::string& key, const std::vector<std::string>& params, int severity)>;

  explicit FileStore(host::Tokens& tokens);
  ~FileStore() override;

  int SFDFRO(std::string& path) override;
  int SFDFRI(std::string& path) override;
  bool QSAMEFILESPEC(int a, int b) const override;
  bool DSDICTX(int handle, const std::vector<host::FileVar>& vars) override;
  bool DSWRCASE(int handle, const std::vector<host::FileValue>& values) override;
  bool DSRDDICT(int handle, std::vector<host::FileVar>& vars) override;
  bool DSRDCASE(int handle, std::vector<host::FileValue>& values) override;
  void SFCLDE(int handle) override;
  void MTDINI() override {}
  int MTDFRO(std::string& path) override;
  bool MTDDIC(int handle, const std::vector<host::FileVar>& vars) override;
  bool MTDWRT(int handle, const std::vector<host::FileValue>& record) override;
  void MTDCLS(int handle) override { SFCLDE(handle); }
  std::string path(int handle) const override;

  // Relative specifications resolve against this directory.
  void set_base_dir(std::string dir) { base_dir_ = std::move(dir); }
  std::string resolve(const std::string& spec) const;
  std::string resolved_path(int handle) const;
  void set_reporter(Reporter r) { report_ = std::move(r); }
  // End of a command: files still open are discarded (never half-written);
  // returns how many were open for writing. Handles are forgotten.
  int end_command();
  int open_writers() const;
  // Every data file the run has read (absolute paths), for the program's
  // check that its report never replaces one.
  void note_read(const std::string& resolved) { read_.push_back(resolved); }
  const std::vector<std::string>& files_read() const { return read_; }

 private:
  struct Handle {
    std::string spec;      // as written in the syntax
    std::string resolved;  // absolute, normalised path
    std::unique_ptr<DataFileWriter> writer;
    std::unique_ptr<DataFileContents> contents;
    std::size_t next_row = 0;
  };
  int file_spec(std::string& path);
  Handle* get(int handle);
  const Handle* get(int handle) const;
  void fail(const std::string& key, const std::vector<std::string>& params, int severity) const;

  host::Tokens& tokens_;
  std::string base_dir_;
  std::vector<Handle> handles_;  // handle h is handles_[h - 1]
  Reporter report_;
  std::vector<std::string> read_;
};

}  // namespace oscat::engine
