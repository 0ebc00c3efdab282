//===- WSink.h - Bounded output into a caller's wide buffer ----*- C++ -*-===//
//
// Every unit the formatters produce goes through one sink that writes
// straight into the caller's buffer, left to right, and never past its
// capacity: what does not fit is counted as lost, and the caller learns
// that the output was cut. A cut never leaves the high half of a surrogate
// pair before the terminator.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_FORMAT_WSINK_H
#define PHRASOR_FORMAT_WSINK_H

#include "PhrasorRuntime.h"
#include "WStr.h"

#include <stdint.h>
#include <string.h>

namespace phrasor {

class WSink {
public:
  /// \p capacity units of text; the terminator goes behind them.
  WSink(PhrasorWChar *dest, uint32_t capacity)
      : Dest(dest), Size(0), Capacity(capacity), Cut(false), Lost(0) {}

  void Put(PhrasorWChar unit) {
    if (Size < Capacity)
      Dest[Size++] = unit;
    else
      Lose(unit);
  }

  void Fill(PhrasorWChar unit, uint32_t count) {
    uint32_t n = Room();
    if (count > n)
      Lose(unit);
    else
      n = count;
    for (uint32_t i = 0; i < n; ++i)
      Dest[Size + i] = unit;
    Size += n;
  }

  void Append(const PhrasorWChar *units, uint32_t count) {
    uint32_t n = Room();
    if (count > n)
      Lose(units[n]);
    else
      n = count;
    memcpy(Dest + Size, units, n * sizeof(PhrasorWChar));
    Size += n;
  }

  /// Copies \p source up to its terminator, at most \p max units.
  void AppendString(const PhrasorWChar *source, uint32_t max) {
    for (uint32_t i = 0; i < max && source[i]; ++i) {
      if (Size == Capacity) {
        Lose(source[i]);
        return;
      }
      Dest[Size++] = source[i];
    }
  }

  /// Narrow ASCII, as number conversions produce it.
  void AppendAscii(const char *chars, uint32_t count) {
    uint32_t n = Room();
    if (count > n)
      Cut = true;
    else
      n = count;
    for (uint32_t i = 0; i < n; ++i)
      Dest[Size + i] = static_cast<PhrasorWChar>(chars[i]);
    Size += n;
  }

  /// Stores the terminator behind the text, or in place of a high
  /// surrogate whose low half was cut off.
  void Terminate() {
    if (Cut)
      Size = CutPoint(Dest, Size, Lost);
    Dest[Size] = 0;
  }

  uint32_t Room() const { return Capacity - Size; }
  uint32_t Written() const { return Size; }
  /// True once any unit did not fit.
  bool Full() const { return Cut; }

private:
  void Lose(PhrasorWChar unit) {
    if (!Cut)
      Lost = unit;
    Cut = true;
  }

  PhrasorWChar *Dest;
  uint32_t Size;
  uint32_t Capacity;
  bool Cut;
  PhrasorWChar Lost; ///< the first unit that did not fit
};

} // namespace phrasor

#endif // PHRASOR_FORMAT_WSINK_H
