//===- Catalog.h - One loaded string database, typed ------------*- C++ -*-===//
//
// A Catalog owns one keeper of the runtime and answers the same lookups,
// with two differences that make the safe way the easy one: a missing ID is
// an empty optional or an error (never the runtime's error text, and never
// a call of its error callback), and formatting checks the C++ arguments
// against the inserts of the stored text before anything is written.
//
// The text is formatted by the runtime's own formatter, so it is the same,
// unit for unit, as a raw call would give for the same arguments.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_CATALOG_H
#define PHRASOR_CPP_CATALOG_H

#include "PhrasorRuntime.h"
#include "phrasor/Args.h"
#include "phrasor/Error.h"
#include "phrasor/InContext.h"
#include "phrasor/Selectors.h"
#include "phrasor/Style.h"
#include "phrasor/Text.h"
#include "phrasor/Typed.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

namespace phrasor {

/// A count as the text shows it, which is what picks a plural form: 1 and
/// 1.0 differ in English ("1 mile", "1.0 miles"), so a decimal carries its
/// visible fraction digits. Any integer converts to a Count (an unsigned
/// one above INT64_MAX counts as INT64_MAX). A floating-point value does
/// not compile: 1.5 may be shown as "1.5", "1.50" or "2", and each takes
/// its own form, so only the host knows the count; say it with shown(),
/// decimal() or parse().
class Count {
public:
  template <class T, std::enable_if_t<std::is_integral<T>::value, int> = 0>
  constexpr Count(T n) noexcept : value(clampInteger(n)) {}
  template <class T,
            std::enable_if_t<std::is_floating_point<T>::value, int> = 0>
  Count(T) {
    static_assert(!std::is_floating_point<T>::value,
                  "phrasor: a floating-point count hides how many fraction "
                  "digits the text shows; pass Count::shown(value, digits)");
  }

  /// \p scaled with \p fractionDigits (0..18) of it after the point:
  /// decimal(150, 2) is 1.50.
  static constexpr Count decimal(std::int64_t scaled,
                                 int fractionDigits) noexcept {
    return Count(scaled, fractionDigits < 0    ? 0
                         : fractionDigits > 18 ? 18
                                               : fractionDigits);
  }
  /// \p value as printf's "%.*f" shows it with \p fractionDigits digits
  /// (0..18): shown(1.5, 2) is 1.50, shown(1.5, 0) is 2. Digits that
  /// would not fit in 64 bits are dropped; a value too large for that, an
  /// infinity or a NaN counts as the largest integer of its sign.
  static Count shown(double value, int fractionDigits) noexcept;
  /// Reads "-12", "1.50" or compact notation "1.2c6" (also "1.2e6"), as the
  /// text shows the number; nullopt for anything else or over 18 digits.
  static std::optional<Count> parse(std::string_view text) noexcept;

