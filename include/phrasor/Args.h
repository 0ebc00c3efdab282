//===- Args.h - C++ arguments described for run-time checks ---*- C++ -*-===//
//
// A stored message is data a translator may have changed, so the types of
// its inserts are known only at run time. Each C++ argument is therefore
// captured with a description of its type (integer, floating point, UTF-8
// or UTF-16 text, pointer, ...) and its value, and the layer checks the two
// against each other before anything is formatted. Types the layer cannot
// describe are refused at compile time.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_ARGS_H
#define PHRASOR_CPP_ARGS_H

#include "phrasor/Text.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace phrasor {

/// What kind of C++ value an argument is.
enum class ArgType : std::uint8_t {
  None, ///< not described (an Arg{}); every insert refuses it
  Bool,
  Char,      ///< char, char16_t, char32_t, wchar_t
  Signed,    ///< signed integers, signed char (int8_t) included
  Unsigned,  ///< unsigned integers, unsigned char (uint8_t) included
  Floating,  ///< float, double, long double
  Utf8Text,  ///< std::string, std::string_view, const char*
  Utf16Text, ///< Text, TextView, const PhrasorWChar*
  Pointer,   ///< any other pointer, nullptr
};

/// What an insert of a text takes, by family. Which C++ arguments suit
/// each family is decided by accepts() below, the one table both the
/// run-time check and the typed calls' compile-time check read: what
/// compiles is what formats.
enum class Takes : std::uint8_t {
  Integer,   ///< %1!d!, %x, a '*' width: bool, characters and integers
  Number,    ///< %1!f!, %g: floating point or an integer
  Character, ///< %1!c!, %C: a character or an integer
  String,    ///< %1!s!, %S: UTF-8 or UTF-16 text
  Pointer,   ///< %p: a pointer, or text given by pointer
};

/// The families, in order, for code that walks them all.
constexpr Takes kEveryTakes[] = {Takes::Integer, Takes::Number,
                                 Takes::Character, Takes::String,
                                 Takes::Pointer};

/// The letter a generated header writes for \p family: I, N, C, S or P.
constexpr char takesLetter(Takes family) {
  return "INCSP"[static_cast<unsigned>(family)];
}

/// Whether an argument of \p type suits an insert that takes \p family;
/// \p byPointer says text came as a raw pointer, which %p also prints.
constexpr bool accepts(Takes family, ArgType type, bool byPointer) {
  const bool integer = type == ArgType::Signed || type == ArgType::Unsigned;
  const bool text = type == ArgType::Utf8Text || type == ArgType::Utf16Text;
  switch (family) {
  case Takes::Integer:
    return integer || type == ArgType::Bool || type == ArgType::Char;
  case Takes::Number:
    return integer || type == ArgType::Floating;
  case Takes::Character:
    return integer || type == ArgType::Char;
  case Takes::String:
    return text;
  case Takes::Pointer:
    return type == ArgType::Pointer || (text && byPointer);
  }
  return false;
}

/// One argument: its type, the name to show in a refusal, and its value.
/// Text arguments point at the caller's characters; \c length is their count
/// and \c terminated says whether a terminator follows them. An Arg{} is
/// "no argument": every insert refuses it.
struct Arg {
  ArgType type;
  bool terminated;  ///< text: a terminator follows the characters
  bool fromPointer; ///< text given as a raw pointer (may be printed by %p)
  bool wide;        ///< integer: the C++ type is wider than 32 bits
  bool localized;   ///< number: written as the catalog's locale writes it
  bool percent;     ///< number: a fraction written as a percent
  const char *name; ///< the C++ type, for messages; may be null
  union {
    std::int64_t i;
    std::uint64_t u;
    double d;
    const void *p;
  } value;
  std::size_t length; ///< text: characters (units) before the end
};

/// A number the catalog's locale writes its own way (phrasor::number,
/// phrasor::percent): its separators, grouping and digits, whatever the
/// insert's grouping flag. The insert must be one the layer can write: d, i,
/// u, f, e or g, without a size prefix, '0', '#' or '.*'.
template <class T> struct LocalNumber {
  static_assert(std::is_arithmetic<T>::value && !std::is_same<T, bool>::value,
                "phrasor::number and phrasor::percent take a number");
  using type = T;
  T value;
  bool percent;
};

/// \p value written as the catalog's locale writes numbers.
template <class T> LocalNumber<T> number(T value) { return {value, false}; }
/// \p fraction as a percent in the catalog's locale: 0.25 is "25%" in
/// English, "25 %" in German. It goes to a floating-point insert (%f, %g,
/// %1!f!), whose precision gives the fraction digits; none written is 0.
template <class T> LocalNumber<double> percent(T fraction) {
  return {static_cast<double>(fraction), true};
}

