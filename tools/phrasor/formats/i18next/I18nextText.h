//===- I18nextText.h - i18next interpolation and message inserts -*- C++
//-*-===//
//
// The {{name}} of i18next texts as pieces a reader numbers and a writer
// spells back; see I18next.h.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_I18NEXTTEXT_H
#define PHRASOR_TOOL_I18NEXTTEXT_H

#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

/// One piece of an i18next text: literal text, or an insert.
struct I18nextPiece {
  std::string text; ///< literal text, or the insert as written
  std::string name; ///< the insert's bare name; empty for text
  bool insert = false;
};

/// A text split into pieces; \p problem says why it cannot be read.
struct I18nextPieces {
  std::vector<I18nextPiece> pieces;
  std::string problem;
  bool HasInserts() const;
};

I18nextPieces SplitI18next(std::string_view text);

/// The message of \p pieces, each insert numbered by its place in
/// \p names (as NumberI18nextNames gives them), '%' doubled; the insert
/// named count takes a number, the others a string.
std::string I18nextToMessage(const std::vector<I18nextPiece> &pieces,
                             const std::vector<std::string> &names);

/// The i18next text of message \p text whose inserts are named by
/// \p spelled (%1 first); false when it has an escape or insert that no
/// {{name}} gives back.
bool MessageToI18next(std::string_view text,
                      const std::vector<std::string> &spelled,
                      std::string &out);

/// The bare name of an insert spelled \p spelling ("- name" gives "name").
std::string BareI18nextName(std::string_view spelling);

/// The numbers of the names of a key (see I18next.h): \p bare holds each
/// name once; the result lists them in insert order, %1 first, with an
/// empty name where a number is not used.
std::vector<std::string> NumberI18nextNames(std::vector<std::string> bare);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_I18NEXTTEXT_H