  std::int64_t scaled() const noexcept { return value; }
  int fractionDigits() const noexcept { return digits; }
  /// Compact notation's exponent ("1.2c6"), else 0.
  int exponent() const noexcept { return power; }

private:
  constexpr Count(std::int64_t s, int d, int e = 0) noexcept
      : value(s), digits(d), power(e) {}
  template <class T> static constexpr std::int64_t clampInteger(T n) {
    if constexpr (std::is_unsigned<T>::value && sizeof(T) >= 8)
      return n > static_cast<T>(INT64_MAX) ? INT64_MAX
                                           : static_cast<std::int64_t>(n);
    else
      return static_cast<std::int64_t>(n);
  }
  std::int64_t value = 0;
  int digits = 0;
  int power = 0;
};

/// A grammatical gender, as a text's gender forms are spelled
/// ("FOUND#gender-feminine"); Other is the form every gendered text has.
enum class Gender : std::uint8_t { Masculine, Feminine, Neuter, Other };

/// The word a gender's forms are spelled with: "feminine".
constexpr std::string_view genderName(Gender g) noexcept {
  return selectors::kGenderCategories[static_cast<std::size_t>(g) & 3];
}

/// What a select call chooses by: a word of a row that takes one (a gender
/// or an open select's value), and for a text that also varies with a
/// count, that count (null for none).
struct Selection {
  const Selector *row;
  std::string_view value;
  const Count *count;
};

/// The variadic calls Catalog and Localizer share, written once: each
/// packs its arguments and calls the untyped core its class provides
/// (formatArgs, formatArgsTo, formatArgsUtf8, formatArgsUtf8To, pluralArgs,
/// ordinalArgs, find), so a Catalog answers from its database and a
/// Localizer from the first catalog of its chain that has the text. The
/// typed IDs of a generated header come in through TypedCalls (Typed.h).
template <class Self> class Calls : public TypedCalls<Self> {
public:
  using TypedCalls<Self>::find;
  using TypedCalls<Self>::format;
  using TypedCalls<Self>::formatTo;
  using TypedCalls<Self>::formatUtf8;
  using TypedCalls<Self>::formatUtf8To;
  using TypedCalls<Self>::ordinal;
  using TypedCalls<Self>::plural;
  using TypedCalls<Self>::select;
  using TypedCalls<Self>::selectPlural;

  /// Formats the text stored at \p id by its kind (see Style::Stored): a
  /// message with its inserts, a printf format with its conversions, a
  /// plain text as written.
  template <class... A>
  Expected<Text> format(std::string_view id, const A &...args) const {
    const Arg list[] = {makeArg(args)..., Arg{}};
    return self().formatArgs(id, Style::Stored, list, sizeof...(A));
  }
  /// Formats the text stored at \p id as printf style (%d, %s, %*d ...)
  /// whatever its kind: for texts a host knows to be formats where the
  /// database does not say so.
  template <class... A>
  Expected<Text> formatPrintf(std::string_view id, const A &...args) const {
    const Arg list[] = {makeArg(args)..., Arg{}};
    return self().formatArgs(id, Style::Printf, list, sizeof...(A));
  }
  /// Formats the plural form of \p id for \p count, the form chosen by
  /// the CLDR rules of the catalog's locale() and resolved as Selectors.h
  /// says (the chosen category, else the fallback, else the ID itself), by
  /// the form's kind as format() does, with \p args (the count is
  /// inserted only where an argument carries it).
  template <class... A>
  Expected<Text> plural(std::string_view id, Count count,
                        const A &...args) const {
    const Arg list[] = {makeArg(args)..., Arg{}};
    return self().pluralArgs(id, count, list, sizeof...(A));
  }
  /// The same for an ordinal ("1st", "2nd", "23rd"), by the ordinal rules.
  template <class... A>
  Expected<Text> ordinal(std::string_view id, Count count,
                         const A &...args) const {
    const Arg list[] = {makeArg(args)..., Arg{}};
    return self().ordinalArgs(id, count, list, sizeof...(A));
  }
  /// Formats the form of \p id for \p gender ("FOUND#gender-feminine"),
  /// else its Other form, else \p id itself, as format() does.
  template <class... A>
  Expected<Text> select(std::string_view id, Gender gender,
                        const A &...args) const {
    const Arg list[] = {makeArg(args)..., Arg{}};
    return self().selectArgs(
        id, Selection{&kGenderSelector, genderName(gender), nullptr}, list,
        sizeof...(A));
  }
  /// The same for an open select by the host's word \p value
  /// ("TITLE#select-knight", else "TITLE#select-other", else the ID). A
  /// value that no form can be spelled with (anything but a-z, 0-9 and
  /// '_') takes the other form.
  template <class... A>
  Expected<Text> select(std::string_view id, std::string_view value,
                        const A &...args) const {
    const Arg list[] = {makeArg(args)..., Arg{}};
    return self().selectArgs(id, Selection{&kSelectSelector, value, nullptr},
                             list, sizeof...(A));
  }
  /// A text that varies by gender and count ("FOUND#gender-feminine#one"):
  /// the gender's forms by the count, then the Other gender's, then the
  /// count's forms of \p id alone (Selectors.h says the order).
  template <class... A>
  Expected<Text> selectPlural(std::string_view id, Gender gender, Count count,
                              const A &...args) const {
    const Arg list[] = {makeArg(args)..., Arg{}};
    return self().selectArgs(
        id, Selection{&kGenderSelector, genderName(gender), &count}, list,
        sizeof...(A));
  }
  /// The same by an open select's word \p value.
  template <class... A>
  Expected<Text> selectPlural(std::string_view id, std::string_view value,
                              Count count, const A &...args) const {
    const Arg list[] = {makeArg(args)..., Arg{}};
    return self().selectArgs(id, Selection{&kSelectSelector, value, &count},
                             list, sizeof...(A));
  }
  /// find, format and plural of a message within a gettext context (see
  /// InContext.h).
  std::optional<TextView> find(InContext key) const {
    const ContextKey k(key);
    return self().find(k.view());
  }
  template <class... A>
  Expected<Text> format(InContext key, const A &...args) const {
    const ContextKey k(key);
    return format(k.view(), args...);
  }
  template <class... A>
  Expected<Text> plural(InContext key, Count count, const A &...args) const {
    const ContextKey k(key);
    return plural(k.view(), count, args...);
  }
  /// Formats into the caller's \p buffer of \p length units (terminator
  /// included) without allocating, unless converted text (an argument
  /// converted between UTF-8 and UTF-16 or mended, or the stored text
  /// copied to widen an insert for a 64-bit integer) outgrows a small stack
  /// area, the text takes more than 16 arguments, or on error.
  /// Returns the units written; when the output does not fit, the buffer
  /// holds nothing useful and the error is TooLong.
  template <class... A>
  Expected<std::size_t> formatTo(PhrasorWChar *buffer, std::size_t length,
                                 std::string_view id, const A &...args) const {
    const Arg list[] = {makeArg(args)..., Arg{}};
    return self().formatArgsTo(buffer, length, id, Style::Stored, list,
                               sizeof...(A));
  }
  /// format, with the text as UTF-8: the same checks and the same text,
  /// written as UTF-8 (an unpaired surrogate as U+FFFD) as it is formatted,
  /// with no UTF-16 copy of it.
  template <class... A>
  Expected<std::string> formatUtf8(std::string_view id,
                                   const A &...args) const {
    const Arg list[] = {makeArg(args)..., Arg{}};
    return self().formatArgsUtf8(id, Style::Stored, list, sizeof...(A));
  }
  /// formatTo, with the text as UTF-8 into the caller's \p buffer of
  /// \p length bytes (terminator included), allocating no more than
  /// formatTo does. Returns the bytes written; when the text does not fit,
  /// the buffer holds an empty text and the error is TooLong.
  template <class... A>
  Expected<std::size_t> formatUtf8To(char *buffer, std::size_t length,
                                     std::string_view id,
                                     const A &...args) const {
    const Arg list[] = {makeArg(args)..., Arg{}};
    return self().formatArgsUtf8To(buffer, length, id, Style::Stored, list,
                                   sizeof...(A));
  }

private:
  const Self &self() const { return static_cast<const Self &>(*this); }
};

/// Move-only; a moved-from catalog may only be assigned to or destroyed
/// (any other use stops the process with a message, as misusing an
/// Expected does).
class Catalog : public Calls<Catalog> {
public:
  // The typed IDs of a generated header (see Typed.h), beside the strings.
  // The calls by string, by context and by typed ID (see Calls).
  using Calls::find;
  using Calls::format;
  using Calls::formatPrintf;
  using Calls::formatTo;
  using Calls::formatUtf8;
  using Calls::formatUtf8To;
  using Calls::ordinal;
  using Calls::plural;
  using Calls::select;
  using Calls::selectPlural;

