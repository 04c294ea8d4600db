// The store's entry points, bound one by one by name from the loaded library.
// A member is null until the loader has bound it.
#pragma once

#include "paradox/pdx.h"

namespace engine {

struct Api {
#define VINDRAL_API_MEMBER(name) decltype(&::name) name = nullptr;
  PDX_API_FUNCTIONS(VINDRAL_API_MEMBER)
#undef VINDRAL_API_MEMBER
};

}  // namespace engine
