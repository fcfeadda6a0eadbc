#include "app/cli/cli.h"

#include <QCoreApplication>

#include <iostream>

#include "core/text.h"

namespace orvel::cli {

namespace {

void printHelp(std::ostream& out) {
  out << "usage: orvel-cli [--base DIR | /d:DIR] COMMAND [ARGUMENTS]\n\n"
         "Drives Orvel's logic without windows. The base directory holds every\n"
         "settings and state file (default: $XDG_DATA_HOME/Orvel/).\n\n"
         "commands:\n";
  for (const auto& c : commands()) {
    out << "  " << c.name;
    if (*c.usage) out << ' ' << c.usage;
    out << "\n      " << c.summary << '\n';
  }
  out << "\n  --help       this text\n  --version    the program's version\n";
}

}  // namespace

int run(int argc, char** argv) {
  // Network commands run on Qt's event loop.
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName("Orvel");

  std::vector<std::string> words(argv + 1, argv + argc);
  CliContext context{{}, {}, words, std::cout, std::cerr};
  std::size_t i = 0;
  for (; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (w == "--help" || w == "-h") {
      printHelp(std::cout);
      return 0;
    }
    if (w == "--version") {
      std::cout << "orvel-cli " << ORVEL_VERSION << '\n';
      return 0;
    }
    if (w == "--base") {
      if (i + 1 >= words.size()) {
        std::cerr << "orvel-cli: --base needs a directory\n";
        return 2;
      }
      context.baseArgument = words[++i];
    } else if (startsWithNoCase(w, "/d:")) {
      context.baseArgument = w.substr(3);
    } else {
      break;
    }
  }
  if (i >= words.size()) {
    printHelp(std::cerr);
    return 2;
  }
  const std::string name = words[i];
  context.args.assign(words.begin() + static_cast<std::ptrdiff_t>(i) + 1, words.end());
  for (const auto& c : commands()) {
    if (name == c.name) return c.run(context);
  }
  std::cerr << "orvel-cli: unknown command \"" << name << "\" (see --help)\n";
  return 2;
}

}  // namespace orvel::cli
