// The library's exported entry points and its load notification.
//
// A host loads the library, calls oscat_load with its services (the load
// notification binds them), then calls one export per command with its
// workspace handle. The library keeps no state between calls.
//
// No exception may cross into the host: each procedure's frame reports what
// its command threw and closes; what still escapes (a fault of the frame
// itself) is reported here as an internal error of the command.
#include <exception>

#include "exports/procedures.hpp"
#include "host/host.hpp"

#define OSCAT_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

template <class F>
void guarded(const char* routine, F&& run) noexcept {
  try {
    run();
  } catch (const std::exception& e) {
    try {
      if (oscat::host::host_bound()) oscat::host::H().msg.ASSERT(false, routine, e.what());
    } catch (...) {
    }
  } catch (...) {
    try {
      if (oscat::host::host_bound()) oscat::host::H().msg.ASSERT(false, routine, "unknown exception");
    } catch (...) {
    }
  }
}

}  // namespace

OSCAT_EXPORT void oscat_load(oscat::host::Host* host) {
  oscat::host::bind_host(host);
  oscat::host::register_messages();
}

OSCAT_EXPORT void CATPCA(int* /*workspace*/) { guarded("CATPCA", oscat::run_catpca); }
OSCAT_EXPORT void CATREG(int* /*workspace*/) { guarded("CATREG", oscat::run_catreg); }
OSCAT_EXPORT void MCORRESP(int* /*workspace*/) { guarded("MCORRESP", oscat::run_mcorresp); }
OSCAT_EXPORT void CORRES(int* /*workspace*/) { guarded("CORRES", oscat::run_corres); }
OSCAT_EXPORT void ANACOR(int* /*workspace*/) { guarded("ANACOR", oscat::run_anacor); }
OSCAT_EXPORT void HOMALS(int* /*workspace*/) { guarded("HOMALS", oscat::run_homals); }
OSCAT_EXPORT void OVERAL(int* /*workspace*/) { guarded("OVERAL", oscat::run_overals); }
OSCAT_EXPORT void PRINCL(int* /*workspace*/) { guarded("PRINCL", oscat::run_princals); }
