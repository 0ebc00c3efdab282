//===- IcuMessage.h - ICU MessageFormat texts in and out --------*- C++ -*-===//
//
// Translation platforms and Flutter write one text per ID in ICU's
// MessageFormat: named arguments, and plural, selectordinal and select
// choices nested in the text. A database holds one entry per form instead
// (ID#one, ID#gender-feminine#one), each a message with numbered inserts.
//
// CompileIcu turns one ICU text into those forms and records the names of
// its arguments; WriteIcu gives the forms of one ID back as one ICU text.
//
// Arguments are numbered by name, the strings before the numbers, and not
// in the order a text first shows them: a translation may put its
// arguments in another order, and must still give the program's arguments
// the numbers its source gives them. An argument only chosen by is no
// insert (the program passes the count and the select's value by
// themselves). A form that skips a string argument before one it shows
// reads it with an insert of no characters (%1!.0s!), so that the
// arguments after it are found where the program put them.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_ICUMESSAGE_H
#define PHRASOR_TOOL_ICUMESSAGE_H

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

/// What an ICU text names, kept for the way back (in @icu-args,
/// Metadata.h).
struct IcuArgs {
  std::vector<std::string> names; ///< by insert number, from %1
  std::string select;             ///< the select's argument, if any
  std::string plural; ///< the plural or selectordinal's argument, if any
  bool operator==(const IcuArgs &o) const {
    return names == o.names && select == o.select && plural == o.plural;
  }
};

/// One form of a text: the ID's suffix ("", "#one", "#gender-feminine#=0")
/// and its message text (%1!s!, %2!'d!, %% for a percent sign).
struct IcuForm {
  std::string suffix;
  std::string text;
};

struct IcuCompiled {
  std::vector<IcuForm> forms;
  IcuArgs args;
};

/// Why a text could not be read, at a byte offset of it.
struct IcuError {
  std::size_t offset = 0;
  std::string message;
};

/// The forms of the ICU text \p text, or nothing and \p error.
std::optional<IcuCompiled> CompileIcu(std::string_view text, IcuError &error);

/// The ICU text of the forms of one ID (suffixes as CompileIcu gives
/// them), or nothing and \p problem when a form holds what ICU cannot say.
std::optional<std::string> WriteIcu(const std::vector<IcuForm> &forms,
                                    const IcuArgs &args, std::string &problem);

/// "at character 12 ('}')" for \p offset in \p text, counted in code
/// points from 1; "at the end" past the last.
std::string IcuErrorPlace(std::string_view text, std::size_t offset);

/// The @icu-args value for \p record, as JSON.
std::string EncodeIcuArgs(const std::map<std::string, IcuArgs> &record);
/// \p json read as an @icu-args value; IDs it cannot read are left out.
std::map<std::string, IcuArgs> DecodeIcuArgs(std::string_view json);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_ICUMESSAGE_H
