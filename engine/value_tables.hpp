// Host value tables: distinct keys, each carrying one double. Lookups go
// through a hash map both before and after sorting; TMSORT only fixes the
// order that TMKEY/TMVAL index.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/host.hpp"

namespace oscat::engine {

class ValueTableStore : public host::ValueTables {
 public:
  // Keys longer than this are refused by TMNEWT (far beyond any string width).
  static constexpr int kMaxKeyWords = 8192;

  void TMOPEN() override;
  int TMNEWT(int key_words) override;
  double* TMGETV(int table, std::string_view key, bool insert, bool& is_new) override;
  int TMPOIN(int table) const override;
  int TMKEYL(int table) const override;
  void TMSORT(int table, bool numeric) override;
  int TMSIZE(int table) const override;
  std::string_view TMKEY(int table, int i) const override;
  double& TMVAL(int table, int i) override;
  void TMDSCP(int table) override;
  void TMFREE(int table) override;
  void TMCLOS() override;

  // Tables not yet freed (the engine frees leftovers after each procedure).
  int open_tables() const;
  void free_all();

 private:
  struct Table {
    std::size_t key_len = 8;
    std::deque<std::string> keys;   // deque: TMGETV's pointers survive later inserts
    std::deque<double> values;
    std::unordered_map<std::string, std::size_t> index;  // key -> position
  };
  Table* get(int table);
  const Table* get(int table) const;

  std::vector<std::unique_ptr<Table>> tables_;  // handle = position + 1; freed = null
  double dummy_ = 0;  // target of TMVAL with a bad index
};

}  // namespace oscat::engine
