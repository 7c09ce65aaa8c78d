// Listing output of the older procedures: plain text lines gathered into
// TextBlock items of the session.
#pragma once

#include <string>
#include <string_view>

#include "engine/output_model.hpp"
#include "engine/session.hpp"
#include "host/host.hpp"

namespace oscat::engine {

class ListingBuilder : public host::Listing {
 public:
  explicit ListingBuilder(Session& session);

  // Forget the current block (between commands).
  void reset();

  void PRTLNC(std::string_view line) override;
  void PUTSKP(int lines) override;
  void PUTCPG() override;
  void PUTTAB(std::string_view title) override;
  bool LINECK(int lines) override;
  int LINECT() const override;

  // Upper bound on blank lines per PUTSKP call, so a garbage count cannot
  // exhaust memory.
  static constexpr int kMaxSkip = 1000;

 private:
  // The current block if it is still the last output item, else nullptr.
  TextBlock* current() const;
  TextBlock& block();

  Session& session_;
  TextBlock* block_ = nullptr;  // last block this builder appended
};

}  // namespace oscat::engine
