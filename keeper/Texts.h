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

constexpr const char *Unknown = "[UNKNOWN]";
constexpr const char *Null = "[NULL]";
constexpr const char *NoneId = "<none>";
constexpr const char *Empty = "";
constexpr const char *InvalidIndex = "[ERROR: Invalid String Index]";
constexpr const char *InvalidId = "[ERROR: Invalid String ID]";
constexpr const char *NotInitialized = "[ERROR: String Keeper Not Initialized]";
constexpr const char *ValueNotFound = "[ERROR: String Value Not Found]";
constexpr const char *VoicePathNotFound =
    "[ERROR: String Voice Path Not Found]";
constexpr const char *InvalidHandle = "[ERROR: Invalid String Keeper Handle]";

constexpr const PhrasorWChar *WEmpty = PHRASOR_TEXT("");
constexpr const PhrasorWChar *WInvalidIndex =
    PHRASOR_TEXT("[ERROR: Invalid String Index]");
constexpr const PhrasorWChar *WInvalidId =
    PHRASOR_TEXT("[ERROR: Invalid String ID]");
constexpr const PhrasorWChar *WNotInitialized =
    PHRASOR_TEXT("[ERROR: String Keeper Not Initialized]");
constexpr const PhrasorWChar *WValueNotFound =
    PHRASOR_TEXT("[ERROR: String Value Not Found]");
constexpr const PhrasorWChar *WInvalidHandle =
    PHRASOR_TEXT("[ERROR: Invalid String Keeper Handle]");

} // namespace text
} // namespace phrasor

#endif // PHRASOR_KEEPER_TEXTS_H
