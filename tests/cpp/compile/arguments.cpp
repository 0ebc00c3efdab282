//===- arguments.cpp - Arguments the C++ layer must refuse to compile -----===//
//
// Built once per case by the compile tests: each refused case beside a twin
// that differs only in the argument and must compile, so a refusal is known
// to come from the layer's own check and not from a broken file.
//
//===----------------------------------------------------------------------===//

#include "phrasor/Phrasor.h"

#include <string>

namespace {

std::string nameOf(int) { return "Ann"; }
phrasor::Text titleOf(int) { return phrasor::Text(3, 'T'); }
struct Opaque {
  int value;
};
enum class Colour { Red };

} // namespace

phrasor::Expected<phrasor::Text> compileCase(const phrasor::Catalog &c) {
#if defined(CASE_TEMPORARY_STRING)
  // Would point at a string freed at the end of this statement.
  const phrasor::Arg arg = phrasor::makeArg(nameOf(1));
#elif defined(CASE_NAMED_STRING)
  const std::string name = nameOf(1);
  const phrasor::Arg arg = phrasor::makeArg(name);
#elif defined(CASE_TEMPORARY_TEXT)
  const phrasor::Arg arg = phrasor::makeArg(titleOf(1));
#elif defined(CASE_NAMED_TEXT)
  const phrasor::Text title = titleOf(1);
  const phrasor::Arg arg = phrasor::makeArg(title);
#elif defined(CASE_OPAQUE)
  const phrasor::Arg arg = phrasor::makeArg(Opaque{1});
#elif defined(CASE_OPAQUE_MEMBER)
  const phrasor::Arg arg = phrasor::makeArg(Opaque{1}.value);
#elif defined(CASE_ENUM)
  return c.format("X", Colour::Red);
#elif defined(CASE_ENUM_VALUE)
  return c.format("X", static_cast<int>(Colour::Red));
#elif defined(CASE_DOUBLE_COUNT)
  // 1.5 shown as "1.5", "1.50" or "2" takes three different forms.
  return c.plural("MILES", 1.5);
#elif defined(CASE_SHOWN_COUNT)
  return c.plural("MILES", phrasor::Count::shown(1.5, 1));
#endif
#if !defined(CASE_ENUM) && !defined(CASE_ENUM_VALUE) &&                        \
    !defined(CASE_DOUBLE_COUNT) && !defined(CASE_SHOWN_COUNT)
  return c.formatArgs("X", phrasor::Style::Message, &arg, 1);
#endif
}
