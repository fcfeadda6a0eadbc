// orvel-fixture-server: the fixture news server for tests and ./run --demo.

#include <csignal>
#include <iostream>

#include "corpus_dir.h"
#include "options.h"
#include "server.h"

namespace {

orvel::fixture::Server* g_server = nullptr;

void onSignal(int) {
  if (g_server) g_server->stop();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace orvel::fixture;
  auto parsed = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (auto* error = std::get_if<std::string>(&parsed)) {
    std::cerr << "orvel-fixture-server: " << *error << "\nTry --help.\n";
    return 2;
  }
  const Options& options = std::get<Options>(parsed);
  if (options.help) {
    std::cout << helpText();
    return 0;
  }
  try {
    Server server(options.config);
    configureServer(server, options);
    if (options.verbose) server.setLog(&std::cerr);
    int port = server.listen(options.bind, options.port);
    g_server = &server;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGPIPE, SIG_IGN);
    std::cout << "PORT " << port << std::endl;
    server.run();
    g_server = nullptr;
  } catch (const std::exception& e) {
    std::cerr << "orvel-fixture-server: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