namespace detail {

template <class T> constexpr const char *arithmeticName() {
  if constexpr (std::is_same<T, signed char>::value)
    return "signed char";
  else if constexpr (std::is_same<T, unsigned char>::value)
    return "unsigned char";
  else if constexpr (std::is_same<T, short>::value)
    return "short";
  else if constexpr (std::is_same<T, int>::value)
    return "int";
  else if constexpr (std::is_same<T, long>::value)
    return "long";
  else if constexpr (std::is_same<T, long long>::value)
    return "long long";
  else if constexpr (std::is_same<T, unsigned short>::value)
    return "unsigned short";
  else if constexpr (std::is_same<T, unsigned>::value)
    return "unsigned int";
  else if constexpr (std::is_same<T, unsigned long>::value)
    return "unsigned long";
  else if constexpr (std::is_same<T, unsigned long long>::value)
    return "unsigned long long";
  else if constexpr (std::is_same<T, float>::value)
    return "float";
  else if constexpr (std::is_same<T, double>::value)
    return "double";
  else if constexpr (std::is_same<T, long double>::value)
    return "long double";
  else
    return std::is_signed<T>::value ? "signed integer" : "unsigned integer";
}

template <class T> struct ArgOf {
  static_assert(std::is_pointer<T>::value || std::is_arithmetic<T>::value,
                "phrasor: this argument type cannot be formatted; pass an "
                "integer, floating point value, character, UTF-8 or UTF-16 "
                "string, or pointer");
  static Arg make(const T &v) {
    Arg a{};
    if constexpr (std::is_pointer<T>::value) {
      a.type = ArgType::Pointer;
      a.name = "pointer";
      a.value.p = static_cast<const void *>(v);
    } else if constexpr (std::is_floating_point<T>::value) {
      a.type = ArgType::Floating;
      a.name = arithmeticName<T>();
      a.value.d = static_cast<double>(v);
    } else if constexpr (std::is_signed<T>::value) {
      a.type = ArgType::Signed;
      a.name = arithmeticName<T>();
      a.wide = sizeof(T) > 4;
      a.value.i = static_cast<std::int64_t>(v);
    } else {
      a.type = ArgType::Unsigned;
      a.name = arithmeticName<T>();
      a.wide = sizeof(T) > 4;
      a.value.u = static_cast<std::uint64_t>(v);
    }
    return a;
  }
};

inline Arg charArg(std::int64_t v, const char *name) {
  Arg a{};
  a.type = ArgType::Char;
  a.name = name;
  a.value.i = v;
  return a;
}

inline Arg textArg(ArgType type, const void *p, std::size_t length,
                   bool terminated, bool fromPointer, const char *name) {
  Arg a{};
  a.type = type;
  a.name = name;
  a.value.p = p;
  a.length = length;
  a.terminated = terminated;
  a.fromPointer = fromPointer;
  return a;
}

template <class C> std::size_t terminatedLength(const C *s) {
  std::size_t n = 0;
  if (s)
    while (s[n])
      ++n;
  return n;
}

// An array need not hold a terminator: its text ends at the first one or
// at its last element, whichever comes first.
template <class C, std::size_t N>
Arg arrayArg(ArgType type, const C (&v)[N], const char *name) {
  std::size_t n = 0;
  while (n < N && v[n])
    ++n;
  return textArg(type, v, n, n < N, false, name);
}

template <class T> struct ArgOf<LocalNumber<T>> {
  static Arg make(const LocalNumber<T> &n) {
    Arg a = ArgOf<T>::make(n.value);
    a.localized = true;
    a.percent = n.percent;
    return a;
  }
};

template <> struct ArgOf<bool> {
  static Arg make(bool v) {
    Arg a{};
    a.type = ArgType::Bool;
    a.name = "bool";
    a.value.i = v ? 1 : 0;
    return a;
  }
};
// A char keeps the sign it has on the platform, as it does when a C caller
// passes it; signed and unsigned char are int8_t and uint8_t, integers.
template <> struct ArgOf<char> {
  static Arg make(char v) { return charArg(static_cast<int>(v), "char"); }
};
template <> struct ArgOf<char16_t> {
  static Arg make(char16_t v) { return charArg(v, "char16_t"); }
};
template <> struct ArgOf<char32_t> {
  static Arg make(char32_t v) { return charArg(v, "char32_t"); }
};
template <> struct ArgOf<wchar_t> {
  static Arg make(wchar_t v) {
    return charArg(static_cast<std::int64_t>(v), "wchar_t");
  }
};
template <> struct ArgOf<std::nullptr_t> {
  static Arg make(std::nullptr_t) {
    Arg a{};
    a.type = ArgType::Pointer;
    a.name = "nullptr";
    return a;
  }
};

template <> struct ArgOf<const char *> {
  static Arg make(const char *v) {
    return textArg(ArgType::Utf8Text, v, terminatedLength(v), true, true,
                   "const char*");
  }
};
template <> struct ArgOf<char *> : ArgOf<const char *> {};
template <> struct ArgOf<std::string> {
  static Arg make(const std::string &v) {
    return textArg(ArgType::Utf8Text, v.c_str(), v.size(), true, false,
                   "std::string");
  }
};
template <> struct ArgOf<std::string_view> {
  static Arg make(std::string_view v) {
    return textArg(ArgType::Utf8Text, v.data(), v.size(), false, false,
                   "std::string_view");
  }
};
template <std::size_t N> struct ArgOf<char[N]> {
  static Arg make(const char (&v)[N]) {
    return arrayArg(ArgType::Utf8Text, v, "string literal");
  }
};

template <> struct ArgOf<const PhrasorWChar *> {
  static Arg make(const PhrasorWChar *v) {
    return textArg(ArgType::Utf16Text, v, terminatedLength(v), true, true,
                   "UTF-16 pointer");
  }
};
template <> struct ArgOf<PhrasorWChar *> : ArgOf<const PhrasorWChar *> {};
template <> struct ArgOf<Text> {
  static Arg make(const Text &v) {
    return textArg(ArgType::Utf16Text, v.c_str(), v.size(), true, false,
                   "phrasor::Text");
  }
};
template <> struct ArgOf<TextView> {
  static Arg make(TextView v) {
    return textArg(ArgType::Utf16Text, v.data(), v.size(), false, false,
                   "phrasor::TextView");
  }
};
template <std::size_t N> struct ArgOf<PhrasorWChar[N]> {
  static Arg make(const PhrasorWChar (&v)[N]) {
    return arrayArg(ArgType::Utf16Text, v, "UTF-16 literal");
  }
};

} // namespace detail

