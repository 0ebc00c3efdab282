//===- Help.cpp - phrasor help, and the end of every --help ---------------===//

#include "tools/phrasor/Help.h"

#include "tools/phrasor/Diagnostics.h"
#include "tools/phrasor/files/FileIo.h"

#include <iostream>
#include <memory>

namespace phrasor::tool {

void AddFooter(CLI::App *command, const std::string &example,
               const std::string &exitCodes) {
  std::string text = "Example:\n";
  std::size_t begin = 0;
  while (begin < example.size()) {
    std::size_t end = example.find('\n', begin);
    if (end == std::string::npos)
      end = example.size();
    text += "  " + example.substr(begin, end - begin) + "\n";
    begin = end + 1;
  }
  command->footer(text + "\nExit codes: " + exitCodes + "\n");
}

void AddHelp(CLI::App &app, std::function<int()> &run) {
  CLI::App *h = app.add_subcommand(
      "help", "Print the help of the tool, or of one command");
  auto name = std::make_shared<std::string>();
  h->add_option("command", *name, "The command to explain");
  AddFooter(h, "phrasor help build",
            "0 success, 2 a command the tool does not have");
  h->callback([&app, &run, name] {
    run = [&app, name] {
      if (name->empty()) {
        WriteStdout(app.get_formatter()->make_help(&app, app.get_name(),
                                                   CLI::AppFormatMode::Normal));
        return static_cast<int>(kExitOk);
      }
      std::string known;
      for (const CLI::App *command : app.get_subcommands({})) {
        if (command->get_name() == *name) {
          WriteStdout(command->help(app.get_name()));
          return static_cast<int>(kExitOk);
        }
        known += (known.empty() ? "" : ", ") + command->get_name();
      }
      std::cerr << "error: unknown command '" << *name
                << "' (commands: " << known << ")\n";
      return static_cast<int>(kExitUsage);
    };
  });
}

} // namespace phrasor::tool
