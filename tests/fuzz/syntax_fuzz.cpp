// libFuzzer target: any command body given to CATPCA, CATREG or MULTIPLE
// CORRESPONDENCE, any host commands, and any command of ANACOR, HOMALS,
// OVERALS or PRINCALS must give messages, never a crash. The first byte
// picks the procedure (0-2), the host commands (3) or an older procedure
// (4-7); the rest is the body.
#include <cstddef>
#include <cstdint>
#include <string>

#include "syntax_fuzz_body.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::string body(reinterpret_cast<const char*>(data) + 1, size - 1);
  const int which = data[0] % 8;
  if (which >= 4) syntax_fuzz::run_older(which - 4, body);
  else if (which == 3) syntax_fuzz::run_host_syntax(body);
  else syntax_fuzz::parse_body(which, body);
  return 0;
}
