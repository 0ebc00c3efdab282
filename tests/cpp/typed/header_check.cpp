//===- header_check.cpp - A generated header under strict flags -----------===//
//
// Compiled, never run, by each compiler at hand: every object of the header
// is used in the call it belongs to, so each check is instantiated.

#include "phrasor/Phrasor.h"
#include "typed/icu.h"
#include "typed/more.h"
#include "typed/msg.h"

int typedHeaderCheck(const phrasor::Localizer &l) {
  static int here = 0;
  const phrasor::Text t =
      l.format(msg::DLG_ECHO, "a").value_or(phrasor::Text());
  int ok = 0;
  ok += l.find(msg::UI_TITLE).has_value();
  ok += l.format(msg::DLG_GOLD, t, 1).has_value();
  ok += l.format(msg::STAT_SPEED, 1.0f).has_value();
  ok += l.format(msg::STAT_INITIAL, u'x').has_value();
  ok += l.format(msg::DEBUG_AT, &here).has_value();
  ok += l.format(msg::LIST_WIDTH, 3, 4ull).has_value();
  ok += l.format(msg::LIST_NAME, "a", short{2}).has_value();
  ok += l.format(msg::menu_title).has_value();
  ok += l.format(msg::_2P_START).has_value();
  ok += l.format(msg::TIME_LEFT, 1).has_value();
  ok += l.plural(msg::FILES, 1, 1).has_value();
  ok += l.plural(msg::FILES_IN, 2, 2, "x").has_value();
  ok += l.plural(msg::ITEMS, 2, 2).has_value();
  ok += l.ordinal(msg::PLACE, 3, 3).has_value();
  ok += l.format(msg::MORE_GOLD, "a", 1).has_value();
  ok += l.format(icu::ICU_GOLD, "a", 1).has_value();
  ok += l.plural(icu::ICU_FILES, 2, "a", 2).has_value();
  return ok;
}
