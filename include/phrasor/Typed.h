//===- Typed.h - Message IDs checked by the compiler ------------*- C++ -*-===//
//
// The source language's catalog is fixed when the program is built, and it
// says which inserts every ID takes. `phrasor header` writes that down: each
// ID is an enumerator, and its enumeration type stands for the shape of its
// text (the call it takes and what each argument must be), which many IDs
// share. Passing such an ID instead of a string to Catalog or Localizer lets
// the compiler refuse a misspelt ID, a wrong number of arguments or an
// argument its insert cannot take. Translations are still checked at run
// time as before: a translator may retype an insert, and
// `phrasor check --against` or the call's ArgumentMismatch catches that.
//
// The checks live here, once, and are instantiated only for the calls a
// unit makes; the header holds one enumerator per ID and a few lines per
// shape, so a catalog of 100,000 IDs costs its includers little.
//
// A typed call only adds compile-time checks in front of the string call it
// forwards to, so it costs the same.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_TYPED_H
#define PHRASOR_CPP_TYPED_H

#include "phrasor/Args.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

namespace phrasor {

class Count;
enum class Gender : std::uint8_t;

namespace typed {

/// What an insert of the source text takes: the layer's own families, so
/// that what compiles is what the source text accepts at run time.
using Takes = phrasor::Takes;

/// Which call a typed ID is passed to: what its shape allows, and what a
/// call asks for.
enum class Call : std::uint8_t {
  Find,
  Format,
  Plural,
  Ordinal,
  Gender,       ///< select() with a phrasor::Gender
  Select,       ///< select() with a word (and what a select() call asks)
  GenderPlural, ///< selectPlural() with a phrasor::Gender and a count
  SelectPlural, ///< selectPlural() with a word and a count (and the call)
};

/// Whether a call \p c suits a text of shape call \p shape: a gender text
/// and an open select's text are both passed to select(), each with its
/// own kind of value.
constexpr bool callFits(Call shape, Call c) {
  switch (shape) {
  case Call::Format:
    return c == Call::Find || c == Call::Format;
  case Call::Gender:
  case Call::Select:
    return c == Call::Select;
  case Call::GenderPlural:
  case Call::SelectPlural:
    return c == Call::SelectPlural;
  default:
    return c == shape;
  }
}

/// The arguments a call of shape call \p shape passes before the text's
/// own: the count, the value, or both.
constexpr std::size_t leadingOf(Call shape) {
  return shape == Call::Format                                        ? 0
         : shape == Call::GenderPlural || shape == Call::SelectPlural ? 2
                                                                      : 1;
}

/// What a generated header says of every ID of one enumeration type.
struct Shape {
  /// Format for a text (which find() also takes), Plural or Ordinal for
  /// the forms of a plural or ordinal text.
  Call call;
  /// One group per argument, '_' between them, each group the letters of
  /// what the inserts reading that argument take: I an integer, N a
  /// number, C a character, S text, P a pointer, X nothing (an argument no
  /// insert reads). "S_I" is text, then an integer; "" takes none.
  const char *args;
  /// The header's ID texts, in blocks; an ID's value says where its own is.
  const char *const *ids;
};

/// True for the IDs of a generated header: enumerations whose shape
/// argument lookup finds beside them.
template <class T, class = void> struct IsId : std::false_type {};
template <class T>
struct IsId<T, std::enable_if_t<std::is_same<
                   decltype(phrasorShape(std::declval<T>())), Shape>::value>>
    : std::is_enum<T> {};

template <class T>
using IfId = std::enable_if_t<IsId<std::remove_cv_t<T>>::value, int>;

/// Where an ID's text is, packed in its value: the block, the offset in
/// it and the length, so that no table of 100,000 entries is needed.
constexpr unsigned kIdOffsetBits = 20;
constexpr unsigned kIdLengthBits = 20;

template <class Id> constexpr std::string_view idText(Id id) {
  constexpr Shape shape = phrasorShape(Id{});
  const auto value = static_cast<std::uint64_t>(id);
  constexpr std::uint64_t lengthMask = (std::uint64_t{1} << kIdLengthBits) - 1;
  constexpr std::uint64_t offsetMask = (std::uint64_t{1} << kIdOffsetBits) - 1;
  const char *block = shape.ids[value >> (kIdOffsetBits + kIdLengthBits)];
  return {block + ((value >> kIdLengthBits) & offsetMask),
          static_cast<std::size_t>(value & lengthMask)};
}

/// What the layer makes of an argument of type T at run time: its ArgType
/// and whether text came as a raw pointer (which %p also takes). A user type
/// is judged by what its conversion returns.
template <class T, class = void> struct Judged {
  static constexpr ArgType type = ArgType::None;
  static constexpr bool pointer = false;
};

template <class T> struct IsLocalNumber : std::false_type {};
template <class T> struct IsLocalNumber<LocalNumber<T>> : std::true_type {};

template <class T> constexpr ArgType nativeType() {
  using C = std::remove_cv_t<std::remove_pointer_t<std::decay_t<T>>>;
  if constexpr (IsLocalNumber<T>::value)
    return nativeType<typename T::type>();
  else if constexpr (std::is_same<T, bool>::value)
    return ArgType::Bool;
  else if constexpr (std::is_same<T, char>::value ||
                     std::is_same<T, char16_t>::value ||
                     std::is_same<T, char32_t>::value ||
                     std::is_same<T, wchar_t>::value)
    return ArgType::Char;
  else if constexpr (std::is_integral<T>::value)
    return std::is_signed<T>::value ? ArgType::Signed : ArgType::Unsigned;
  else if constexpr (std::is_floating_point<T>::value)
    return ArgType::Floating;
  else if constexpr (std::is_same<T, std::string>::value ||
                     std::is_same<T, std::string_view>::value)
    return ArgType::Utf8Text;
  else if constexpr (std::is_same<T, Text>::value ||
                     std::is_same<T, TextView>::value)
    return ArgType::Utf16Text;
  else if constexpr ((std::is_array<T>::value || std::is_pointer<T>::value) &&
                     std::is_same<C, char>::value)
    return ArgType::Utf8Text;
  else if constexpr ((std::is_array<T>::value || std::is_pointer<T>::value) &&
                     std::is_same<C, PhrasorWChar>::value)
    return ArgType::Utf16Text;
  else if constexpr (std::is_pointer<T>::value ||
                     std::is_same<T, std::nullptr_t>::value)
    return ArgType::Pointer;
  else
    return ArgType::None;
}

template <class T>
struct Judged<T, std::enable_if_t<!detail::HasUserArg<T>::value>> {
  static constexpr ArgType type = nativeType<T>();
  static constexpr bool pointer = std::is_pointer<T>::value;
};
template <class T>
struct Judged<T, std::enable_if_t<detail::HasUserArg<T>::value>>
    : Judged<std::remove_cv_t<std::remove_reference_t<decltype(detail::userArg(
          std::declval<const T &>()))>>> {};

/// Stands for an argument that is not there: it suits any insert, so the
/// count check is the one that reports it.
struct Absent {};

template <std::size_t I, class... A> struct NthOf { using type = Absent; };
template <class F, class... R> struct NthOf<0, F, R...> { using type = F; };
template <std::size_t I, class F, class... R>
struct NthOf<I, F, R...> : NthOf<I - 1, R...> {};

/// Argument \p I of A..., or Absent. The checks name it, so a refusal
/// shows the argument's own type: ArgumentMustBeText<1, int>.
template <std::size_t I, class... A> using Nth = typename NthOf<I, A...>::type;

/// True when an argument of type T suits an insert that takes \p family:
/// the run-time check's own table, read by the compiler.
template <class T> constexpr bool suitsFamily(Takes family) {
  if constexpr (std::is_same<T, Absent>::value)
    return true;
  else
    return phrasor::accepts(family, Judged<std::remove_cv_t<T>>::type,
                            Judged<std::remove_cv_t<T>>::pointer);
}
template <Takes K, class T> constexpr bool suits() { return suitsFamily<T>(K); }

/// True when the first of A... is a plural's count: an integer or a Count.
template <class... A> constexpr bool countFirst() {
  if constexpr (sizeof...(A) == 0) {
    return false;
  } else {
    using F = std::remove_cv_t<std::tuple_element_t<0, std::tuple<A...>>>;
    return (std::is_integral<F>::value && !std::is_same<F, bool>::value) ||
           std::is_same<F, Count>::value;
  }
}

template <class T> constexpr bool isCount() {
  return (std::is_integral<T>::value && !std::is_same<T, bool>::value) ||
         std::is_same<T, Count>::value;
}

/// Whether A... begin as a call of shape call \p S begins: the count of a
/// plural, the gender or the word of a select, the value then the count.
template <Call S, class... A> constexpr bool leadingFit() {
  if constexpr (sizeof...(A) < leadingOf(S)) {
    return false;
  } else if constexpr (S == Call::Plural || S == Call::Ordinal) {
    return countFirst<A...>();
  } else if constexpr (leadingOf(S) == 0) {
    return true;
  } else {
    using V = std::remove_cv_t<std::tuple_element_t<0, std::tuple<A...>>>;
    constexpr bool gender = S == Call::Gender || S == Call::GenderPlural;
    constexpr bool value =
        gender ? std::is_same<V, Gender>::value
               : !std::is_same<V, Gender>::value &&
                     std::is_convertible<const V &, std::string_view>::value;
    if constexpr (leadingOf(S) == 1)
      return value;
    else
      return value &&
             isCount<
                 std::remove_cv_t<std::tuple_element_t<1, std::tuple<A...>>>>();
  }
}

/// The number of arguments \p args (a Shape's) takes.
constexpr std::size_t argumentCount(const char *args) {
  if (*args == '\0')
    return 0;
  std::size_t n = 1;
  for (; *args; ++args)
    n += *args == '_';
  return n;
}

/// The letters of argument \p index of \p args as bits, one per Takes.
constexpr unsigned argumentTakes(const char *args, std::size_t index) {
  for (; index > 0; ++args)
    index -= *args == '_';
  unsigned bits = 0;
  for (; *args && *args != '_'; ++args)
    for (Takes k : kEveryTakes)
      bits |= *args == takesLetter(k) ? 1u << unsigned(k) : 0u;
  return bits;
}

// What a refused call instantiates. Each is a type so that the compiler
// prints its arguments beside the assertion (which argument, what was
// passed, what the text takes), and each is instantiated only when the
// call is wrong, so a correct call costs no more than its checks.

template <std::size_t Argument, class Passed> struct ArgumentMustBeText {
  static_assert(sizeof(Passed) == 0,
                "phrasor: this argument must be text (UTF-8 or UTF-16)");
};
template <std::size_t Argument, class Passed> struct ArgumentMustBeAnInteger {
  static_assert(sizeof(Passed) == 0, "phrasor: this argument must be an "
                                     "integer (or a bool or a character)");
};
template <std::size_t Argument, class Passed> struct ArgumentMustBeANumber {
  static_assert(sizeof(Passed) == 0,
                "phrasor: this argument must be a number (floating point or "
                "an integer)");
};
template <std::size_t Argument, class Passed> struct ArgumentMustBeACharacter {
  static_assert(sizeof(Passed) == 0,
                "phrasor: this argument must be a character or an integer");
};
template <std::size_t Argument, class Passed> struct ArgumentMustBeAPointer {
  static_assert(sizeof(Passed) == 0,
                "phrasor: this argument must be a pointer");
};
template <std::size_t Takes, std::size_t Passed> struct TextTakesArguments {
  static_assert(Takes == Passed,
                "phrasor: the ID's text takes another number of arguments "
                "than the call passes: TextTakesArguments<taken, passed>");
};
template <class Id> struct IdIsAPluralText {
  static_assert(sizeof(Id) == 0,
                "phrasor: this ID is a plural text; call plural() with its "
                "count first");
};
template <class Id> struct IdIsAnOrdinalText {
  static_assert(sizeof(Id) == 0,
                "phrasor: this ID is an ordinal text; call ordinal() with its "
                "count first");
};
template <class Id> struct IdIsNotAPluralText {
  static_assert(sizeof(Id) == 0,
                "phrasor: this ID is not a plural text; call find() or "
                "format()");
};
template <class Id> struct IdIsASelectText {
  static_assert(sizeof(Id) == 0,
                "phrasor: this ID is a gender or select text; call select() "
                "with its value first");
};
template <class Id> struct IdIsASelectPluralText {
  static_assert(sizeof(Id) == 0,
                "phrasor: this ID varies by a value and a count; call "
                "selectPlural() with the value, then the count");
};
template <class Id> struct ValueMustComeFirst {
  static_assert(sizeof(Id) == 0,
                "phrasor: a gender text takes a phrasor::Gender first, a "
                "select text a string_view (and a selectPlural() the count "
                "next), then the arguments of the text");
};
template <class Passed> struct CountMustComeFirst {
  static_assert(!std::is_floating_point<Passed>::value,
                "phrasor: a floating-point count hides how many fraction "
                "digits the text shows; pass Count::shown(value, digits)");
  static_assert(std::is_floating_point<Passed>::value,
                "phrasor: the count comes first, an integer or a "
                "phrasor::Count, then the arguments of the text");
};

template <std::size_t Argument, unsigned Wants, class T>
constexpr void checkArgument() {
  constexpr auto wants = [](Takes k) { return (Wants >> unsigned(k)) & 1u; };
  if constexpr (wants(Takes::String) && !suits<Takes::String, T>())
    (void)sizeof(ArgumentMustBeText<Argument, T>);
  if constexpr (wants(Takes::Integer) && !suits<Takes::Integer, T>())
    (void)sizeof(ArgumentMustBeAnInteger<Argument, T>);
  if constexpr (wants(Takes::Number) && !suits<Takes::Number, T>())
    (void)sizeof(ArgumentMustBeANumber<Argument, T>);
  if constexpr (wants(Takes::Character) && !suits<Takes::Character, T>())
    (void)sizeof(ArgumentMustBeACharacter<Argument, T>);
  if constexpr (wants(Takes::Pointer) && !suits<Takes::Pointer, T>())
    (void)sizeof(ArgumentMustBeAPointer<Argument, T>);
}

template <class Id, std::size_t First, class... A, std::size_t... I>
constexpr void checkArguments(std::index_sequence<I...>) {
  (checkArgument<I + 1, argumentTakes(phrasorShape(Id{}).args, I),
                 std::remove_cv_t<Nth<I + First, A...>>>(),
   ...);
}

/// Says which call a text of shape call \p S takes.
template <class Id, Call S> constexpr void explainCall() {
  if constexpr (S == Call::Format)
    (void)sizeof(IdIsNotAPluralText<Id>);
  else if constexpr (S == Call::Plural)
    (void)sizeof(IdIsAPluralText<Id>);
  else if constexpr (S == Call::Ordinal)
    (void)sizeof(IdIsAnOrdinalText<Id>);
  else if constexpr (S == Call::Gender || S == Call::Select)
    (void)sizeof(IdIsASelectText<Id>);
  else
    (void)sizeof(IdIsASelectPluralText<Id>);
}

/// The compile-time check of a typed call \p C of \p Id with arguments
/// A... (a plural's count, a select's value, first).
template <class Id, Call C, class... A> constexpr void check() {
  constexpr Shape shape = phrasorShape(Id{});
  if constexpr (!callFits(shape.call, C)) {
    explainCall<Id, shape.call>();
  } else if constexpr (C != Call::Find) {
    constexpr std::size_t first = leadingOf(shape.call);
    constexpr std::size_t takes = argumentCount(shape.args);
    if constexpr (!leadingFit<shape.call, A...>()) {
      if constexpr (sizeof...(A) == 0)
        (void)sizeof(TextTakesArguments<takes + first, 0>);
      else if constexpr (first == 1 && (shape.call == Call::Plural ||
                                        shape.call == Call::Ordinal))
        (void)sizeof(CountMustComeFirst<std::remove_cv_t<Nth<0, A...>>>);
      else
        (void)sizeof(ValueMustComeFirst<Id>);
    } else if constexpr (sizeof...(A) != takes + first) {
      (void)sizeof(TextTakesArguments<takes, sizeof...(A) - first>);
    } else {
      checkArguments<Id, first, A...>(std::make_index_sequence<takes>());
    }
  }
}

template <unsigned Wants, class T> constexpr bool suitsAll() {
  for (Takes k : kEveryTakes)
    if (((Wants >> unsigned(k)) & 1u) && !suitsFamily<T>(k))
      return false;
  return true;
}

template <class Id, std::size_t First, class... A, std::size_t... I>
constexpr bool argumentsSuit(std::index_sequence<I...>) {
  return (suitsAll<argumentTakes(phrasorShape(Id{}).args, I),
                   std::remove_cv_t<Nth<I + First, A...>>>() &&
          ...);
}

/// check() as a verdict, asserting nothing.
template <class Id, Call C, class... A> constexpr bool accepts() {
  constexpr Shape shape = phrasorShape(Id{});
  if (!callFits(shape.call, C))
    return false;
  if (C == Call::Find)
    return true;
  constexpr std::size_t first = leadingOf(shape.call);
  constexpr std::size_t takes = argumentCount(shape.args);
  if (!leadingFit<shape.call, A...>())
    return false;
  return sizeof...(A) == takes + first &&
         argumentsSuit<Id, first, A...>(std::make_index_sequence<takes>());
}

template <class Id, Call C, class... A>
struct Accepted : std::integral_constant<bool, accepts<Id, C, A...>()> {};

/// True for a call the checks refuse, after instantiating what explains
/// why, so the compiler prints that beside its refusal of the call.
template <class Id, Call C, class... A> constexpr bool explainRefusal() {
  if constexpr (accepts<Id, C, A...>()) {
    return false;
  } else {
    check<Id, C, A...>();
    return true;
  }
}
template <class Id, Call C, class... A>
struct Refused : std::integral_constant<bool, explainRefusal<Id, C, A...>()> {};

// A typed call is two overloads: the one the checks accept forwards to the
// string call; the other is deleted, so a wrong call is an error at the
// call itself, which compilers show with its line (naming the ID), after
// the assertions that say what is wrong.
template <class Id, Call C, class... A>
using IfAccepted =
    std::enable_if_t<std::conjunction<IsId<Id>, Accepted<Id, C, A...>>::value,
                     int>;
template <class Id, Call C, class... A>
using IfRefused =
    std::enable_if_t<std::conjunction<IsId<Id>, Refused<Id, C, A...>>::value,
                     int>;

} // namespace typed

/// The ID text of a typed ID, as the string calls take it:
/// `idOf(msg::menu_title) == "menu.title"`, for logs and for calls that
/// take only strings.
template <class Id, typed::IfId<Id> = 0>
constexpr std::string_view idOf(Id id) {
  return typed::idText(id);
}

/// The typed calls Catalog and Localizer share: each runs the ID's checks,
/// then the string call with the ID's text.
template <class Self> class TypedCalls {
public:
  template <class Id, typed::IfAccepted<Id, typed::Call::Find> = 0>
  auto find(Id id) const {
    return self().find(typed::idText(id));
  }
  template <class Id, typed::IfRefused<Id, typed::Call::Find> = 0>
  void find(Id) const = delete;

  template <class Id, class... A,
            typed::IfAccepted<Id, typed::Call::Format, A...> = 0>
  auto format(Id id, const A &...args) const {
    return self().format(typed::idText(id), args...);
  }
  template <class Id, class... A,
            typed::IfRefused<Id, typed::Call::Format, A...> = 0>
  void format(Id, const A &...) const = delete;

  template <class Id, class... A,
            typed::IfAccepted<Id, typed::Call::Format, A...> = 0>
  auto formatTo(PhrasorWChar *buffer, std::size_t length, Id id,
                const A &...args) const {
    return self().formatTo(buffer, length, typed::idText(id), args...);
  }
  template <class Id, class... A,
            typed::IfRefused<Id, typed::Call::Format, A...> = 0>
  void formatTo(PhrasorWChar *, std::size_t, Id, const A &...) const = delete;

  template <class Id, class... A,
            typed::IfAccepted<Id, typed::Call::Format, A...> = 0>
  auto formatUtf8(Id id, const A &...args) const {
    return self().formatUtf8(typed::idText(id), args...);
  }
  template <class Id, class... A,
            typed::IfRefused<Id, typed::Call::Format, A...> = 0>
  void formatUtf8(Id, const A &...) const = delete;

  template <class Id, class... A,
            typed::IfAccepted<Id, typed::Call::Format, A...> = 0>
  auto formatUtf8To(char *buffer, std::size_t length, Id id,
                    const A &...args) const {
    return self().formatUtf8To(buffer, length, typed::idText(id), args...);
  }
  template <class Id, class... A,
            typed::IfRefused<Id, typed::Call::Format, A...> = 0>
  void formatUtf8To(char *, std::size_t, Id, const A &...) const = delete;

  /// The count comes first, then the arguments of the source's text.
  template <class Id, class... A,
            typed::IfAccepted<Id, typed::Call::Plural, A...> = 0>
  auto plural(Id id, const A &...all) const {
    return counted<false>(typed::idText(id), all...);
  }
  template <class Id, class... A,
            typed::IfRefused<Id, typed::Call::Plural, A...> = 0>
  void plural(Id, const A &...) const = delete;

  template <class Id, class... A,
            typed::IfAccepted<Id, typed::Call::Ordinal, A...> = 0>
  auto ordinal(Id id, const A &...all) const {
    return counted<true>(typed::idText(id), all...);
  }
  template <class Id, class... A,
            typed::IfRefused<Id, typed::Call::Ordinal, A...> = 0>
  void ordinal(Id, const A &...) const = delete;

  /// A gender text takes its phrasor::Gender first, an open select's text
  /// its word; then the arguments of the source's text.
  template <class Id, class... A,
            typed::IfAccepted<Id, typed::Call::Select, A...> = 0>
  auto select(Id id, const A &...all) const {
    return self().select(typed::idText(id), all...);
  }
  template <class Id, class... A,
            typed::IfRefused<Id, typed::Call::Select, A...> = 0>
  void select(Id, const A &...) const = delete;

  /// The value, then the count, then the arguments of the source's text.
  template <class Id, class... A,
            typed::IfAccepted<Id, typed::Call::SelectPlural, A...> = 0>
  auto selectPlural(Id id, const A &...all) const {
    return self().selectPlural(typed::idText(id), all...);
  }
  template <class Id, class... A,
            typed::IfRefused<Id, typed::Call::SelectPlural, A...> = 0>
  void selectPlural(Id, const A &...) const = delete;

private:
  const Self &self() const { return static_cast<const Self &>(*this); }
  // Only an accepted call gets here, so the count is first.
  template <bool Ordinal, class N, class... A>
  auto counted(std::string_view id, const N &count, const A &...args) const {
    if constexpr (Ordinal)
      return self().ordinal(id, count, args...);
    else
      return self().plural(id, count, args...);
  }
};

} // namespace phrasor

#endif // PHRASOR_CPP_TYPED_H
