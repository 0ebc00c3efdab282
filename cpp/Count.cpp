//===- Count.cpp - A plural's count, and the names of error codes ---------===//

#include "phrasor/Catalog.h"

#include "cpp/Plural.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace phrasor {

Count Count::shown(double value, int fractionDigits) noexcept {
  if (fractionDigits < 0)
    fractionDigits = 0;
  if (fractionDigits > 18)
    fractionDigits = 18;
  if (std::isnan(value) || std::fabs(value) >= 9.2e18)
    return Count(std::isnan(value) || value > 0 ? INT64_MAX : INT64_MIN, 0);
  // The digits printf shows, read back: rounding by hand would differ from
  // the text on halves that binary cannot hold (0.125 shows as "0.12").
  for (int digits = fractionDigits;; --digits) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", digits, value);
    if (std::optional<PluralDecimal> d = parsePluralDecimal(text))
      return Count(d->scaled, d->fractionDigits);
    if (digits == 0)
      return Count(value > 0 ? INT64_MAX : INT64_MIN, 0);
  }
}

std::optional<Count> Count::parse(std::string_view text) noexcept {
  const std::optional<PluralDecimal> d = parsePluralDecimal(text);
  if (!d)
    return std::nullopt;
  return Count(d->scaled, d->fractionDigits, d->exponent);
}

const char *errcName(Errc code) noexcept {
  switch (code) {
  case Errc::FileNotFound:
    return "FileNotFound";
  case Errc::ReadFailed:
    return "ReadFailed";
  case Errc::NotADatabase:
    return "NotADatabase";
  case Errc::Corrupt:
    return "Corrupt";
  case Errc::OutOfMemory:
    return "OutOfMemory";
  case Errc::MissingId:
    return "MissingId";
  case Errc::NoValue:
    return "NoValue";
  case Errc::BadMessage:
    return "BadMessage";
  case Errc::ArgumentMismatch:
    return "ArgumentMismatch";
  case Errc::TooLong:
    return "TooLong";
  case Errc::BadLocale:
    return "BadLocale";
  }
  return "?";
}

} // namespace phrasor
