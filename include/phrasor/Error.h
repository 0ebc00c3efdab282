//===- Error.h - Why an operation of the C++ layer failed -------*- C++ -*-===//
//
// The layer throws nothing, so every operation that can fail returns an
// Expected<T>: the value, or an Error with a code to branch on and a
// sentence to log. Misusing an Expected (value() of an error, error() of a
// value) is a programming fault and stops the process.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_ERROR_H
#define PHRASOR_CPP_ERROR_H

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <type_traits>
#include <utility>

namespace phrasor {

/// What went wrong, coarse enough to branch on.
enum class Errc {
  FileNotFound,     ///< no file at the path
  ReadFailed,       ///< the file exists but could not be read
  NotADatabase,     ///< wrong magic or version
  Corrupt,          ///< a structural rule of the file format is broken
  OutOfMemory,      ///< the runtime could not allocate the keeper
  MissingId,        ///< no entry has this ID
  NoValue,          ///< the entry exists but holds no text
  BadMessage,       ///< the stored text is not a valid message or format
  ArgumentMismatch, ///< the arguments do not fit the stored inserts
  TooLong,          ///< the output does not fit
  BadLocale,        ///< not a language tag or POSIX locale name
};

/// A short name for \p code, such as "MissingId".
const char *errcName(Errc code) noexcept;

class Error {
public:
  Error(Errc code, std::string message)
      : errc(code), text(std::move(message)) {}

  Errc code() const noexcept { return errc; }
  /// One sentence saying what failed and why, for logs and people.
  const std::string &message() const noexcept { return text; }

private:
  Errc errc;
  std::string text;
};

namespace detail {
[[noreturn]] inline void expectedMisuse(const char *what,
                                        const std::string &detail) {
  std::fprintf(stderr, "phrasor: %s%s%s\n", what, detail.empty() ? "" : ": ",
               detail.c_str());
  std::abort();
}
} // namespace detail

/// A T or an Error. value() of an Error, or error() of a T, aborts.
template <class T> class [[nodiscard]] Expected {
public:
  Expected(T value) : ok(true) { new (&storage.value) T(std::move(value)); }
  Expected(Error error) : ok(false) {
    new (&storage.error) Error(std::move(error));
  }
  Expected(Expected &&other) noexcept(
      std::is_nothrow_move_constructible<T>::value)
      : ok(other.ok) {
    if (ok)
      new (&storage.value) T(std::move(other.storage.value));
    else
      new (&storage.error) Error(std::move(other.storage.error));
  }
  Expected(const Expected &other) : ok(other.ok) {
    if (ok)
      new (&storage.value) T(other.storage.value);
    else
      new (&storage.error) Error(other.storage.error);
  }
  Expected &operator=(Expected other) {
    destroy();
    ok = other.ok;
    if (ok)
      new (&storage.value) T(std::move(other.storage.value));
    else
      new (&storage.error) Error(std::move(other.storage.error));
    return *this;
  }
  ~Expected() { destroy(); }

  bool has_value() const noexcept { return ok; }
  explicit operator bool() const noexcept { return ok; }

  T &value() {
    if (!ok)
      detail::expectedMisuse("value() of an error", storage.error.message());
    return storage.value;
  }
  const T &value() const {
    if (!ok)
      detail::expectedMisuse("value() of an error", storage.error.message());
    return storage.value;
  }
  T &operator*() { return value(); }
  const T &operator*() const { return value(); }
  T *operator->() { return &value(); }
  const T *operator->() const { return &value(); }

  /// The value, or \p fallback converted to T when this holds an error.
  template <class U> T value_or(U &&fallback) const & {
    return ok ? storage.value : static_cast<T>(std::forward<U>(fallback));
  }
  template <class U> T value_or(U &&fallback) && {
    return ok ? std::move(storage.value)
              : static_cast<T>(std::forward<U>(fallback));
  }

  const Error &error() const {
    if (ok)
      detail::expectedMisuse("error() of a value", std::string());
    return storage.error;
  }

private:
  void destroy() {
    if (ok)
      storage.value.~T();
    else
      storage.error.~Error();
  }

  union Storage {
    Storage() {}
    ~Storage() {}
    T value;
    Error error;
  } storage;
  bool ok;
};

} // namespace phrasor

#endif // PHRASOR_CPP_ERROR_H
