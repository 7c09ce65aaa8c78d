// The message catalogue: the English text behind each message key and number.
// Entries come from engine/catalogue/<area>.inc; every area owner keeps its own
// file. Keys are looked up exactly; numbered keys ("E62907^1", "62907") are also
// found under their bare number.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace oscat::engine {

class Catalogue {
 public:
  Catalogue();
  // The entry for `key`, or nullopt when the catalogue has none.
  std::optional<std::string> lookup(std::string_view key) const;
  // The entry for `key`, else the key itself (keys read as English).
  std::string translate(std::string_view key) const;
  // Every stored key (numbered keys in their bare form).
  std::vector<std::string> keys() const;
  // "E62907^1" -> "62907"; keys that are not numbered come back unchanged.
  static std::string normalise(std::string_view key);

 private:
  std::unordered_map<std::string, std::string> entries_;
};

// The one catalogue of the process (built on first use).
const Catalogue& catalogue();

// For tests that check every key used in the sources has an entry.
std::vector<std::string> catalogue_keys();

}  // namespace oscat::engine
