//===- Environment.cpp - The user's languages and the program's place -----===//

#include "phrasor/Environment.h"

#include "cpp/LocaleName.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <system_error>

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#elif defined(__APPLE__)
#include <mach-o/dyld.h>
#elif defined(__FreeBSD__)
#include <sys/sysctl.h>
#include <sys/types.h>
#endif

namespace phrasor {
namespace {

// Appends \p name's tag unless it names no language or one already listed.
void addLanguage(std::vector<std::string> &languages, std::string_view name) {
  if (choosesNoLanguage(name))
    return;
  const LocaleName read = readLocaleName(name);
  // "sr_RS@latin" asks for sr-Latn-RS, and sr-RS serves when no catalog
  // says the script.
  for (const std::string *tag : {&read.tag, &read.plainTag}) {
    if (tag->empty())
      return;
    const std::string key = normalTag(*tag);
    if (std::none_of(
            languages.begin(), languages.end(),
            [&](const std::string &known) { return normalTag(known) == key; }))
      languages.push_back(*tag);
  }
}

#if !defined(_WIN32)
const char *variable(const char *name) {
  const char *value = std::getenv(name);
  return value && *value ? value : nullptr;
}
#endif

} // namespace

std::vector<std::string> preferredLanguages() {
  std::vector<std::string> languages;
#if defined(_WIN32)
  ULONG count = 0, size = 0;
  if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, nullptr, &size) ||
      size == 0)
    return languages;
  std::wstring list(size, L'\0');
  if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, list.data(),
                                   &size))
    return languages;
  // "fr-FR\0en-US\0\0": the names are ASCII.
  for (std::size_t at = 0; at < list.size() && list[at] != L'\0';) {
    std::size_t end = list.find(L'\0', at);
    if (end == std::wstring::npos)
      end = list.size();
    std::string name;
    for (std::size_t i = at; i < end; ++i)
      name += list[i] < 0x80 ? static_cast<char>(list[i]) : '?';
    addLanguage(languages, name);
    at = end + 1;
  }
#else
  const char *locale = variable("LC_ALL");
  if (!locale)
    locale = variable("LC_MESSAGES");
  if (!locale)
    locale = variable("LANG");
  // The C locale is the program's own text, whatever LANGUAGE says.
  if (!locale || choosesNoLanguage(locale))
    return languages;
  if (const char *list = variable("LANGUAGE")) {
    std::string_view rest(list);
    while (!rest.empty()) {
      const std::size_t colon = rest.find(':');
      addLanguage(languages, rest.substr(0, colon));
      rest = colon == std::string_view::npos ? std::string_view()
                                             : rest.substr(colon + 1);
    }
  }
  if (languages.empty())
    addLanguage(languages, locale);
#endif
  return languages;
}

Expected<std::filesystem::path> executableDirectory() {
  std::filesystem::path exe;
#if defined(_WIN32)
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(),
                                       static_cast<DWORD>(buffer.size()));
    if (n == 0)
      break;
    if (n < buffer.size()) {
      buffer.resize(n);
      exe = buffer;
      break;
    }
    buffer.resize(buffer.size() * 2); // cut short: try a larger buffer
  }
#elif defined(__APPLE__)
  std::uint32_t size = 0;
  _NSGetExecutablePath(nullptr, &size);
  std::string buffer(size, '\0');
  if (_NSGetExecutablePath(buffer.data(), &size) == 0) {
    std::error_code ec;
    exe = std::filesystem::canonical(buffer.c_str(), ec);
  }
#elif defined(__FreeBSD__)
  int mib[] = {CTL_KERN, KERN_PROC, KERN_PROC_PATHNAME, -1};
  std::size_t size = 0;
  if (sysctl(mib, 4, nullptr, &size, nullptr, 0) == 0) {
    std::string buffer(size, '\0');
    if (sysctl(mib, 4, buffer.data(), &size, nullptr, 0) == 0)
      exe = buffer.c_str();
  }
#else
  std::error_code ec;
  exe = std::filesystem::read_symlink("/proc/self/exe", ec);
#endif
  if (exe.empty() || !exe.has_parent_path())
    return Error(Errc::FileNotFound,
                 "the system does not say where this program's executable is");
  return exe.parent_path();
}

} // namespace phrasor
