//===- WStr.h - Bounded copies into caller-owned wide buffers --*- C++ -*-===//
//
// Every write the runtime makes into a host buffer goes through these
// routines or the printf engine: none writes past the stated length, and
// each leaves the buffer terminated whenever that length is not 0.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_FORMAT_WSTR_H
#define PHRASOR_FORMAT_WSTR_H

#include "PhrasorRuntime.h"

#include <stdint.h>

namespace phrasor {

inline bool IsHighSurrogate(PhrasorWChar unit) {
  return unit >= 0xD800 && unit < 0xDC00;
}
inline bool IsLowSurrogate(PhrasorWChar unit) {
  return unit >= 0xDC00 && unit < 0xE000;
}

/// Where to put the terminator after \p kept units of a text that was cut
/// before \p lost: one unit earlier when the cut falls inside a surrogate
/// pair, so a cut text never ends in half a character.
inline uint32_t CutPoint(const PhrasorWChar *dest, uint32_t kept,
                         PhrasorWChar lost) {
  return kept && IsHighSurrogate(dest[kept - 1]) && IsLowSurrogate(lost)
             ? kept - 1
             : kept;
}

/// Copies as much of \p source as fits in \p length - 1 units and
/// terminates (never between the halves of a surrogate pair); also stores
/// a terminator in the last element. A null source
/// is the empty string; a null or empty destination is left alone.
void WStrCopy(PhrasorWChar *dest, const PhrasorWChar *source, uint32_t length);

/// Copies at most \p count units (fewer if \p source ends first, at most
/// \p length - 1) and terminates right after the last one copied, or
/// before a high surrogate whose low half the buffer cut off.
void WStrCopyN(PhrasorWChar *dest, const PhrasorWChar *source, uint32_t length,
               uint32_t count);

/// Converts the host's narrow text (UTF-8 here, the ANSI code page on
/// Windows) and copies it as WStrCopy does. Texts of up to 127 bytes are
/// converted on the stack; longer ones take one heap block, given back
/// before returning. A failed request leaves the empty string.
void CopyNarrowToWide(PhrasorWChar *dest, uint32_t length, const char *source);

/// Short-lived conversion of a narrow text: inline storage for the common
/// case, a heap block from MemAlloc beyond it.
class WideFromNarrow {
public:
  static constexpr uint32_t kInlineLength = 128;

  explicit WideFromNarrow(const char *source);
  ~WideFromNarrow();
  WideFromNarrow(const WideFromNarrow &) = delete;
  WideFromNarrow &operator=(const WideFromNarrow &) = delete;

  /// The terminated conversion, or null (null source or no memory).
  const PhrasorWChar *Get() const { return Text; }

private:
  PhrasorWChar *Text;
  PhrasorWChar Inline[kInlineLength];
};

/// Converts \p sourceLength narrow bytes into at most \p sourceLength units
/// at \p dest (the host's encoding, at most one unit per byte). Returns the
/// number of units written.
uint32_t NarrowToWide(PhrasorWChar *dest, const char *source,
                      uint32_t sourceLength);

/// Streams a narrow text as UTF-16, one character at a time, converted as
/// NarrowToWide converts it, without allocating. Reads no byte behind the
/// terminator, and no byte of a character it has not been asked for, so a
/// caller that stops early reads only what it used.
class NarrowReader {
public:
  explicit NarrowReader(const char *source);

  /// Stores the next character's units (one, or two for a surrogate pair)
  /// in \p out and returns their count; 0 at the terminator.
  uint32_t Next(PhrasorWChar out[2]) {
#if !defined(_WIN32)
    // ASCII is most of what hosts pass; it needs no decoding.
    unsigned char c = *pos;
    if (c < 0x80) {
      if (!c)
        return 0;
      ++pos;
      out[0] = c;
      return 1;
    }
#endif
    return NextDecoded(out);
  }

private:
  uint32_t NextDecoded(PhrasorWChar out[2]);

  const unsigned char *pos;
#if defined(_WIN32)
  // The code page may use two bytes per character; a chunk never ends
  // between a lead byte and its trail byte.
  static constexpr uint32_t kChunk = 32;
  PhrasorWChar units[kChunk];
  uint32_t count = 0, index = 0;
#endif
};

#if !defined(_WIN32)
/// Decodes one UTF-8 sequence at \p p (not past \p end) and advances \p p.
/// Malformed input gives U+FFFD and advances by one byte, so every byte
/// yields at most one code point and at most two UTF-16 units, and a
/// multi-byte sequence never yields more units than it has bytes.
uint32_t DecodeUtf8(const unsigned char *&p, const unsigned char *end);
#endif

} // namespace phrasor

#endif // PHRASOR_FORMAT_WSTR_H
