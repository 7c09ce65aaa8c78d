// The message catalogue: the English text behind each message key and number.
// It starts with the host's own texts (engine/catalogue/core.inc); the library
// adds its tables when it is loaded (host::Messages::add_catalogue). The first
// text of a key wins. Keys are looked up exactly; numbered keys ("E62907^1",
// "62907") are also found under their bare number.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/host.hpp"

namespace oscat::engine {

class Catalogue {
 public:
  // The host's own texts.
  Catalogue();
  // Add entries; a key that already has a text keeps it.
  void add(std::span<const host::CatalogueEntry> entries);
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

}  // namespace oscat::engine