  /// Reads \p file whole and loads it. The error says why a file was
  /// refused: not found, a directory or other file that is not regular,
  /// too large, unreadable, not a database, which rule a corrupt file
  /// breaks and where, or out of memory.
  static Expected<Catalog> open(const std::filesystem::path &file);
  /// Loads a database from a copy of \p size bytes at \p data.
  static Expected<Catalog> fromBytes(const void *data, std::size_t size);

  Catalog(Catalog &&other) noexcept;
  Catalog &operator=(Catalog &&other) noexcept;
  Catalog(const Catalog &) = delete;
  Catalog &operator=(const Catalog &) = delete;
  ~Catalog();

  /// The number of IDs.
  std::size_t size() const;
  /// The value of the "@locale" entry (a BCP 47 tag such as "fr-CA"), ""
  /// when the database has none.
  std::string_view locale() const;

  /// The text the runtime gives for \p id (ASCII case-insensitive); empty
  /// when no entry has the ID or the entry has no value. "<none>" gives the
  /// empty text, as it does in the runtime. The view lives as long as the
  /// catalog.
  std::optional<TextView> find(std::string_view id) const;
  std::optional<std::string_view> voicePath(std::string_view id) const;
  /// True when \p id names an entry that holds a text.
  bool contains(std::string_view id) const { return find(id).has_value(); }

