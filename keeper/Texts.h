//===- Texts.h - Fixed texts answered by failed lookups --------*- C++ -*-===//
//
// Constants for the life of the library: hosts may keep the pointers and
// compare them, but never free or write them. Narrow and wide forms hold the
// same characters.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_KEEPER_TEXTS_H
#define PHRASOR_KEEPER_TEXTS_H

#include "PhrasorRuntime.h"

namespace phrasor {
namespace text {

constexpr const char *kUnknown = "[UNKNOWN]";
constexpr const char *kNull = "[NULL]";
constexpr const char *kNoneId = "<none>";
constexpr const char *kEmpty = "";
constexpr const char *kInvalidIndex = "[ERROR: Invalid String Index]";
constexpr const char *kInvalidId = "[ERROR: Invalid String ID]";
constexpr const char *kNotInitialized =
    "[ERROR: String Keeper Not Initialized]";
constexpr const char *kValueNotFound = "[ERROR: String Value Not Found]";
constexpr const char *kVoicePathNotFound =
    "[ERROR: String Voice Path Not Found]";
constexpr const char *kInvalidHandle = "[ERROR: Invalid String Keeper Handle]";

constexpr const PhrasorWChar *kWEmpty = PHRASOR_TEXT("");
constexpr const PhrasorWChar *kWInvalidIndex =
    PHRASOR_TEXT("[ERROR: Invalid String Index]");
constexpr const PhrasorWChar *kWInvalidId =
    PHRASOR_TEXT("[ERROR: Invalid String ID]");
constexpr const PhrasorWChar *kWNotInitialized =
    PHRASOR_TEXT("[ERROR: String Keeper Not Initialized]");
constexpr const PhrasorWChar *kWValueNotFound =
    PHRASOR_TEXT("[ERROR: String Value Not Found]");
constexpr const PhrasorWChar *kWInvalidHandle =
    PHRASOR_TEXT("[ERROR: Invalid String Keeper Handle]");

} // namespace text
} // namespace phrasor

#endif // PHRASOR_KEEPER_TEXTS_H
