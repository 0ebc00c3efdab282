//===- json_fuzz.cpp - Arbitrary bytes through the tool's JSON reader -----===//
//
// Each input is read twice: as plain JSON, and with its texts read as ICU
// MessageFormat texts (--syntax icu), whose compiler must turn any text
// into forms or an error.

#include "fuzz/ReaderFuzz.h"

namespace {

void ReadPlain(const std::string &file, std::string_view text,
               phrasor::tool::Diagnostics &diag,
               std::vector<phrasor::tool::SourceEntry> &out) {
  phrasor::tool::ReadJson(file, text, diag, out, false);
}

void ReadIcu(const std::string &file, std::string_view text,
             phrasor::tool::Diagnostics &diag,
             std::vector<phrasor::tool::SourceEntry> &out) {
  phrasor::tool::ReadJson(file, text, diag, out, true);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  phrasor::fuzz::FuzzReader(ReadPlain, "fuzz.json", data, size);
  return phrasor::fuzz::FuzzReader(ReadIcu, "fuzz.json", data, size);
}
