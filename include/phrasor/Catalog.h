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
#include "phrasor/Text.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace phrasor {

/// How a stored text is read when formatting it.
enum class Style : std::uint8_t {
  Message, ///< numbered inserts: %1!d!, %2!s!
  Printf,  ///< printf conversions, in order: %d, %s, %*d
};

/// The longest output the layer produces, in UTF-16 units; a longer one is
/// the error TooLong.
constexpr std::size_t kMaxOutputUnits = 65535;

/// Move-only; a moved-from catalog may only be assigned to or destroyed
/// (any other use stops the process with a message, as misusing an
/// Expected does).
class Catalog {
public:
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

  /// Formats the message stored at \p id (%1!d! style).
  template <class... A>
  Expected<Text> format(std::string_view id, const A &...args) const {
    const Arg list[] = {makeArg(args)..., Arg{}};
    return formatArgs(id, Style::Message, list, sizeof...(A));
  }
  /// Formats the printf-style text stored at \p id (%d, %s, %*d ...).
  template <class... A>
  Expected<Text> formatPrintf(std::string_view id, const A &...args) const {
    const Arg list[] = {makeArg(args)..., Arg{}};
    return formatArgs(id, Style::Printf, list, sizeof...(A));
  }
  /// Formats the plural form of \p id for \p count: ID#<category> by the
  /// CLDR rules of locale(), else ID#other, else ID, message-style with
  /// \p args (the count is inserted only where an argument carries it).
  template <class... A>
  Expected<Text> plural(std::string_view id, std::int64_t count,
                        const A &...args) const {
    const Arg list[] = {makeArg(args)..., Arg{}};
    return pluralArgs(id, count, list, sizeof...(A));
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
    return formatArgsTo(buffer, length, id, Style::Message, list, sizeof...(A));
  }

  /// format, with the text as UTF-8: the same checks and the same text,
  /// written as UTF-8 (an unpaired surrogate as U+FFFD) as it is formatted,
  /// with no UTF-16 copy of it.
  template <class... A>
  Expected<std::string> formatUtf8(std::string_view id,
                                   const A &...args) const {
    const Arg list[] = {makeArg(args)..., Arg{}};
    return formatArgsUtf8(id, Style::Message, list, sizeof...(A));
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
    return formatArgsUtf8To(buffer, length, id, Style::Message, list,
                            sizeof...(A));
  }
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
  Expected<Text> pluralArgs(std::string_view id, std::int64_t count,
                            const Arg *args, std::size_t argCount) const;
  /// The CLDR plural category of \p count in locale(): "zero", "one",
  /// "two", "few", "many" or "other" ("other" in builds without ICU).
  std::string_view pluralCategory(std::int64_t count) const;
  /// The ID plural() would format for \p count, or "" when none of
  /// ID#<category>, ID#other and ID has a value.
  std::string pluralId(std::string_view id, std::int64_t count) const;

  /// The runtime's handle, for calls the layer does not wrap. It stays
  /// owned by the catalog.
  HSTRINGKEEPER handle() const noexcept;

  struct Impl;

private:
  explicit Catalog(std::unique_ptr<Impl> impl);
  /// The state; aborts with a message for a moved-from catalog.
  const Impl &state() const noexcept;
  std::unique_ptr<Impl> impl;
};

} // namespace phrasor

#endif // PHRASOR_CPP_CATALOG_H
