#include <cstdio>
#include <cstdlib>

#include "host/host.hpp"

namespace oscat::host {
namespace {
Host* g_host = nullptr;
}

void bind_host(Host* host) { g_host = host; }

bool host_bound() { return g_host != nullptr; }

Host& H() {
  // A call before the load notification bound the host is a programming error
  // of the embedding program, not of a user: say so and stop.
  if (g_host == nullptr) {
    std::fputs("oscat: procedure called before the host was bound\n", stderr);
    std::abort();
  }
  return *g_host;
}

}  // namespace oscat::host
