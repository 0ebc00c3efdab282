//===- Key.h - What a stored ID holds, parsed and printed -------*- C++ -*-===//
//
// A stored ID carries up to three things besides its text: a gettext
// context, the ID proper, and a selector naming the category of a text that
// varies with a value. The stored string is the key's serialization, the
// only one, so every database reads and looks up as its bytes say:
//
//   stored   ::= (context SEP)? base (select? selector)?
//   SEP      ::= U+0004                    gettext's own separator
//   selector ::= mark category             a row of Selectors.h:
//                                          "#one", "#ordinal-few"
//   select   ::= mark word                 a word row before a count's form:
//                                          "#gender-feminine" of
//                                          "FOUND#gender-feminine#one"
//
// The selector is read from the last '#': it is one when the text from
// there is a row's mark and one of its categories, and the '#' is not the
// ID's first character. When it is a counting row's, the '#' before it
// may begin a word row's form in the same way, and the key is combined.
// The context ends at the first separator before them.
// parse and print are exact inverses: print(parse(s)) == s for every s.
//
// A key made from a source text (a gettext msgid) must never read as one
// of the tool's own IDs ("@locale", "@kinds"...): such a text, and one that
// is such an ID behind further '@'s, is stored with one more '@' in front
// (escapeSourceText; unescapeSourceText undoes it). Two source texts that
// differ only in ASCII case are two messages, though lookups fold case:
// each that holds capitals is stored with kCaseMark in front and one
// before each capital and each kCaseMark of its text ("Open" as "^^Open"),
// and a source text beginning with kCaseMark is always stored so, so that
// no other key of a source text begins with it.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_KEY_H
#define PHRASOR_CPP_KEY_H

#include "phrasor/Selectors.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace phrasor {

struct Key {
  /// Between a context and the message it qualifies.
  static constexpr char kContextSeparator = '\x04';

  std::string_view context; ///< the gettext context, when inContext
  std::string_view base;    ///< the ID proper, without context or selector
  /// The stored text before the selector: context, separator and base
  /// ("menu\x04Open" of "menu\x04Open#one"). What parse read; a key made
  /// otherwise prints it by stemText().
  std::string_view stem;
  std::string_view category;          ///< the selector's category
  const Selector *selector = nullptr; ///< null: no selector
  /// A combined key's word row and its value ("#gender-", "feminine" of
  /// "FOUND#gender-feminine#one"), which stem holds and base does not;
  /// null for any other key.
  const Selector *select = nullptr;
  std::string_view value;
  bool inContext = false;

  /// The IDs of the tool's own entries, matched as lookups match: ASCII
  /// capitals fold.
  static bool isReserved(std::string_view id) {
    constexpr std::string_view reserved[] = {
        "@locale", "@kinds",    "@keys",         "@po",
        "@limits", "@protect",  "@plural-forms", "@notes",
        "@states", "@icu-args", "@arb",          "@untranslatable"};
    for (std::string_view r : reserved)
      if (r.size() == id.size() &&
          std::equal(r.begin(), r.end(), id.begin(), [](char a, char b) {
            return a == (b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b);
          }))
        return true;
    return false;
  }

  /// True when source text \p text is stored escaped: it is a reserved ID
  /// with any number of '@'s more in front ("@locale", "@@kinds").
  static bool escapesSourceText(std::string_view text) {
    const std::size_t first = text.find_first_not_of('@');
    return first != 0 && first != std::string_view::npos &&
           isReserved(text.substr(first - 1));
  }

  /// Begins the key of a source text whose capitals are marked; no other
  /// key of a source text begins with it.
  static constexpr char kCaseMark = '^';

  static bool isCapital(char c) { return c >= 'A' && c <= 'Z'; }

  static bool hasCapitals(std::string_view text) {
    return std::any_of(text.begin(), text.end(), isCapital);
  }

  /// True when the key of source text \p stored (escaped for '@' already)
  /// is marked for case: when \p keepCase (another source text differs
  /// from it only in case) and it has capitals, or when it begins with
  /// kCaseMark.
  static bool marksCase(std::string_view stored, bool keepCase) {
    return (!stored.empty() && stored[0] == kCaseMark) ||
           (keepCase && hasCapitals(stored));
  }

  /// The length of markCase(\p text).
  static std::size_t markedSize(std::string_view text) {
    std::size_t size = text.size() + 1;
    for (char c : text)
      size += c == kCaseMark || isCapital(c);
    return size;
  }

  /// Writes \p text with its case marked at \p out (markedSize(text)
  /// bytes): kCaseMark, then the text with a kCaseMark before each capital
  /// and each kCaseMark. Folded, no two texts give the same bytes, and none
  /// gives a text that is not so marked. Returns the end.
  static char *markCaseTo(std::string_view text, char *out) {
    *out++ = kCaseMark;
    for (char c : text) {
      if (c == kCaseMark || isCapital(c))
        *out++ = kCaseMark;
      *out++ = c;
    }
    return out;
  }

  static std::string markCase(std::string_view text) {
    std::string out(markedSize(text), '\0');
    markCaseTo(text, &out[0]);
    return out;
  }

  /// The stored text of the key of source text \p text (a msgid, or a
  /// context U+0004 msgid, whose stem is escaped); with \p keepCase, of
  /// one that another source text of its file equals but for ASCII case.
  static std::string escapeSourceText(std::string_view text,
                                      bool keepCase = false) {
    std::string out;
    if (escapesSourceText(parse(text).stem))
      out += '@';
    out += text;
    return marksCase(out, keepCase) ? markCase(out) : out;
  }

