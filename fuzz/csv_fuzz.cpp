//===- csv_fuzz.cpp - Arbitrary bytes through the tool's CSV reader -------===//

#include "fuzz/ReaderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  return phrasor::fuzz::FuzzReader(phrasor::tool::ReadCsv, "fuzz.csv", data,
                                   size);
}
