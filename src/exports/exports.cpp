// The library's exported entry points and its load notification.
//
// A host loads the library, calls oscat_load with its services (the load
// notification binds them), then calls one export per command with its
// workspace handle. The library keeps no state between calls.
#include "exports/procedures.hpp"
#include "host/host.hpp"

#define OSCAT_EXPORT extern "C" __attribute__((visibility("default")))

OSCAT_EXPORT void oscat_load(oscat::host::Host* host) {
  oscat::host::bind_host(host);
  oscat::host::register_messages();
}

OSCAT_EXPORT void CATPCA(int* /*workspace*/) { oscat::run_catpca(); }
OSCAT_EXPORT void CATREG(int* /*workspace*/) { oscat::run_catreg(); }
OSCAT_EXPORT void MCORRESP(int* /*workspace*/) { oscat::run_mcorresp(); }
OSCAT_EXPORT void CORRES(int* /*workspace*/) { oscat::run_corres(); }
OSCAT_EXPORT void ANACOR(int* /*workspace*/) { oscat::run_anacor(); }
OSCAT_EXPORT void HOMALS(int* /*workspace*/) { oscat::run_homals(); }
OSCAT_EXPORT void OVERAL(int* /*workspace*/) { oscat::run_overals(); }
OSCAT_EXPORT void PRINCL(int* /*workspace*/) { oscat::run_princals(); }
