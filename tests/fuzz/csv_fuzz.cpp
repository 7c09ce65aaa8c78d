// libFuzzer target: any bytes as a CSV data file (or as its dictionary) must
// be read or refused with a message, never crash, and the two CSV readers
// must agree.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "csv_fuzz_body.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  csv_fuzz::read_input(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
