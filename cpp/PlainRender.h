//===- PlainRender.h - Messages of plain inserts, written directly -*- C++
//-*-===//
//
// Most stored messages hold only "%%", %n!s! and %n!d!. For those the layer
// keeps, once per text, the literal runs between the inserts with the
// escapes folded in, as UTF-16 and already encoded as UTF-8, and writes a
// call's output straight from them and from the caller's arguments: no
// argument list, no formatter, and for UTF-8 out no round trip through
// UTF-16 of the literal text or of a UTF-8 argument. The output is the
// formatter's, unit for unit (and byte for byte of its UTF-8 form).
//
// What these writers do not handle simply they decline, and the call takes
// the general path, which gives the refusal, the cut or the text: an
// argument of another type, output that does not fit the buffer or passes
// the unit limit, a UTF-16 argument that ends in half a surrogate pair (it
// could pair with what follows).
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_PLAINRENDER_H
#define PHRASOR_CPP_PLAINRENDER_H

#include "cpp/NumberTable.h"
#include "cpp/Numbers.h"
#include "format/Prepared.h"
#include "phrasor/Args.h"
#include "phrasor/Style.h"
#include "phrasor/Text.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace phrasor {

/// A literal run, then (unless it is the last) one insert.
struct PlainStep {
  std::uint32_t unitBegin; ///< the run in PlainPlan::units
  std::uint32_t unitCount;
  std::uint32_t byteBegin; ///< the same run in PlainPlan::bytes
  std::uint32_t byteCount;
  std::uint32_t insertBegin; ///< where that insert's '%' is in the text
  std::uint16_t arg;         ///< the argument of the insert after the run
  bool number;               ///< that insert is %n!d! (else %n!s!)
  bool last;                 ///< no insert follows the run
  /// That insert is a number the layer writes (a %n!s! of a rewritten
  /// text, Numbers.h): its index in PlainPlan::numbers, else -1.
  std::int8_t layerNumber;
};

struct PlainPlan {
  /// The text is a message of plain inserts: the UTF-16 writer applies.
  bool ok = false;
  /// The UTF-8 writer applies too: no run but the last ends in a high
  /// surrogate, which could pair with an argument's first unit.
  bool utf8 = false;
  std::uint32_t fields = 0; ///< arguments the message takes
  std::uint32_t length = 0; ///< units of the stored text
  std::uint32_t stepCount = 0;
  PlainStep steps[kMaxMessageFields + 1];
  Text units;
  std::string bytes;
  /// How the steps with a layerNumber write theirs: integers only.
  std::vector<NumberInsert> numbers;
};

/// The plan of \p text, prepared as \p message; not ok unless every insert
/// of \p message is plain.
void planPlainMessage(const PhrasorWChar *text, const PreparedMessage &message,
                      PlainPlan &plan);

/// Marks the steps of \p plan (of a rewritten text) whose insert is one of
/// \p numbers, to be written by writeInteger. A number other than an
/// integer takes the general path, so the plan is then not ok.
void planPlainNumbers(PlainPlan &plan,
                      const std::vector<NumberInsert> &numbers);

/// Writes the message into \p out (\p capacity units of text, the
/// terminator behind them) and sets \p written; false, with \p out holding
/// nothing useful, when the general path must do it.
/// The numbers of the layer are written in \p style's way.
bool writePlainUtf16(const PlainPlan &plan, const Arg *args, std::size_t count,
                     const numbers::NumberStyle &style, PhrasorWChar *out,
                     std::uint32_t capacity, std::uint32_t &written);

/// The same as UTF-8, into \p capacity bytes and a terminator; the output
/// is held to kMaxOutputUnits UTF-16 units as the UTF-16 calls are.
bool writePlainUtf8(const PlainPlan &plan, const Arg *args, std::size_t count,
                    const numbers::NumberStyle &style, char *out,
                    std::size_t capacity, std::size_t &written);

} // namespace phrasor

#endif // PHRASOR_CPP_PLAINRENDER_H
