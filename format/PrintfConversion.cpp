//===- PrintfConversion.cpp - Parsing printf conversions -----------------===//

#include "format/PrintfConversion.h"

namespace phrasor {

const char *SpecErrorText(SpecError error) {
  switch (error) {
  case SpecError::None:
    return "no error";
  case SpecError::UnexpectedEnd:
    return "format ends inside a conversion";
  case SpecError::UnknownConversion:
    return "unknown conversion";
  case SpecError::OutOfOrder:
    return "flag, width or precision out of order";
  case SpecError::LengthMismatch:
    return "length prefix not valid for this conversion";
  case SpecError::NumberTooLarge:
    return "width or precision too large";
  case SpecError::WriteBackRefused:
    return "%n is refused";
  }
  return "unknown error";
}

namespace {

class CheckAdapter {
public:
  CheckAdapter(const PhrasorWChar *text, FormatCheckHandler &receiver)
      : format(text), handler(receiver) {}

  bool OnText(const PhrasorWChar *begin, const PhrasorWChar *end) {
    handler.OnText(Pos(begin), Pos(end));
    return true;
  }
  bool OnConversion(const PhrasorWChar *begin, const PhrasorWChar *end,
                    const ConversionSpec &spec) {
    handler.OnConversion(Pos(begin), Pos(end), spec);
    return true;
  }
  void OnError(const PhrasorWChar *at, SpecError error) {
    handler.OnError(Pos(at), error);
  }

private:
  uint32_t Pos(const PhrasorWChar *p) const {
    return static_cast<uint32_t>(p - format);
  }
  const PhrasorWChar *format;
  FormatCheckHandler &handler;
};

} // namespace

bool CheckFormat(const PhrasorWChar *format, FormatCheckHandler &handler) {
  static const PhrasorWChar kEmpty[] = {0};
  if (!format)
    format = kEmpty;
  CheckAdapter adapter(format, handler);
  return WalkFormat(format, adapter);
}

} // namespace phrasor
