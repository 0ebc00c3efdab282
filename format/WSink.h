//===- WSink.h - Bounded output into a caller's wide buffer ----*- C++ -*-===//
//
// Every unit the formatters produce goes through one sink that writes
// straight into the caller's buffer, left to right, and never past its
// capacity: what does not fit is counted as lost, and the caller learns
// that the output was cut. A cut never leaves the high half of a surrogate
// pair before the terminator.
//
// A sink may instead stream: given a WDrain, a full buffer is handed to the
// drain and reused, so a small buffer on the stack carries output of any
// length to a destination of another form (UTF-8). Only when the drain
// refuses more is the output cut.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_FORMAT_WSINK_H
#define PHRASOR_FORMAT_WSINK_H

#include "PhrasorRuntime.h"
#include "format/WStr.h"

#include <stdint.h>
#include <string.h>

namespace phrasor {

/// Takes the units of a streaming sink's full buffer. Take returns false
/// when the destination has no room for them: the output is then cut.
class WDrain {
public:
  virtual bool Take(const PhrasorWChar *units, uint32_t count) = 0;

protected:
  ~WDrain() {}
};

class WSink {
public:
  /// \p capacity units of text; the terminator goes behind them. With a
  /// \p drain the buffer is emptied into it whenever it fills.
  WSink(PhrasorWChar *buffer, uint32_t units, WDrain *streamTo = nullptr)
      : dest(buffer), size(0), capacity(units), cut(false), lost(0),
        drain(streamTo) {}

  void Put(PhrasorWChar unit) {
    if (size < capacity || Flush())
      dest[size++] = unit;
    else
      Lose(unit);
  }

  void Fill(PhrasorWChar unit, uint32_t count) {
    for (;;) {
      uint32_t n = Room() < count ? Room() : count;
      for (uint32_t i = 0; i < n; ++i)
        dest[size + i] = unit;
      size += n;
      count -= n;
      if (count == 0)
        return;
      if (!Flush()) {
        Lose(unit);
        return;
      }
    }
  }

  void Append(const PhrasorWChar *units, uint32_t count) {
    if (count <= Room()) {
      memcpy(dest + size, units, count * sizeof(PhrasorWChar));
      size += count;
      return;
    }
    for (;;) {
      uint32_t n = Room() < count ? Room() : count;
      memcpy(dest + size, units, n * sizeof(PhrasorWChar));
      size += n;
      units += n;
      count -= n;
      if (count == 0)
        return;
      if (!Flush()) {
        Lose(*units);
        return;
      }
    }
  }

  /// Append for a literal run of a text, mostly a few units long: those
  /// are copied inline rather than by a call.
  void AppendRun(const PhrasorWChar *units, uint32_t count) {
    if (count > Room()) {
      Append(units, count);
      return;
    }
    CopyUnits(dest + size, units, count);
    size += count;
  }

  /// Copies \p source up to its terminator, at most \p max units.
  void AppendString(const PhrasorWChar *source, uint32_t max) {
    for (uint32_t i = 0;;) {
      // As many units as fit, with one room check for all of them.
      const uint32_t end = max - i < Room() ? max : i + Room();
      PhrasorWChar *out = dest + size - i;
      uint32_t j = i;
      while (j < end && source[j]) {
        out[j] = source[j];
        ++j;
      }
      size += j - i;
      i = j;
      if (i == max || !source[i])
        return;
      if (!Flush()) {
        Lose(source[i]);
        return;
      }
    }
  }

  /// Narrow ASCII, as number conversions produce it.
  void AppendAscii(const char *chars, uint32_t count) {
    for (;;) {
      uint32_t n = Room() < count ? Room() : count;
      for (uint32_t i = 0; i < n; ++i)
        dest[size + i] = static_cast<PhrasorWChar>(chars[i]);
      size += n;
      chars += n;
      count -= n;
      if (count == 0)
        return;
      if (!Flush()) {
        cut = true;
        return;
      }
    }
  }

  /// Stores the terminator behind the text, or in place of a high
  /// surrogate whose low half was cut off. A streaming sink hands the rest
  /// of its buffer to the drain first.
  void Terminate() {
    if (drain && !cut)
      Flush();
    if (cut && !drain)
      size = CutPoint(dest, size, lost);
    dest[size] = 0;
  }

  /// Where the next \p count units go when they fit without a flush, for
  /// a writer that fills them out of order; Commit(count) then keeps them.
  /// Null when they do not fit: the writer then puts them in order.
  PhrasorWChar *Reserve(uint32_t count) {
    return count <= Room() ? dest + size : nullptr;
  }
  void Commit(uint32_t count) { size += count; }

  uint32_t Room() const { return capacity - size; }
  uint32_t Written() const { return size; }
  /// True once any unit did not fit: the output is cut.
  bool WasCut() const { return cut; }

private:
  /// memcpy, with the short runs between a message's inserts copied by two
  /// fixed-size moves that may overlap rather than by a call.
  static void CopyUnits(PhrasorWChar *to, const PhrasorWChar *from,
                        uint32_t count) {
    const size_t bytes = count * sizeof(PhrasorWChar);
    unsigned char *out = reinterpret_cast<unsigned char *>(to);
    const unsigned char *in = reinterpret_cast<const unsigned char *>(from);
    if (bytes > 16) {
      memcpy(out, in, bytes);
    } else if (bytes >= 8) {
      uint64_t head, tail;
      memcpy(&head, in, 8);
      memcpy(&tail, in + bytes - 8, 8);
      memcpy(out, &head, 8);
      memcpy(out + bytes - 8, &tail, 8);
    } else if (bytes >= 4) {
      uint32_t head, tail;
      memcpy(&head, in, 4);
      memcpy(&tail, in + bytes - 4, 4);
      memcpy(out, &head, 4);
      memcpy(out + bytes - 4, &tail, 4);
    } else if (bytes) {
      memcpy(out, in, 2);
    }
  }

  /// Empties a streaming sink's buffer into its drain; false for a sink
  /// that does not stream, or when the drain has no more room.
  bool Flush() {
    if (!drain || cut)
      return false;
    if (!drain->Take(dest, size)) {
      cut = true;
      return false;
    }
    size = 0;
    return true;
  }

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
  WDrain *drain;     ///< where a full buffer goes, or null
};

} // namespace phrasor

#endif // PHRASOR_FORMAT_WSINK_H
