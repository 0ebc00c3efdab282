//===- typed.cpp - Typed calls the compiler must refuse -------------------===//
//
// Built once per case by the compile tests, against the header written from
// typed/en.csv: each refused case beside a twin that differs only in what
// the check is about and must compile.
//
//===----------------------------------------------------------------------===//

#include "phrasor/Phrasor.h"
#include "typed/msg.h"

#include <string>

namespace {

struct Made {
  int id;
};
// A conversion that makes a string: it would be gone before formatting.
[[maybe_unused]] std::string phrasorArg(const Made &m) {
  return std::to_string(m.id);
}
struct Held {
  std::string name;
};
[[maybe_unused]] std::string_view phrasorArg(const Held &h) { return h.name; }

} // namespace

phrasor::Expected<phrasor::Text> compileCase(const phrasor::Catalog &c) {
#if defined(CASE_WRONG_TYPE)
  return c.format(msg::DLG_GOLD, 12, "Ann");
#elif defined(CASE_TOO_FEW)
  return c.format(msg::DLG_GOLD, "Ann");
#elif defined(CASE_TOO_MANY)
  return c.format(msg::DLG_GOLD, "Ann", 12, 3);
#elif defined(CASE_RIGHT_ARGUMENTS) || defined(CASE_RIGHT_COUNT) ||            \
    defined(CASE_RIGHT_COUNT_TOO)
  return c.format(msg::DLG_GOLD, "Ann", 12);
#elif defined(CASE_MISSPELT_ID)
  return c.format(msg::DLG_GLOD, "Ann", 12);
#elif defined(CASE_SPELT_ID)
  return c.format(msg::DLG_GOLD, std::string_view("Ann"), 12L);
#elif defined(CASE_NO_COUNT)
  return c.plural(msg::FILES_IN, "bin");
#elif defined(CASE_COUNT)
  return c.plural(msg::FILES_IN, 3, 3, "bin");
#elif defined(CASE_WORD_FOR_GENDER)
  return c.select(msg::FOUND, "feminine", "gold");
#elif defined(CASE_GENDER)
  return c.select(msg::FOUND, phrasor::Gender::Feminine, "gold");
#elif defined(CASE_GENDER_WITHOUT_COUNT)
  return c.selectPlural(msg::LOOT, phrasor::Gender::Feminine, "gold");
#elif defined(CASE_GENDER_AND_COUNT)
  return c.selectPlural(msg::LOOT, phrasor::Gender::Feminine, 2, 2);
#elif defined(CASE_PLURAL_AS_MESSAGE)
  return c.format(msg::FILES, 3);
#elif defined(CASE_PLURAL_AS_PLURAL)
  return c.plural(msg::FILES, 3, 3);
#elif defined(CASE_DOUBLE_COUNT)
  return c.plural(msg::FILES, 2.5, 1);
#elif defined(CASE_SHOWN_COUNT)
  return c.plural(msg::FILES, phrasor::Count::shown(2.5, 1), 1);
#elif defined(CASE_MADE_STRING)
  return c.format(msg::DLG_ECHO, Made{1});
#elif defined(CASE_HELD_STRING)
  const Held held{"Ann"};
  return c.format(msg::DLG_ECHO, held);
#endif
}
