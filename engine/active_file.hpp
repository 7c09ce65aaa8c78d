// The active (working) data file: its cases, weight, filter and split
// settings, and the case loop the procedures run through host::Cases.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/csv.hpp"
#include "engine/dictionary.hpp"
#include "host/host.hpp"

namespace oscat::engine {

struct SidecarVariable;  // a variable as the dictionary file beside the data describes it

class ActiveFile : public host::Cases {
 public:
  // The active file shares `dict` with the host: loading replaces its
  // contents, and variables added to it later (DICPUT) gain a column of
  // SYSMIS cells the next time the data are touched. When the dictionary is
  // cleared by someone else, the data, weight, filter and split are dropped.
  explicit ActiveFile(DictionaryStore& dict) : dict_(dict) {}

  // Read a CSV file (see parse_csv) and, when `<path>.dict.json` exists, the
  // dictionary written beside it by SAVE. On success the dictionary and data
  // are replaced and weight, filter and split are switched off; on failure
  // (false, `error` set) the current dictionary and data are kept unchanged.
  //
  // Types: a column is numeric when every non-empty cell (spaces around it
  // ignored) is a finite number in plain decimal notation; an empty numeric
  // cell is SYSMIS. Otherwise it is a string variable whose width is the
  // longest cell in bytes (at least 1); string cells are kept as typed.
  // The sidecar may declare a variable a string (it stays one even when all
  // its cells look numeric; its width is the larger of the declared one and
  // the longest cell) or numeric (an error when a cell is not a number), and
  // gives labels, value labels and missing values. A sidecar that cannot be
  // read, is malformed or names a variable the CSV lacks is an error.
  bool load_csv(const std::string& path, std::string& error);
  // As load_csv with the table already parsed; `sidecar_json` empty = none,
  // `source` names the sidecar in messages.
  bool load_table(const CsvTable& table, std::string_view sidecar_json, const std::string& source,
                  std::string& error);
  // Replace the dictionary and data by columns a host built itself (no file):
  // names checked as in load_table, then the same installation and resets as
  // load_csv. Declarations (labels, missing values) are the caller's to add.
  bool load_columns(CsvColumns&& columns, std::string& error);

  // Numbers a host program holds (a data frame's column) and lends to the
  // file, which reads them in place instead of keeping a copy. NaN reads as
  // SYSMIS. The memory must stay unchanged while the file is loaded.
  struct LentNumbers {
    enum class Kind : char { None, F64, F32, I64, I32, I16, I8, U64, U32, U16, U8 };
    const char* data = nullptr;
    std::ptrdiff_t stride = 0;  // bytes from one case to the next
    Kind kind = Kind::None;
    double at(std::size_t row) const;
  };
  // Replaces the numbers of numeric variable `var` (loaded with no cells)
  // by `lent`; false for a string variable or one that holds its own cells.
  bool lend_numbers(int var, LentNumbers lent);
  bool loaded() const { return loaded_; }

  // What the last successful load has to say about how it read the cells:
  // missing-data spellings read as SYSMIS, numeric-looking columns read as
  // strings, whole numbers rounded. Keys of the host's catalogue.
  struct ReadNote {
    int severity = 1;  // 1 note, 2 warning
    std::string key;
    std::vector<std::string> params;
  };
  const std::vector<ReadNote>& read_notes() const { return notes_; }

  // Read access for writers of data files (rows 0-based, vars 1-based).
  // Out-of-range arguments give SYSMIS / an empty string.
  int rows() const;
  double number(int var, int row) const;
  const std::string& text(int var, int row) const;  // as stored (not trimmed)

  // Weight: a numeric variable, 0 = off; false (setting unchanged) for an
  // invalid index or a string variable. While on, OBSERV skips cases whose
  // weight is missing (system or user) or not positive.
  bool set_weight(int var);
  // Filter: any variable, 0 = off; false for an invalid index. A case passes
  // when the value is not missing (system or user) and not 0; for a string
  // filter, when the value is not blank and not user-missing.
  bool set_filter(int var);
  int filter_variable() const;
  // Split variables; false (setting unchanged) when an index is invalid.
  // Clears any split_count override.
  bool set_split(std::vector<int> vars);
  const std::vector<int>& split_vars() const;

  // host::Cases
  // split_vars().size(), unless a procedure set another count; setting the
  // count back to split_vars().size() ends the override.
  int split_count() const override;
  void set_split_count(int n) override;
  // 1 when data are loaded, else 0 (the caller reports the missing file).
  int XYBEG() override;
  void XYENDF() override { accessing_ = false; }
  void OBINIT(int = 0) override {}
  void OBPINI() override { row_ = -1; }
  bool OBSERV() override;
  void OBPEND() override { row_ = -1; }
  double value(int var) const override;
  std::string_view string_value(int var) const override;
  double case_weight() const override;
  int case_number() const override { return row_ >= 0 && row_ < rows_ ? row_ + 1 : 0; }
  int weight_variable() const override;
  int case_count() const override { return rows(); }
  bool QAMISS(int var, double v) const override;
  bool QAMISS(int var, std::string_view s) const override;
  bool QLMISS(int var, double v) const override;
  bool INMISS(double v) const override { return host::is_sysmis(v); }
  // Numeric variables only; ignored for invalid arguments.
  void set_value(int var, int case_number, double v) override;
  // Column-wise reads (see host::Cases): straight from the stored columns.
  int OBCOUNT() override;
  void OBCOLUMN(int var, double* out) override;
  void OBCASES(double* weights, int* case_numbers) override;

 private:
  // Replaces the dictionary and data by the typed columns (declarations
  // already matched to them); false, with nothing changed, when a declared
  // numeric column holds text.
  bool install(CsvColumns&& table, const std::vector<std::optional<SidecarVariable>>& decl, const std::string& source,
               std::string& error);
  // A numeric column of whole numbers is held in the narrowest of 8, 16 or
  // 32 bits that holds every value (the type's lowest value standing for
  // SYSMIS), else as doubles: coded data take a fraction of the memory.
  struct Column {
    bool is_string = false;
    std::vector<double> num;
    std::vector<std::int8_t> i8;
    std::vector<std::int16_t> i16;
    std::vector<std::int32_t> i32;
    std::vector<std::string> str;
    LentNumbers lent;  // when lent.data is set, the numbers instead of num
    double at(std::size_t row) const;
    void set(std::size_t row, double v);  // widens to doubles when `v` does not fit
    void narrow();                        // after `num` is filled
    void widen();
  };
  // Bring the columns in line with the dictionary (see the constructor).
  // Inline check first: the case loop calls this for every value it reads.
  void sync() const {
    if (generation_ != dict_.generation() || static_cast<int>(cols_.size()) < dict_.DictionaryStore::size())
      sync_slow();
  }
  void sync_slow() const;
  bool numeric_var(int var) const;
  bool string_var(int var) const;
  bool passes(int row) const;

  DictionaryStore& dict_;
  mutable std::vector<Column> cols_;
  mutable std::uint64_t generation_ = 0;
  mutable bool loaded_ = false;
  mutable int rows_ = 0;
  mutable int weight_ = 0, filter_ = 0;
  mutable std::vector<int> split_;
  mutable std::optional<int> split_override_;
  int row_ = -1;
  bool accessing_ = false;
  std::vector<ReadNote> notes_;
};

}  // namespace oscat::engine
