#include "engine/catalogue.hpp"

#include <algorithm>
#include <cctype>

namespace oscat::engine {

namespace {

// The host's own texts; the library's come through add().
const host::CatalogueEntry kHostEntries[] = {
#include "engine/catalogue/core.inc"
};

bool all_digits(std::string_view s) {
  return !s.empty() &&
         std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

}  // namespace

std::string Catalogue::normalise(std::string_view key) {
  // Numbered keys: optional "E", digits, optional "^n" slot markers.
  std::string_view s = key;
  if (!s.empty() && s.front() == 'E') s.remove_prefix(1);
  std::size_t caret = s.find('^');
  std::string_view digits = s.substr(0, caret);
  if (!all_digits(digits)) return std::string(key);
  if (caret != std::string_view::npos) {
    // Everything after the number must be slot markers such as "^1" or "^1^2".
    std::string_view rest = s.substr(caret);
    while (!rest.empty()) {
      if (rest.size() < 2 || rest[0] != '^' || !std::isdigit(static_cast<unsigned char>(rest[1])))
        return std::string(key);
      rest.remove_prefix(2);
    }
  }
  return std::string(digits);
}

Catalogue::Catalogue() { add(kHostEntries); }

void Catalogue::add(std::span<const host::CatalogueEntry> entries) {
  for (const auto& e : entries) entries_.emplace(normalise(e.key), e.text);
}

std::optional<std::string> Catalogue::lookup(std::string_view key) const {
  auto it = entries_.find(std::string(key));
  if (it == entries_.end()) it = entries_.find(normalise(key));
  if (it == entries_.end()) return std::nullopt;
  return it->second;
}

std::string Catalogue::translate(std::string_view key) const {
  auto t = lookup(key);
  return t ? *t : std::string(key);
}

std::vector<std::string> Catalogue::keys() const {
  std::vector<std::string> out;
  out.reserve(entries_.size());
  for (const auto& [k, v] : entries_) out.push_back(k);
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace oscat::engine
