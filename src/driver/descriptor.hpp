// What each of the three exports hands to the shared driver.
#pragma once

#include "host/host.hpp"
#include "syntax/settings.hpp"

namespace oscat::driver {

using syntax::ProcedureKind;

struct ProcedureDescriptor {
  ProcedureKind kind = ProcedureKind::Catpca;
  const char* title = "";        // frame title, also the first line of the credit table
  const char* version = "";      // 11 characters, e.g. "Version 2.0"
  host::KeywordTable subcommands;  // 16, 15 or 15 fields
  int file_handle_slots = 6;
  int file_name_slots = 6;
};

// Message-key prefix of a procedure: "CPR", "CRG" or "MCOR".
inline const char* key_prefix(ProcedureKind k) {
  return k == ProcedureKind::Catreg ? "CRG" : (k == ProcedureKind::Mcorresp ? "MCOR" : "CPR");
}

}  // namespace oscat::driver
