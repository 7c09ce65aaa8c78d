#include "engine/value_tables.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace oscat::engine {

void ValueTableStore::TMOPEN() {}

int ValueTableStore::TMNEWT(int key_words) {
  if (key_words < 1 || key_words > kMaxKeyWords) return 0;
  auto t = std::make_unique<Table>();
  t->key_len = static_cast<std::size_t>(key_words) * 8;
  tables_.push_back(std::move(t));
  return static_cast<int>(tables_.size());
}

ValueTableStore::Table* ValueTableStore::get(int table) {
  if (table < 1 || table > static_cast<int>(tables_.size())) return nullptr;
  return tables_[static_cast<std::size_t>(table) - 1].get();
}

const ValueTableStore::Table* ValueTableStore::get(int table) const {
  if (table < 1 || table > static_cast<int>(tables_.size())) return nullptr;
  return tables_[static_cast<std::size_t>(table) - 1].get();
}

double* ValueTableStore::TMGETV(int table, std::string_view key, bool insert, bool& is_new) {
  is_new = false;
  Table* t = get(table);
  if (t == nullptr) return nullptr;
  // String keys are blank padded, as the host's string values are.
  std::string k(key.substr(0, std::min(key.size(), t->key_len)));
  k.resize(t->key_len, ' ');
  // -0 and 0 are one value: give them one key. (These 8 bytes, ending in
  // 0x80 after seven NULs, are no text a string variable can hold.)
  static const std::string negative_zero = host::numeric_key(-0.0);
  if (k == negative_zero) k = host::numeric_key(0.0);
  auto it = t->index.find(k);
  if (it != t->index.end()) return &t->values[it->second];
  if (!insert) return nullptr;
  std::size_t pos = t->keys.size();
  t->keys.push_back(k);
  t->values.push_back(0.0);
  t->index.emplace(std::move(k), pos);
  is_new = true;
  return &t->values[pos];
}

int ValueTableStore::TMPOIN(int table) const {
  const Table* t = get(table);
  return t == nullptr ? 0 : static_cast<int>(t->keys.size());
}

int ValueTableStore::TMKEYL(int table) const {
  const Table* t = get(table);
  return t == nullptr ? 0 : static_cast<int>(t->key_len);
}

void ValueTableStore::TMSORT(int table, bool numeric) {
  Table* t = get(table);
  if (t == nullptr) return;
  std::vector<std::size_t> order(t->keys.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  if (numeric) {
    // NaN keys (not produced by the data passes) go last so the order stays strict.
    auto less = [t](std::size_t a, std::size_t b) {
      double x = host::key_number(t->keys[a]), y = host::key_number(t->keys[b]);
      if (std::isnan(x)) return false;
      if (std::isnan(y)) return true;
      return x < y;
    };
    std::stable_sort(order.begin(), order.end(), less);
  } else {
    // std::string compares bytes as unsigned char, which is what "byte-wise" means.
    std::stable_sort(order.begin(), order.end(),
                     [t](std::size_t a, std::size_t b) { return t->keys[a] < t->keys[b]; });
  }
  std::deque<std::string> keys;
  std::deque<double> values;
  for (std::size_t i = 0; i < order.size(); ++i) {
    keys.push_back(std::move(t->keys[order[i]]));
    values.push_back(t->values[order[i]]);
  }
  t->keys = std::move(keys);
  t->values = std::move(values);
  t->index.clear();
  for (std::size_t i = 0; i < t->keys.size(); ++i) t->index.emplace(t->keys[i], i);
}

int ValueTableStore::TMSIZE(int table) const { return TMPOIN(table); }

std::string_view ValueTableStore::TMKEY(int table, int i) const {
  const Table* t = get(table);
  if (t == nullptr || i < 1 || i > static_cast<int>(t->keys.size())) return {};
  return t->keys[static_cast<std::size_t>(i) - 1];
}

double& ValueTableStore::TMVAL(int table, int i) {
  Table* t = get(table);
  if (t == nullptr || i < 1 || i > static_cast<int>(t->values.size())) {
    dummy_ = 0;
    return dummy_;
  }
  return t->values[static_cast<std::size_t>(i) - 1];
}

void ValueTableStore::TMDSCP(int table) {
  Table* t = get(table);
  if (t == nullptr) return;
  t->keys.clear();
  t->values.clear();
  t->index.clear();
}

void ValueTableStore::TMFREE(int table) {
  if (get(table) == nullptr) return;
  tables_[static_cast<std::size_t>(table) - 1].reset();
  // Trailing freed slots can be reused; handles in the middle stay unique.
  while (!tables_.empty() && !tables_.back()) tables_.pop_back();
}

// Closing the facility frees whatever tables the caller left behind.
void ValueTableStore::TMCLOS() { free_all(); }

int ValueTableStore::open_tables() const {
  int n = 0;
  for (const auto& t : tables_) n += t ? 1 : 0;
  return n;
}

void ValueTableStore::free_all() { tables_.clear(); }

}  // namespace oscat::engine
