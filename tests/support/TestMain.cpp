//===- TestMain.cpp - Installs the counting host memory manager -----------===//
//
// The runtime caches the first manager the host hands out for the life of
// the process, so it is installed before any test can make a request.
//
//===----------------------------------------------------------------------===//

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

int main(int argc, char **argv) {
  SetIQVMemory(&phrasor::test::HostMemory());
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
