//===- Render.h - The runtime's formatter on checked values ----*- C++ -*-===//
//
// The one seam between the layer and the runtime's formatting code: the
// layer hands it checked values and learns whether the output was written
// whole or cut, so a caller grows its buffer only when it must.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_RENDER_H
#define PHRASOR_CPP_RENDER_H

#include "base/Nodiscard.h"
#include "cpp/ArgList.h"
#include "cpp/Inserts.h"
#include "format/WSink.h"
#include "phrasor/Style.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace phrasor {

enum class PHRASOR_NODISCARD RenderResult {
  Written, ///< whole and terminated; \c written units
  Cut,     ///< did not fit the buffer
  Refused, ///< the formatter refused the text (the checks should prevent it)
};

RenderResult renderText(Style style, PhrasorWChar *buffer, std::uint32_t length,
                        const PhrasorWChar *text, const ArgList &values,
                        std::uint32_t &written);

/// renderText from the text's kept parse: \p parsed belongs to \p stored,
/// and \p text is what bindArguments gave to format (\p stored, or a
/// widened copy, which is parsed for this call).
RenderResult renderText(Style style, const Inserts &parsed,
                        const PhrasorWChar *stored, PhrasorWChar *buffer,
                        std::uint32_t length, const PhrasorWChar *text,
                        const ArgList &values, std::uint32_t &written);

/// UTF-8 output: takes the formatter's UTF-16 units, up to the first
/// U+0000 as the layer's text ends there, and writes them as UTF-8 (each
/// unpaired surrogate as U+FFFD) into a caller's buffer or a string.
/// Refuses more once the buffer is full or the output passes
/// kMaxOutputUnits units, as the UTF-16 calls do.
class Utf8Drain final : public WDrain {
public:
  /// \p capacity bytes of text; the terminator goes behind them.
  Utf8Drain(char *buffer, std::size_t capacity)
      : dest(buffer), room(capacity) {}
  explicit Utf8Drain(std::string &out) : grow(&out) {}

  bool Take(const PhrasorWChar *units, std::uint32_t count) override;
  /// Ends the text: a high surrogate left last becomes U+FFFD, a string is
  /// cut to its text, a buffer terminated. False when that does not fit.
  bool finish();
  std::size_t size() const { return used; }
  /// True when the output passed kMaxOutputUnits units.
  bool overLimit() const { return tooMany; }

private:
  bool put(char32_t c);
  /// Makes the string room for \p count more units and points at it.
  void growFor(std::uint32_t count);

  char *dest = nullptr;
  std::size_t room = 0;
  std::size_t used = 0;
  std::string *grow = nullptr;
  std::size_t units = 0;
  PhrasorWChar high = 0; ///< a high surrogate waiting for its low half
  bool ended = false;    ///< a U+0000 ended the text
  bool tooMany = false;
};

/// Formats into \p drain: as renderText, from the kept parse.
RenderResult renderUtf8(Style style, const Inserts &parsed,
                        const PhrasorWChar *stored, const PhrasorWChar *text,
                        const ArgList &values, Utf8Drain &drain);

} // namespace phrasor

#endif // PHRASOR_CPP_RENDER_H