  /// The source text whose key is \p stored: escapeSourceText undone. A
  /// stored text no escape gave is its own source text.
  static std::string unescapeSourceText(std::string_view stored) {
    std::string text(stored);
    if (!stored.empty() && stored[0] == kCaseMark) {
      text.clear();
      for (std::size_t i = 1; i < stored.size(); ++i) {
        if (stored[i] == kCaseMark && i + 1 < stored.size())
          ++i;
        text += stored[i];
      }
      // A name that merely begins with the mark is its own text.
      if (!marksCase(text, true) || markCase(text) != stored)
        text = stored;
    }
    if (text.size() > 1 && text[0] == '@' && text[1] == '@' &&
        escapesSourceText(parse(text).stem.substr(1)))
      text.erase(0, 1);
    return text;
  }

  /// The key \p stored spells, by the rows of \p registry.
  static Key parse(std::string_view stored,
                   const SelectorRegistry &registry = kSelectors) {
    Key k;
    std::string_view head = stored;
    const std::size_t hash = stored.rfind('#');
    if (hash != std::string_view::npos && hash != 0) {
      const std::string_view tail = stored.substr(hash);
      for (const Selector *row : registry) {
        if (tail.substr(0, row->mark.size()) != row->mark ||
            !row->isCategory(tail.substr(row->mark.size())))
          continue;
        k.selector = row;
        k.category = tail.substr(row->mark.size());
        head = stored.substr(0, hash);
        break;
      }
    }
    k.stem = head;
    if (k.selector && k.selector->takes == SelectorTakes::Count)
      head = k.readSelect(head, registry);
    const std::size_t separator = head.find(kContextSeparator);
    k.inContext = separator != std::string_view::npos;
    k.context = k.inContext ? head.substr(0, separator) : std::string_view();
    k.base = k.inContext ? head.substr(separator + 1) : head;
    return k;
  }

  /// The key of \p base in \p context.
  static Key inContextOf(std::string_view context, std::string_view base) {
    Key k;
    k.context = context;
    k.base = base;
    k.inContext = true;
    return k;
  }

  /// The key of \p base, with no context or selector.
  static Key of(std::string_view base) {
    Key k;
    k.base = k.stem = base;
    return k;
  }

  /// This key's form of category \p name of \p row.
  Key form(const Selector &row, std::string_view name) const {
    Key k = *this;
    k.selector = &row;
    k.category = name;
    return k;
  }

  /// This key without its selector; a combined key becomes its word
  /// row's form ("FOUND#gender-feminine" of "FOUND#gender-feminine#one").
  Key withoutSelector() const {
    Key k = *this;
    k.selector = select;
    k.category = value;
    k.select = nullptr;
    k.value = std::string_view();
    return k;
  }

  bool is(const Selector &row) const { return selector == &row; }

  /// The form of this key's row that a lookup falls back to ("FILES#other"
  /// of "FILES#few"); requires a selector.
  std::string fallbackForm() const {
    return form(*selector, selector->fallback).print();
  }

  /// The length of the stored text.
  std::size_t printedSize() const {
    return (inContext ? context.size() + 1 : 0) + base.size() +
           (select ? select->mark.size() + value.size() : 0) +
           (selector ? selector->mark.size() + category.size() : 0);
  }

  /// Writes the stored text at \p out (printedSize() bytes, no terminator);
  /// returns its end.
  char *printTo(char *out) const {
    if (inContext) {
      out = std::copy(context.begin(), context.end(), out);
      *out++ = kContextSeparator;
    }
    out = std::copy(base.begin(), base.end(), out);
    if (select) {
      out = std::copy(select->mark.begin(), select->mark.end(), out);
      out = std::copy(value.begin(), value.end(), out);
    }
    if (selector) {
      out = std::copy(selector->mark.begin(), selector->mark.end(), out);
      out = std::copy(category.begin(), category.end(), out);
    }
    return out;
  }

  /// The stored text.
  std::string print() const {
    std::string out(printedSize(), '\0');
    if (!out.empty())
      printTo(&out[0]);
    return out;
  }

  /// The stored text of this key's form of category \p name of \p row;
  /// for an empty \p name (a text with no forms), of this key itself.
  std::string printForm(const Selector &row, std::string_view name) const {
    return name.empty() ? print() : form(row, name).print();
  }

  /// The stored text without the selector.
  std::string stemText() const { return withoutSelector().print(); }

private:
  // The word row's form that ends \p head (the stored text before a count's
  // form), if any, taken into select and value; returns head without it.
  // Its '#' may not begin the stored text, as a selector's may not.
  std::string_view readSelect(std::string_view head,
                              const SelectorRegistry &registry) {
    const std::size_t hash = head.rfind('#');
    if (hash == std::string_view::npos || hash == 0)
      return head;
    const std::string_view tail = head.substr(hash);
    for (const Selector *row : registry) {
      if (row->takes != SelectorTakes::String ||
          tail.substr(0, row->mark.size()) != row->mark ||
          !row->isCategory(tail.substr(row->mark.size())))
        continue;
      select = row;
      value = tail.substr(row->mark.size());
      return head.substr(0, hash);
    }
    return head;
  }
};

} // namespace phrasor

#endif // PHRASOR_CPP_KEY_H
