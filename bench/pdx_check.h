// Benchmarks stop at the first failed call of the store's C interface, with
// the store's own message: a figure measured past a failure would mean nothing.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "paradox/pdx.h"
#include "paradox/pdx_codes.h"

namespace bench {

inline void Check(pdx_code rc, const char* what) {
  if (rc == PDX_OK) return;
  char text[1024];
  pdx_last_error(nullptr, text, sizeof text);
  std::fprintf(stderr, "%s failed: %u %s\n", what, rc, text);
  std::exit(1);
}

}  // namespace bench
