//===- main.cpp - A program built against an installed PhrasorRuntime -----===//
//
//   phrasor_consumer DATABASE.skdb
//
// Expects the entries GREETING ("Hello, %1!s!!") and COINS#one / COINS#other
// ("%1!d! coin" / "%1!d! coins"), with @locale "en". The build writes
// consumer/msg.h from en.csv, so the IDs and their arguments are checked
// when this file compiles; the string call at the end shows the run-time
// check a string ID still gets.
//
//===----------------------------------------------------------------------===//

#include "consumer/msg.h"
#include "phrasor/Phrasor.h"

#include <cstdio>

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DATABASE.skdb\n", argv[0]);
    return 2;
  }
  phrasor::Expected<phrasor::Catalog> catalog = phrasor::Catalog::open(argv[1]);
  if (!catalog) {
    std::fprintf(stderr, "error: %s\n", catalog.error().message().c_str());
    return 1;
  }
  auto greeting = catalog->format(msg::GREETING, "consumer");
  auto one = catalog->plural(msg::COINS, 1, 1);
  auto many = catalog->plural(msg::COINS, 5, 5);
  auto wrong = catalog->format("GREETING", 42);
  if (!greeting || !one || !many || wrong) {
    std::fprintf(stderr, "error: unexpected results\n");
    return 1;
  }
  std::printf("%s\n%s\n%s\nrefused: %s\n", phrasor::toUtf8(*greeting).c_str(),
              phrasor::toUtf8(*one).c_str(), phrasor::toUtf8(*many).c_str(),
              wrong.error().message().c_str());
  return 0;
}
