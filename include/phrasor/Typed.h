//===- Typed.h - Message IDs checked by the compiler ------------*- C++ -*-===//
//
// The source language's catalog is fixed when the program is built, and it
// says which inserts every ID takes. `phrasor header` writes that down as
// one constexpr object per ID; passing such an object instead of a string
// to Catalog or Localizer lets the compiler refuse a misspelt ID, a wrong
// number of arguments or an argument its insert cannot take, with a
// static_assert that names the ID and the insert. Translations are still
// checked at run time as before: a translator may retype an insert, and
// `phrasor check --against` or the call's ArgumentMismatch catches that.
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

namespace phrasor {

class Count;

namespace typed {

/// What an insert of the source text takes. The same families the layer
/// checks at run time, so what compiles is what the source text accepts.
enum class Takes : std::uint8_t {
  Integer,   ///< %1!d!, %x, a '*' width: bool, characters and integers
  Number,    ///< %1!f!, %g: floating point or an integer
  Character, ///< %1!c!, %C: a character or an integer
  String,    ///< %1!s!, %S: UTF-8 or UTF-16 text
  Pointer,   ///< %p: a pointer, or text given by pointer
};

/// Which call a typed ID is passed to, for the generated checks.
enum class Call : std::uint8_t { Find, Format, Plural, Ordinal };

/// The base of every generated ID type; only it marks a type as an ID.
struct IdBase {};

template <class T>
using IfId = std::enable_if_t<std::is_base_of<IdBase, T>::value, int>;

/// What the layer makes of an argument of type T at run time: its ArgType
/// and whether text came as a raw pointer (which %p also takes). A user type
/// is judged by what its conversion returns.
template <class T, class = void> struct Judged {
  static constexpr ArgType type = ArgType::None;
  static constexpr bool pointer = false;
};

template <class T> constexpr ArgType nativeType() {
  using C = std::remove_cv_t<std::remove_pointer_t<std::decay_t<T>>>;
  if constexpr (std::is_same<T, bool>::value)
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

constexpr bool integral(ArgType t) {
  return t == ArgType::Bool || t == ArgType::Char || t == ArgType::Signed ||
         t == ArgType::Unsigned;
}

/// Stands for an argument that is not there: it suits any insert, so the
/// generated count check is the one that reports it.
struct Absent {};

template <std::size_t I, class... A> struct NthOf { using type = Absent; };
template <class F, class... R> struct NthOf<0, F, R...> { using type = F; };
template <std::size_t I, class F, class... R>
struct NthOf<I, F, R...> : NthOf<I - 1, R...> {};

/// Argument \p I of A..., or Absent. The generated checks name it, so a
/// refusal shows the argument's own type: Suits<Takes::String, int>.
template <std::size_t I, class... A> using Nth = typename NthOf<I, A...>::type;

/// True when an argument of type T suits an insert that takes \p K; the
/// rules of the run-time check, decided by the compiler.
template <Takes K, class T> constexpr bool suits() {
  constexpr ArgType t = Judged<std::remove_cv_t<T>>::type;
  if constexpr (std::is_same<T, Absent>::value)
    return true;
  switch (K) {
  case Takes::Integer:
    return integral(t);
  case Takes::Number:
    return t == ArgType::Floating || t == ArgType::Signed ||
           t == ArgType::Unsigned;
  case Takes::Character:
    return t == ArgType::Char || t == ArgType::Signed || t == ArgType::Unsigned;
  case Takes::String:
    return t == ArgType::Utf8Text || t == ArgType::Utf16Text;
  case Takes::Pointer:
    return t == ArgType::Pointer ||
           ((t == ArgType::Utf8Text || t == ArgType::Utf16Text) &&
            Judged<std::remove_cv_t<T>>::pointer);
  }
  return false;
}

/// suits() as a type, which compilers print with its arguments when an
/// assertion on it fails: "Suits<Takes::String, int>::value".
template <Takes K, class T>
struct Suits : std::integral_constant<bool, suits<K, T>()> {};

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

template <class... A>
struct CountFirst : std::integral_constant<bool, countFirst<A...>()> {};

} // namespace typed

/// The typed calls Catalog and Localizer share: each runs the ID's
/// generated checks, then the string call with the ID's text.
template <class Self> class TypedCalls {
public:
  template <class Id, typed::IfId<Id> = 0> auto find(const Id &) const {
    Id::template phrasorCheck<typed::Call::Find>();
    return self().find(Id::phrasorId);
  }
  template <class Id, class... A, typed::IfId<Id> = 0>
  auto format(const Id &, const A &...args) const {
    Id::template phrasorCheck<typed::Call::Format, A...>();
    return self().format(Id::phrasorId, args...);
  }
  template <class Id, class... A, typed::IfId<Id> = 0>
  auto formatTo(PhrasorWChar *buffer, std::size_t length, const Id &,
                const A &...args) const {
    Id::template phrasorCheck<typed::Call::Format, A...>();
    return self().formatTo(buffer, length, Id::phrasorId, args...);
  }
  template <class Id, class... A, typed::IfId<Id> = 0>
  auto formatUtf8(const Id &, const A &...args) const {
    Id::template phrasorCheck<typed::Call::Format, A...>();
    return self().formatUtf8(Id::phrasorId, args...);
  }
  template <class Id, class... A, typed::IfId<Id> = 0>
  auto formatUtf8To(char *buffer, std::size_t length, const Id &,
                    const A &...args) const {
    Id::template phrasorCheck<typed::Call::Format, A...>();
    return self().formatUtf8To(buffer, length, Id::phrasorId, args...);
  }
  /// The count comes first, then the arguments of the source's text.
  template <class Id, class... A, typed::IfId<Id> = 0>
  auto plural(const Id &, const A &...all) const {
    Id::template phrasorCheck<typed::Call::Plural, A...>();
    return counted<false>(Id::phrasorId, all...);
  }
  template <class Id, class... A, typed::IfId<Id> = 0>
  auto ordinal(const Id &, const A &...all) const {
    Id::template phrasorCheck<typed::Call::Ordinal, A...>();
    return counted<true>(Id::phrasorId, all...);
  }

private:
  const Self &self() const { return static_cast<const Self &>(*this); }
  template <bool Ordinal, class... A>
  auto counted(std::string_view id, const A &...all) const {
    if constexpr (!typed::countFirst<A...>())
      // The generated check has refused the call; this branch only keeps
      // the compiler from adding errors of its own to that message.
      return self().plural(id, 0);
    else
      return countedCall<Ordinal>(id, all...);
  }
  template <bool Ordinal, class N, class... A>
  auto countedCall(std::string_view id, const N &count,
                   const A &...args) const {
    if constexpr (Ordinal)
      return self().ordinal(id, count, args...);
    else
      return self().plural(id, count, args...);
  }
};

} // namespace phrasor

#endif // PHRASOR_CPP_TYPED_H
