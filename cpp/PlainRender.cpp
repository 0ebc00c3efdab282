//===- PlainRender.cpp - Messages of plain inserts, written directly ------===//

#include "cpp/PlainRender.h"

#include "cpp/Utf.h"

#include <cstring>
#include <iterator>

namespace phrasor {
namespace {

bool isHighSurrogate(std::uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(std::uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// memcpy, with the short runs between inserts copied by two fixed-size
// moves that may overlap rather than by a call.
inline void copyBytes(void *to, const void *from, std::size_t bytes) {
  auto *out = static_cast<unsigned char *>(to);
  const auto *in = static_cast<const unsigned char *>(from);
  if (bytes > 16) {
    std::memcpy(out, in, bytes);
  } else if (bytes >= 8) {
    std::uint64_t head, tail;
    std::memcpy(&head, in, 8);
    std::memcpy(&tail, in + bytes - 8, 8);
    std::memcpy(out, &head, 8);
    std::memcpy(out + bytes - 8, &tail, 8);
  } else if (bytes >= 4) {
    std::uint32_t head, tail;
    std::memcpy(&head, in, 4);
    std::memcpy(&tail, in + bytes - 4, 4);
    std::memcpy(out, &head, 4);
    std::memcpy(out + bytes - 4, &tail, 4);
  } else if (bytes) {
    out[0] = in[0];
    out[bytes / 2] = in[bytes / 2];
    out[bytes - 1] = in[bytes - 1];
  }
}

// The digits of %n!d!, as the formatter writes them, of a 32-bit value or,
// for a 64-bit C++ integer (which the general path widens to %n!I64d!), of
// a 64-bit one.
struct PlainInt {
  std::int64_t value;
  bool wide;
};

template <class U> std::uint32_t decimalLength(U magnitude, bool negative) {
  return static_cast<std::uint32_t>(decimalDigits(magnitude)) + negative;
}

// Writes \p length units, last digit first, two digits a division.
template <class C, class U>
void writeDigits(C *out, U magnitude, bool negative, std::uint32_t length) {
  static const char kPairs[] =
      "00010203040506070809101112131415161718192021222324"
      "25262728293031323334353637383940414243444546474849"
      "50515253545556575859606162636465666768697071727374"
      "75767778798081828384858687888990919293949596979899";
  std::uint32_t n = length;
  while (magnitude >= 100) {
    const auto pair = static_cast<std::uint32_t>(2 * (magnitude % 100));
    magnitude /= 100;
    out[--n] = static_cast<C>(kPairs[pair + 1]);
    out[--n] = static_cast<C>(kPairs[pair]);
  }
  const auto last = static_cast<std::uint32_t>(magnitude);
  if (last >= 10) {
    out[--n] = static_cast<C>(kPairs[2 * last + 1]);
    out[--n] = static_cast<C>(kPairs[2 * last]);
  } else {
    out[--n] = static_cast<C>('0' + last);
  }
  if (negative)
    out[--n] = static_cast<C>('-');
}

// The value an integer insert takes, as the general path binds it: a 64-bit
// C++ integer whole, any other cut to 32 bits. False for an argument that
// is not an integer.
inline bool plainInteger(const Arg &a, PlainInt &value) {
  if (!(a.type == ArgType::Signed || a.type == ArgType::Unsigned ||
        a.type == ArgType::Bool || a.type == ArgType::Char))
    return false;
  value.wide = a.wide;
  value.value = a.wide ? a.value.i : static_cast<std::int32_t>(a.value.i);
  return true;
}

// What a text insert shows for a null pointer; a view with no data shows
// nothing.
constexpr char kNull[] = "(null)";

// Writes \p number's digits at \p out + used within \p capacity.
template <class C>
inline bool putDecimal(C *out, std::size_t &used, std::size_t capacity,
                       const PlainInt &number, std::size_t &units) {
  const bool negative = number.value < 0;
  std::uint32_t n;
  if (number.wide) {
    const std::uint64_t magnitude =
        negative ? 0u - static_cast<std::uint64_t>(number.value)
                 : static_cast<std::uint64_t>(number.value);
    n = decimalLength(magnitude, negative);
    if (n > capacity - used)
      return false;
    writeDigits(out + used, magnitude, negative, n);
  } else {
    const auto word = static_cast<std::int32_t>(number.value);
    const std::uint32_t magnitude = negative
                                        ? 0u - static_cast<std::uint32_t>(word)
                                        : static_cast<std::uint32_t>(word);
    n = decimalLength(magnitude, negative);
    if (n > capacity - used)
      return false;
    writeDigits(out + used, magnitude, negative, n);
  }
  used += n;
  units += n;
  return true;
}

// True when some byte of \p w is zero or above 0x7F (a borrow may flag a
// byte above one of those too, which only ends a fast run early).
inline bool notPlainAscii(std::uint64_t w) {
  return (((w - 0x0101010101010101ull) | w) & 0x8080808080808080ull) != 0;
}

// Copies bytes of \p s from \p i while they are ASCII and not zero, as many
// as fit in \p room; returns the index of the first byte not copied.
inline std::size_t copyAscii(char *out, const unsigned char *s, std::size_t i,
                             std::size_t n, std::size_t room) {
  const std::size_t end = n - i < room ? n : i + room;
  char *to = out - i;
  while (end - i >= 8) {
    std::uint64_t w;
    std::memcpy(&w, s + i, 8);
    if (notPlainAscii(w))
      break;
    std::memcpy(to + i, &w, 8);
    i += 8;
  }
  while (i < end && static_cast<unsigned>(s[i]) - 1u < 0x7Fu) {
    to[i] = static_cast<char>(s[i]);
    ++i;
  }
  return i;
}

// \p c (not a surrogate) as UTF-8 at \p out + used, within \p capacity.
inline bool putUtf8(char *out, std::size_t &used, std::size_t capacity,
                    char32_t c) {
  const std::size_t n = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
  if (n > capacity - used)
    return false;
  char *to = out + used;
  if (n == 1) {
    to[0] = static_cast<char>(c);
  } else if (n == 2) {
    to[0] = static_cast<char>(0xC0 | (c >> 6));
    to[1] = static_cast<char>(0x80 | (c & 0x3F));
  } else if (n == 3) {
    to[0] = static_cast<char>(0xE0 | (c >> 12));
    to[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    to[2] = static_cast<char>(0x80 | (c & 0x3F));
  } else {
    to[0] = static_cast<char>(0xF0 | (c >> 18));
    to[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    to[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    to[3] = static_cast<char>(0x80 | (c & 0x3F));
  }
  used += n;
  return true;
}

// A UTF-8 argument into UTF-8 output: the text the general path gets by
// widening it (each maximal bad subsequence a U+FFFD, ending at a zero
// byte) and encoding the result, which for valid text is its own bytes.
bool utf8ToUtf8(const Arg &a, char *out, std::size_t &used,
                std::size_t capacity, std::size_t &units) {
  const auto *s = static_cast<const unsigned char *>(a.value.p);
  const std::size_t n = a.length;
  for (std::size_t i = 0; i < n;) {
    const std::size_t j = copyAscii(out + used, s, i, n, capacity - used);
    used += j - i;
    units += j - i;
    i = j;
    if (i == n || s[i] == 0)
      break;
    if (s[i] < 0x80)
      return false; // ASCII with no room left
    const char32_t c = decodeUtf8(
        std::string_view(static_cast<const char *>(a.value.p), n), i);
    if (!putUtf8(out, used, capacity, c))
      return false;
    units += c >= 0x10000 ? 2 : 1;
  }
  return true;
}

// A UTF-16 argument into UTF-8 output, each lone surrogate as U+FFFD; false
// for one that ends in a high surrogate, which the general path would pair
// with a low one that follows.
bool utf16ToUtf8Out(const PhrasorWChar *s, std::size_t n, char *out,
                    std::size_t &used, std::size_t capacity,
                    std::size_t &units) {
  std::size_t i = 0;
  for (; i < n; ++i) {
    const std::uint32_t u = static_cast<std::uint16_t>(s[i]);
    if (u - 1u < 0x7Fu) {
      if (used == capacity)
        return false;
      out[used++] = static_cast<char>(u);
      continue;
    }
    if (u == 0)
      break;
    char32_t c = u;
    if (isHighSurrogate(u)) {
      const std::uint32_t next =
          i + 1 < n ? static_cast<std::uint16_t>(s[i + 1]) : 0;
      if (next == 0)
        return false;
      if (isLowSurrogate(next)) {
        c = 0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00);
        ++i;
      } else {
        c = 0xFFFD;
      }
    } else if (isLowSurrogate(u)) {
      c = 0xFFFD;
    }
    if (!putUtf8(out, used, capacity, c))
      return false;
  }
  units += i;
  return true;
}

// A UTF-8 argument widened, as the general path widens it.
bool utf8ToUtf16Out(const Arg &a, PhrasorWChar *out, std::size_t &used,
                    std::size_t capacity) {
  const auto *s = static_cast<const unsigned char *>(a.value.p);
  const std::size_t n = a.length;
  for (std::size_t i = 0; i < n;) {
    const unsigned b = s[i];
    if (b - 1u < 0x7Fu) {
      if (used == capacity)
        return false;
      out[used++] = static_cast<PhrasorWChar>(b);
      ++i;
      continue;
    }
    if (b == 0)
      break;
    char32_t c = decodeUtf8(
        std::string_view(static_cast<const char *>(a.value.p), n), i);
    if (c >= 0x10000) {
      if (capacity - used < 2)
        return false;
      c -= 0x10000;
      out[used++] = static_cast<PhrasorWChar>(0xD800 + (c >> 10));
      out[used++] = static_cast<PhrasorWChar>(0xDC00 + (c & 0x3FF));
    } else {
      if (used == capacity)
        return false;
      out[used++] = static_cast<PhrasorWChar>(c);
    }
  }
  return true;
}

// Whether every insert of \p plan takes its argument here: the writers
// check this before they write, so a call the general path refuses leaves
// the caller's buffer as that path leaves it.
bool argumentsSuit(const PlainPlan &plan, const Arg *args, std::size_t count) {
  if (count < plan.fields)
    return false;
  std::uint32_t widened = 0;
  for (std::uint32_t k = 0; k + 1 < plan.stepCount; ++k) {
    const PlainStep &step = plan.steps[k];
    const Arg &a = args[step.arg];
    PlainInt number{};
    if (step.number || step.layerNumber >= 0
            ? !plainInteger(a, number)
            : a.type != ArgType::Utf8Text && a.type != ArgType::Utf16Text)
      return false;
    // A number the layer writes is a text insert to the general path.
    widened += step.number && number.wide;
  }
  // The general path refuses a text too long to take "I64" in each insert
  // of a 64-bit integer.
  return plan.length + 3 * widened <= kMaxMessageLength;
}

} // namespace

void planPlainMessage(const PhrasorWChar *text, const PreparedMessage &message,
                      PlainPlan &plan) {
  plan = PlainPlan();
  if (!IsPlainMessage(message))
    return;
  const MessageLayout &layout = message.layout;
  plan.fields = layout.highestField;
  plan.length = static_cast<std::uint32_t>(TextView(text).size());
  plan.utf8 = true;
  Text run;
  const auto close = [&](bool last, std::uint32_t begin, std::uint16_t arg,
                         bool number) {
    PlainStep &step = plan.steps[plan.stepCount++];
    step.unitBegin = static_cast<std::uint32_t>(plan.units.size());
    step.unitCount = static_cast<std::uint32_t>(run.size());
    step.byteBegin = static_cast<std::uint32_t>(plan.bytes.size());
    plan.units += run;
    // Each run is encoded on its own: a lone surrogate at its start cannot
    // pair with what an insert wrote, and one at its end only when it is
    // the last run, where the general path ends it as U+FFFD too.
    utf16ToUtf8(TextView(run), std::back_inserter(plan.bytes));
    step.byteCount =
        static_cast<std::uint32_t>(plan.bytes.size()) - step.byteBegin;
    step.insertBegin = begin;
    step.arg = arg;
    step.number = number;
    step.last = last;
    step.layerNumber = -1;
    if (!last && !run.empty() &&
        isHighSurrogate(static_cast<std::uint16_t>(run.back())))
      plan.utf8 = false;
    run.clear();
  };
  std::uint32_t q = 0;
  for (std::uint32_t k = 0; k < layout.count; ++k) {
    const MessageField &field = layout.fields[k];
    run.append(text + q, field.insertStart - q);
    if (message.how[k] == PreparedInsert::Escape)
      run += PhrasorWChar('%');
    else
      close(false, field.insertStart,
            static_cast<std::uint16_t>(field.fieldNumber - 1),
            message.how[k] == PreparedInsert::PlainInt);
    q = field.specStart + field.specLength + 1u;
  }
  if (layout.scanEnd > q)
    run.append(text + q, layout.scanEnd - q);
  close(true, 0, 0, false);
  plan.ok = true;
}

void planPlainNumbers(PlainPlan &plan,
                      const std::vector<NumberInsert> &numbers) {
  for (std::uint32_t k = 0; plan.ok && k + 1 < plan.stepCount; ++k) {
    PlainStep &step = plan.steps[k];
    for (const NumberInsert &n : numbers) {
      if (n.begin != step.insertBegin)
        continue;
      if (n.conversion != 'd' && n.conversion != 'i' && n.conversion != 'u') {
        // Only integers are sure to fit the writers' checks of room.
        plan = PlainPlan();
        return;
      }
      step.layerNumber = static_cast<std::int8_t>(plan.numbers.size());
      plan.numbers.push_back(n);
    }
  }
}

bool writePlainUtf16(const PlainPlan &plan, const Arg *args, std::size_t count,
                     const numbers::NumberStyle &style, PhrasorWChar *out,
                     std::uint32_t capacity, std::uint32_t &written) {
  if (!argumentsSuit(plan, args, count))
    return false;
  std::size_t used = 0;
  std::size_t units = 0; // the buffer is within the limit already
  const PhrasorWChar *literal = plan.units.data();
  for (std::uint32_t k = 0;; ++k) {
    const PlainStep &step = plan.steps[k];
    if (step.unitCount > capacity - used)
      return false;
    copyBytes(out + used, literal + step.unitBegin,
              step.unitCount * sizeof(PhrasorWChar));
    used += step.unitCount;
    if (step.last)
      break;
    const Arg &a = args[step.arg];
    if (step.number) {
      PlainInt number{};
      plainInteger(a, number);
      if (!putDecimal(out, used, std::size_t{capacity}, number, units))
        return false;
      continue;
    }
    if (step.layerNumber >= 0) {
      const std::size_t n = writeInteger(
          style, plan.numbers[static_cast<std::size_t>(step.layerNumber)], a,
          out + used, capacity - used);
      if (n == kNoRoom)
        return false;
      used += n;
      continue;
    }
    if (!a.value.p && a.fromPointer) {
      if (capacity - used < 6)
        return false;
      for (std::size_t i = 0; i < 6; ++i)
        out[used + i] = static_cast<PhrasorWChar>(kNull[i]);
      used += 6;
    } else if (a.type == ArgType::Utf16Text) {
      const auto *s = static_cast<const PhrasorWChar *>(a.value.p);
      const std::size_t room = capacity - used;
      std::size_t i = 0;
      for (; i < a.length && s[i]; ++i) {
        if (i == room)
          return false;
        out[used + i] = s[i];
      }
      used += i;
    } else if (!utf8ToUtf16Out(a, out, used, capacity)) {
      return false;
    }
  }
  out[used] = 0;
  written = static_cast<std::uint32_t>(used);
  return true;
}

bool writePlainUtf8(const PlainPlan &plan, const Arg *args, std::size_t count,
                    const numbers::NumberStyle &style, char *out,
                    std::size_t capacity, std::size_t &written) {
  if (!plan.utf8 || !argumentsSuit(plan, args, count))
    return false;
  std::size_t used = 0;
  std::size_t units = 0;
  const char *literal = plan.bytes.data();
  for (std::uint32_t k = 0;; ++k) {
    const PlainStep &step = plan.steps[k];
    if (step.byteCount > capacity - used)
      return false;
    copyBytes(out + used, literal + step.byteBegin, step.byteCount);
    used += step.byteCount;
    units += step.unitCount;
    if (step.last)
      break;
    const Arg &a = args[step.arg];
    if (step.number) {
      PlainInt number{};
      plainInteger(a, number);
      if (!putDecimal(out, used, capacity, number, units))
        return false;
      continue;
    }
    if (step.layerNumber >= 0) {
      PhrasorWChar digits[kMaxIntegerUnits];
      const std::size_t n = writeInteger(
          style, plan.numbers[static_cast<std::size_t>(step.layerNumber)], a,
          digits, kMaxIntegerUnits);
      if (n == kNoRoom ||
          !utf16ToUtf8Out(digits, n, out, used, capacity, units))
        return false;
      continue;
    }
    if (!a.value.p && a.fromPointer) {
      if (capacity - used < 6)
        return false;
      std::memcpy(out + used, kNull, 6);
      used += 6;
      units += 6;
    } else if (a.type == ArgType::Utf8Text) {
      if (!utf8ToUtf8(a, out, used, capacity, units))
        return false;
    } else if (!utf16ToUtf8Out(static_cast<const PhrasorWChar *>(a.value.p),
                               a.length, out, used, capacity, units)) {
      return false;
    }
  }
  if (units > kMaxOutputUnits)
    return false;
  out[used] = 0;
  written = used;
  return true;
}

} // namespace phrasor
