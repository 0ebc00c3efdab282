//===- ArbRecord.h - What the @arb record keeps of a file -------*- C++ -*-===//

#ifndef PHRASOR_TOOL_ARBRECORD_H
#define PHRASOR_TOOL_ARBRECORD_H

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

/// The parts of an ARB file that are no entry of the database.
struct ArbRecord {
  std::vector<std::string> order; ///< every top-level key, as written
  nlohmann::ordered_json head = nlohmann::ordered_json::object(); ///< "@@"
  /// Each message's metadata object, by the message's name.
  nlohmann::ordered_json meta = nlohmann::ordered_json::object();
  /// A text as written, where the ICU writer would spell it otherwise.
  nlohmann::ordered_json texts = nlohmann::ordered_json::object();
};

std::string EncodeArbRecord(const ArbRecord &record);
/// \p json read as an @arb value; what it cannot read is left empty.
ArbRecord DecodeArbRecord(std::string_view json);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_ARBRECORD_H
