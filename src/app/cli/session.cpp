#include "app/cli/session.h"

#include <algorithm>
#include <filesystem>

#include "config/main_loader.h"
#include "config/startup.h"

namespace orvel::cli {

std::unique_ptr<Session> OpenSession(const CliContext& context) {
  auto session = std::make_unique<Session>();
  CommandLine commandLine = ParseCommandLine({});
  commandLine.baseDir = context.baseArgument;
  const bool dashBase = std::find(context.rawArguments.begin(), context.rawArguments.end(),
                                  "--base") != context.rawArguments.end();
  if (dashBase && !commandLine.baseDir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(commandLine.baseDir, ec);
  }
  RunCommonStartup(session->app, commandLine);
  RunMainLoadingSteps(session->app, session->main);
  return session;
}

}  // namespace orvel::cli
