// The active dictionary: variables, labels, value labels, missing values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/host.hpp"

namespace oscat::engine {

// Longest variable name, in bytes.
inline constexpr std::size_t kMaxNameBytes = 64;
// Longest string value, in bytes: widths are ints.
inline constexpr std::size_t kMaxStringWidth = 2147483647;

// A valid variable name: 1 to 64 bytes; first a letter (any non-ASCII byte
// counts as a letter), '@' or '#'; then letters, digits, _ . @ # $; not ending
// with '.'; not a reserved word (ALL AND BY EQ GE GT LE LT NE NOT OR TO WITH),
// because those words have a meaning inside variable lists.
bool is_valid_variable_name(std::string_view name);

// Case-insensitive (ASCII) equality and upper-casing of names.
bool same_name(std::string_view a, std::string_view b);
std::string upper_name(std::string_view name);

class DictionaryStore : public host::Dictionary {
 public:
  // host::Dictionary
  int size() const override { return static_cast<int>(vars_.size()); }
  // Out-of-range indexes give a blank entry (index 0) rather than a crash.
  const host::VarInfo& DICGET(int index) const override;
  int DICSCH(std::string_view name) const override;
  std::string VRLABG(int index) const override;
  std::string VLBLST(int index, double value) const override;
  // String values compare right-trimmed (blank padding is not significant).
  std::string VLBLST(int index, std::string_view value) const override;
  std::vector<std::pair<double, std::string>> value_labels(int index) const override;
  host::VarInfo DICCLR() const override;
  // Adds `v` (its name, width, label and missing values); returns the new
  // index, or 0 when the name is invalid or already used.
  int DICPUT(const host::VarInfo& v) override;
  void VRLBLC(int index, std::string_view label) override;
  int KOVA_NEWVLMAP() override;
  void KOVA_ADDVLPAIR(int map, double value, std::string_view label) override;
  // Replaces the variable's numeric value labels with the map's pairs.
  void attach_value_labels(int index, int map) override;

  // Host-side editing. Invalid indexes are ignored.
  // Returns the new 1-based index, or 0 when the name is not a valid variable
  // name or is already used (case-insensitively). `width` 0 = numeric,
  // negative widths count as 0.
  int add_variable(std::string name, int width);
  void set_label(int index, std::string label);
  // Adds or replaces the label of one value; labels stay sorted by value.
  void set_value_label(int index, double value, std::string label);
  // String values are stored right-trimmed; sorted byte-wise.
  void set_string_value_label(int index, std::string value, std::string label);
  void clear_value_labels(int index);
  void set_missing(int index, host::MissingSpec spec);
  // Drops every variable, label and value-label map.
  void clear();

  const std::vector<std::pair<std::string, std::string>>& string_value_labels(int index) const;

  // Bumped by clear(): holders of per-variable state (the active file) use it
  // to notice that their indexes no longer refer to the same variables.
  std::uint64_t generation() const { return generation_; }

 private:
  struct Entry {
    host::VarInfo info;
    std::vector<std::pair<double, std::string>> labels;          // sorted by value
    std::vector<std::pair<std::string, std::string>> str_labels;  // sorted by value
  };
  bool valid(int index) const { return index >= 1 && index <= size(); }

  std::vector<Entry> vars_;
  std::unordered_map<std::string, int> by_name_;  // upper-cased name -> index: wide files look names up often
  std::vector<std::vector<std::pair<double, std::string>>> maps_;
  std::uint64_t generation_ = 0;
};

}  // namespace oscat::engine
