//===- main.cpp - A program built against an installed PhrasorRuntime -----===//
//
//   phrasor_consumer [DATABASE.skdb]
//
// Expects the entries GREETING ("Hello, %1!s!!") and COINS#one / COINS#other
// ("%1!d! coin" / "%1!d! coins"), with @locale "en". The build writes
// consumer/msg.h from en.csv, so the IDs and their arguments are checked
// when this file compiles; the string call at the end shows the run-time
// check a string ID still gets. Without an argument it speaks the user's
// language, from the databases the build put beside it.
//
//===----------------------------------------------------------------------===//

#include "consumer/msg.h"
#include "phrasor/Phrasor.h"

#include <cstdio>

namespace {

template <class Texts> int Show(const Texts &texts) {
  auto greeting = texts.format(msg::GREETING, "consumer");
  auto one = texts.plural(msg::COINS, 1, 1);
  auto many = texts.plural(msg::COINS, 5, 5);
  auto wrong = texts.format("GREETING", 42);
  if (!greeting || !one || !many || wrong) {
    std::fprintf(stderr, "error: unexpected results\n");
    return 1;
  }
  std::printf("%s\n%s\n%s\nrefused: %s\n", phrasor::toUtf8(*greeting).c_str(),
              phrasor::toUtf8(*one).c_str(), phrasor::toUtf8(*many).c_str(),
              wrong.error().message().c_str());
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  if (argc > 2) {
    std::fprintf(stderr, "usage: %s [DATABASE.skdb]\n", argv[0]);
    return 2;
  }
  if (argc == 2) {
    phrasor::Expected<phrasor::Catalog> catalog =
        phrasor::Catalog::open(argv[1]);
    if (!catalog) {
      std::fprintf(stderr, "error: %s\n", catalog.error().message().c_str());
      return 1;
    }
    return Show(*catalog);
  }
  phrasor::Expected<std::filesystem::path> here =
      phrasor::executableDirectory();
  if (!here) {
    std::fprintf(stderr, "error: %s\n", here.error().message().c_str());
    return 1;
  }
  phrasor::Expected<phrasor::Localizer> texts =
      phrasor::Localizer::loadPreferred(*here, phrasor::preferredLanguages());
  if (!texts) {
    std::fprintf(stderr, "error: %s\n", texts.error().message().c_str());
    return 1;
  }
  return Show(*texts);
}
