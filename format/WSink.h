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
#include "format/WStr.h"

#include <stdint.h>
#include <string.h>

namespace phrasor {

class WSink {
public:
  /// \p capacity units of text; the terminator goes behind them.
  WSink(PhrasorWChar *buffer, uint32_t units)
      : dest(buffer), size(0), capacity(units), cut(false), lost(0) {}

  void Put(PhrasorWChar unit) {
    if (size < capacity)
      dest[size++] = unit;
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
      dest[size + i] = unit;
    size += n;
  }

  void Append(const PhrasorWChar *units, uint32_t count) {
    uint32_t n = Room();
    if (count > n)
      Lose(units[n]);
    else
      n = count;
    memcpy(dest + size, units, n * sizeof(PhrasorWChar));
    size += n;
  }

  /// Copies \p source up to its terminator, at most \p max units.
  void AppendString(const PhrasorWChar *source, uint32_t max) {
    for (uint32_t i = 0; i < max && source[i]; ++i) {
      if (size == capacity) {
        Lose(source[i]);
        return;
      }
      dest[size++] = source[i];
    }
  }

  /// Narrow ASCII, as number conversions produce it.
  void AppendAscii(const char *chars, uint32_t count) {
    uint32_t n = Room();
    if (count > n)
      cut = true;
    else
      n = count;
    for (uint32_t i = 0; i < n; ++i)
      dest[size + i] = static_cast<PhrasorWChar>(chars[i]);
    size += n;
  }

  /// Stores the terminator behind the text, or in place of a high
  /// surrogate whose low half was cut off.
  void Terminate() {
    if (cut)
      size = CutPoint(dest, size, lost);
    dest[size] = 0;
  }

  uint32_t Room() const { return capacity - size; }
  uint32_t Written() const { return size; }
  /// True once any unit did not fit: the output is cut.
  bool WasCut() const { return cut; }

private:
  void Lose(PhrasorWChar unit) {
    if (!cut)
      lost = unit;
    cut = true;
  }

  PhrasorWChar *dest;
  uint32_t size;
  uint32_t capacity;
  bool cut;          ///< some unit did not fit
  PhrasorWChar lost; ///< the first unit that did not fit
};

} // namespace phrasor

#endif // PHRASOR_FORMAT_WSINK_H
