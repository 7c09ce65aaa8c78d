// libFuzzer target: any command body given to CATPCA, CATREG or MULTIPLE
// CORRESPONDENCE, and any host commands, must give messages, never a crash.
// The first byte picks the procedure (0-2) or the host commands (3); the
// rest is the body.
#include <cstddef>
#include <cstdint>
#include <string>

#include "syntax_fuzz_body.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::string body(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] % 4 == 3) syntax_fuzz::run_host_syntax(body);
  else syntax_fuzz::parse_body(data[0] % 4, body);
  return 0;
}