/// Your own argument types. Specialize ArgConverter<T> with a static
/// convert(const T&), or declare phrasorArg(const T&) beside T for argument
/// lookup to find, returning a value the layer already takes: a number, a
/// character, a pointer, or a view of (or reference to) text that T holds;
/// a std::string made by the conversion would be gone before it is
/// formatted. The specialization is the way for types you cannot add
/// functions beside, such as std::chrono::duration.
template <class T, class = void> struct ArgConverter {};

namespace detail {

template <class T, class = void> struct HasArgConverter : std::false_type {};
template <class T>
struct HasArgConverter<T, std::void_t<decltype(ArgConverter<T>::convert(
                              std::declval<const T &>()))>> : std::true_type {};
template <class T, class = void> struct HasPhrasorArg : std::false_type {};
template <class T>
struct HasPhrasorArg<
    T, std::void_t<decltype(phrasorArg(std::declval<const T &>()))>>
    : std::true_type {};
template <class T>
struct HasUserArg : std::integral_constant<bool, HasArgConverter<T>::value ||
                                                     HasPhrasorArg<T>::value> {
};

template <class T> decltype(auto) userArg(const T &value) {
  if constexpr (HasArgConverter<T>::value)
    return ArgConverter<T>::convert(value);
  else
    return phrasorArg(value);
}

} // namespace detail

/// Describes \p value for the checked formatting calls. A text argument
/// points at the caller's characters, so they must outlive the Arg.
template <class T> Arg makeArg(const T &value) {
  using U = std::remove_cv_t<T>;
  if constexpr (detail::HasUserArg<U>::value) {
    // A string returned by value dies with this call; one returned by
    // reference is held by the object, which outlives the formatting.
    using R = decltype(detail::userArg(value));
    static_assert(std::is_reference<R>::value ||
                      (!std::is_same<std::remove_cv_t<R>, std::string>::value &&
                       !std::is_same<std::remove_cv_t<R>, Text>::value),
                  "phrasor: a conversion of your type must not return a "
                  "string it makes; return a view of text the object holds, "
                  "or a number");
    return makeArg(detail::userArg(value));
  } else {
    return detail::ArgOf<U>::make(value);
  }
}
/// A temporary string would be freed before the Arg is used; keep the
/// string in a variable, or pass it straight to format().
Arg makeArg(const std::string &&) = delete;
Arg makeArg(const Text &&) = delete;

} // namespace phrasor

#endif // PHRASOR_CPP_ARGS_H
