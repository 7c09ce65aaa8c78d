// Message handles, composite strings and reported messages.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/catalogue.hpp"
#include "engine/output_model.hpp"
#include "engine/session.hpp"
#include "host/host.hpp"

namespace oscat::engine {

// Fill the ^1..^9 slots and "[first:middle:last]n" list slots of `pattern`
// with `params` (in the order they were added). Pure; exposed for tests and
// for builders that fill catalogue texts themselves.
std::string fill_slots(std::string_view pattern, const std::vector<std::string>& params);

class MessageStore : public host::Messages {
 public:
  explicit MessageStore(Session& session);

  // Drop every handle (between commands). The error flag is left alone.
  void reset();

  // Key, shown text and parameter texts of a handle; handle 0 or an unknown
  // handle gives an empty Text.
  Text resolve(host::Msg m) const;
  bool valid(host::Msg m) const;

  host::Msg BP_CSTRING(std::string_view key) override;
  host::Msg BP_CSTRING_NO_TRANSLATE(std::string_view text) override;
  host::Msg CX_NSTRING(std::string_view number) override;
  host::Msg BP_IVALUE(std::int64_t v, host::Format f = host::BP_N_FORMAT()) override;
  host::Msg BP_LRVALUE(double v, host::Format f = host::BP_GENSTAT_FORMAT()) override;
  host::Msg BP_BEGIN_COMPSTRING(host::Msg pattern) override;
  void BP_ADD_PARAMETER(host::Msg composite, host::Msg parameter) override;
  host::Msg BP_END_COMPSTRING(host::Msg composite) override;
  void BP_ERROR(host::Msg message, int cls, int severity) override;
  void ERROR(int number, int cls, int severity, std::vector<std::string> params = {}) override;
  std::string text(host::Msg m) const override;
  bool error_flag() const override { return error_; }
  void clear_error_flag() override { error_ = false; }
  void ASSERT(bool condition, std::string_view routine, std::string_view condition_text) override;
  void add_catalogue(std::span<const host::CatalogueEntry> entries) override { catalogue_.add(entries); }

  // The texts keys are translated with: the host's own and the tables added.
  const Catalogue& catalogue() const { return catalogue_; }
  std::size_t handle_count() const { return entries_.size(); }

 private:
  enum class Kind { Key, Literal, Number, Value, Composite };
  struct Entry {
    Kind kind = Kind::Literal;
    std::string text;              // key, literal text, number, or formatted value
    host::Msg pattern = 0;         // composites
    std::vector<host::Msg> params; // composites
  };

  host::Msg add(Entry e);
  const Entry* get(host::Msg m) const;
  Text resolve_depth(host::Msg m, int depth) const;
  void report(Message m);

  Session& session_;
  Catalogue catalogue_;
  std::vector<Entry> entries_;  // handle h is entries_[h - 1]
  bool error_ = false;
};

}  // namespace oscat::engine
