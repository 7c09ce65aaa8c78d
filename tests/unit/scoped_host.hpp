// A test's engine bound as the library's host for the test's scope only: a
// later test never finds the host pointing at an engine that is gone.
#pragma once

#include "host/host.hpp"

namespace oscat::testing_support {

struct ScopedHost {
  explicit ScopedHost(host::Host& h) { host::bind_host(&h); }
  ~ScopedHost() { host::bind_host(nullptr); }
  ScopedHost(const ScopedHost&) = delete;
  ScopedHost& operator=(const ScopedHost&) = delete;
};

}  // namespace oscat::testing_support
