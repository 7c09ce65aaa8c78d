#include "engine/dictionary.hpp"

#include <algorithm>
#include <cctype>

namespace oscat::engine {

namespace {

bool ascii_alpha(unsigned char c) { return std::isalpha(c) || c >= 0x80; }

std::string_view rtrim(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

}  // namespace

std::string upper_name(std::string_view name) {
  std::string u(name);
  for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return u;
}

bool same_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

bool is_valid_variable_name(std::string_view name) {
  if (name.empty() || name.size() > kMaxNameBytes) return false;
  auto first = static_cast<unsigned char>(name[0]);
  if (!(ascii_alpha(first) || first == '@' || first == '#')) return false;
  for (char ch : name) {
    auto c = static_cast<unsigned char>(ch);
    if (!(ascii_alpha(c) || std::isdigit(c) || c == '_' || c == '.' || c == '@' || c == '#' || c == '$'))
      return false;
  }
  if (name.back() == '.') return false;
  static constexpr std::string_view reserved[] = {"ALL", "AND", "BY", "EQ", "GE", "GT", "LE",
                                                  "LT",  "NE",  "NOT", "OR", "TO", "WITH"};
  for (auto r : reserved) {
    if (same_name(name, r)) return false;
  }
  return true;
}

const host::VarInfo& DictionaryStore::DICGET(int index) const {
  static const host::VarInfo blank{};
  return valid(index) ? vars_[index - 1].info : blank;
}

int DictionaryStore::DICSCH(std::string_view name) const {
  const auto it = by_name_.find(upper_name(name));
  return it == by_name_.end() ? 0 : it->second;
}

std::string DictionaryStore::VRLABG(int index) const {
  if (!valid(index)) return {};
  const auto& v = vars_[index - 1].info;
  return v.label.empty() ? v.name : v.label;
}

std::string DictionaryStore::VLBLST(int index, double value) const {
  if (!valid(index)) return {};
  const auto& labels = vars_[index - 1].labels;
  auto it = std::lower_bound(labels.begin(), labels.end(), value,
                             [](const auto& p, double v) { return p.first < v; });
  return it != labels.end() && it->first == value ? it->second : std::string{};
}

std::string DictionaryStore::VLBLST(int index, std::string_view value) const {
  if (!valid(index)) return {};
  const auto key = rtrim(value);
  for (const auto& [v, label] : vars_[index - 1].str_labels) {
    if (v == key) return label;
  }
  return {};
}

std::vector<std::pair<double, std::string>> DictionaryStore::value_labels(int index) const {
  return valid(index) ? vars_[index - 1].labels : std::vector<std::pair<double, std::string>>{};
}

const std::vector<std::pair<std::string, std::string>>& DictionaryStore::string_value_labels(int index) const {
  static const std::vector<std::pair<std::string, std::string>> none;
  return valid(index) ? vars_[index - 1].str_labels : none;
}

host::VarInfo DictionaryStore::DICCLR() const { return host::VarInfo{}; }

int DictionaryStore::DICPUT(const host::VarInfo& v) {
  int index = add_variable(v.name, v.width);
  if (index == 0) return 0;
  vars_[index - 1].info.label = v.label;
  vars_[index - 1].info.missing = v.missing;
  return index;
}

void DictionaryStore::VRLBLC(int index, std::string_view label) { set_label(index, std::string(label)); }

int DictionaryStore::KOVA_NEWVLMAP() {
  maps_.emplace_back();
  return static_cast<int>(maps_.size());
}

void DictionaryStore::KOVA_ADDVLPAIR(int map, double value, std::string_view label) {
  if (map < 1 || map > static_cast<int>(maps_.size())) return;
  maps_[map - 1].emplace_back(value, std::string(label));
}

void DictionaryStore::attach_value_labels(int index, int map) {
  if (!valid(index) || map < 1 || map > static_cast<int>(maps_.size())) return;
  vars_[index - 1].labels.clear();
  for (const auto& [value, label] : maps_[map - 1]) set_value_label(index, value, label);
}

int DictionaryStore::add_variable(std::string name, int width) {
  if (!is_valid_variable_name(name) || DICSCH(name) != 0) return 0;
  Entry e;
  e.info.index = size() + 1;
  e.info.name = std::move(name);
  e.info.width = std::max(width, 0);
  by_name_.emplace(upper_name(e.info.name), e.info.index);
  vars_.push_back(std::move(e));
  return size();
}

void DictionaryStore::set_label(int index, std::string label) {
  if (valid(index)) vars_[index - 1].info.label = std::move(label);
}

void DictionaryStore::set_value_label(int index, double value, std::string label) {
  if (!valid(index)) return;
  auto& labels = vars_[index - 1].labels;
  auto it = std::lower_bound(labels.begin(), labels.end(), value,
                             [](const auto& p, double v) { return p.first < v; });
  if (it != labels.end() && it->first == value) {
    it->second = std::move(label);
  } else {
    labels.insert(it, {value, std::move(label)});
  }
}

void DictionaryStore::set_string_value_label(int index, std::string value, std::string label) {
  if (!valid(index)) return;
  value.resize(rtrim(value).size());
  auto& labels = vars_[index - 1].str_labels;
  auto it = std::lower_bound(labels.begin(), labels.end(), value,
                             [](const auto& p, const std::string& v) { return p.first < v; });
  if (it != labels.end() && it->first == value) {
    it->second = std::move(label);
  } else {
    labels.insert(it, {std::move(value), std::move(label)});
  }
}

void DictionaryStore::clear_value_labels(int index) {
  if (!valid(index)) return;
  vars_[index - 1].labels.clear();
  vars_[index - 1].str_labels.clear();
}

void DictionaryStore::set_missing(int index, host::MissingSpec spec) {
  if (valid(index)) vars_[index - 1].info.missing = std::move(spec);
}

void DictionaryStore::clear() {
  vars_.clear();
  by_name_.clear();
  maps_.clear();
  ++generation_;
}

}  // namespace oscat::engine