  Expected<std::string> formatArgsUtf8(std::string_view id, Style style,
                                       const Arg *args,
                                       std::size_t count) const;
  Expected<std::size_t> formatArgsUtf8To(char *buffer, std::size_t length,
                                         std::string_view id, Style style,
                                         const Arg *args,
                                         std::size_t count) const;

  /// The untyped core of the calls above, for hosts that build argument
  /// lists at run time (scripting bridges, fuzzers).
  Expected<Text> formatArgs(std::string_view id, Style style, const Arg *args,
                            std::size_t count) const;
  Expected<std::size_t> formatArgsTo(PhrasorWChar *buffer, std::size_t length,
                                     std::string_view id, Style style,
                                     const Arg *args, std::size_t count) const;
  Expected<Text> pluralArgs(std::string_view id, Count count, const Arg *args,
                            std::size_t argCount) const;
  Expected<Text> ordinalArgs(std::string_view id, Count count, const Arg *args,
                             std::size_t argCount) const;
  Expected<Text> selectArgs(std::string_view id, const Selection &choice,
                            const Arg *args, std::size_t argCount) const;
  /// The ID select() or selectPlural() would format for \p choice, or ""
  /// when none of the forms the resolver tries has a value.
  std::string selectId(std::string_view id, const Selection &choice) const;
  /// The CLDR plural category of \p count in locale(): "zero", "one",
  /// "two", "few", "many" or "other".
  std::string_view pluralCategory(Count count) const;
  /// The CLDR ordinal category of \p count in locale().
  std::string_view ordinalCategory(Count count) const;
  /// The category \p count chooses for a text of \p row in locale(); for
  /// a language without CLDR rules, the one the catalog's gettext
  /// expression gives (a database built from PO keeps it).
  std::string_view category(const Selector &row, Count count) const;
  /// The category the catalog's gettext expression gives \p count for a
  /// text of \p row, which answers when the chosen category has no form
  /// (Russian 1.5 in a three-form PO); empty without one.
  std::string_view gettextCategory(const Selector &row, Count count) const;
  /// The ID plural() would format for \p count, or "" when none of the
  /// forms the resolver tries (Selectors.h) has a value.
  std::string pluralId(std::string_view id, Count count) const;
  /// The ID ordinal() would format for \p count, or "".
  std::string ordinalId(std::string_view id, Count count) const;
  /// False when locale() is empty or names a language with no plural
  /// rules (a misspelt tag): every count then picks the fallback form.
  bool hasPluralRules() const;
  /// Takes \p tag as the catalog's language, for plural rules and
  /// locale(): for a database built without "@locale". Not safe while
  /// other threads use the catalog.
  void setLocale(std::string_view tag);
  /// With \p on, a catalog whose locale is written right to left (Arabic,
  /// Hebrew, Persian, Urdu...) sets each formatted insert apart from the
  /// text around it, between U+2068 FIRST STRONG ISOLATE and U+2069 POP
  /// DIRECTIONAL ISOLATE, so a Latin name or a number cannot reorder the
  /// sentence; other catalogs are unchanged. Off by default: the marks are
  /// characters of the output, which a host that measures or compares it
  /// must expect. Safe while other threads format.
  void setIsolateInserts(bool on);
  /// Whether formatting sets inserts apart: asked for, and right to left.
  bool isolatesInserts() const;

  /// The runtime's handle, for calls the layer does not wrap. It stays
  /// owned by the catalog.
  HSTRINGKEEPER handle() const noexcept;

  struct Impl;

private:
  friend class Localizer;
  explicit Catalog(std::unique_ptr<Impl> impl);
  // A second handle on the same loaded database, for a Localizer's next
  // chain while the one in service is still read.
  explicit Catalog(std::shared_ptr<Impl> state) : impl(std::move(state)) {}
  Catalog share() const { return Catalog(impl); }
  /// The state; aborts with a message for a moved-from catalog.
  const Impl &state() const noexcept;
  std::shared_ptr<Impl> impl;
};

} // namespace phrasor

#endif // PHRASOR_CPP_CATALOG_H
