//===- header_check.cpp - The C++ layer's header on its own, strictly -----===//
//
// Compiled, never run: the umbrella header must build alone with every
// warning as an error and without exceptions, as hosts build it.

#include "phrasor/Phrasor.h"

int phrasorCppHeaderCheck() {
  auto c = phrasor::Catalog::fromBytes(nullptr, 0);
  return c ? static_cast<int>(c->size()) : 0;
}
