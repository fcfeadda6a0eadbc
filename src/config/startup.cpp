#include "config/startup.h"

#include <sys/stat.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>

#include "config/news_url.h"
#include "core/date_format.h"
#include "core/text.h"

namespace orvel {

namespace {

bool isDirectory(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_directory(path, ec);
}

std::string withSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

// A single directory creation, not recursive; failures show later, when a
// file in it cannot be written.
void makeDirectory(const std::string& path) { ::mkdir(path.c_str(), 0755); }

void loadBag(TBag& bag, const std::string& file, const char* section, bool isKeys,
             const ShortcutCodec& codec) {
  bag.setFileName(file);
  bag.setSection(section);
  if (isKeys) bag.setShortcutCodec(codec);
  bag.LoadFromIni(isKeys);
}

}  // namespace

std::string AppState::absolutePath(const std::string& name) const {
  if (!name.empty() && name.front() == '/') return name;
  return baseDir + name;
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine cl;
  for (const auto& arg : arguments) {
    if (startsWithNoCase(arg, "/d:")) {
      cl.baseDir = arg.substr(3);
    } else if (std::optional<std::string> url = UrlArgument(arg)) {
      cl.url = *url;
    } else if (equalsNoCase(arg, "/m")) {
      cl.allowSecondInstance = true;
    } else if (!arg.empty() && arg.front() != '/') {
      cl.profile = arg;
    }
  }
  return cl;
}

std::string DefaultBaseDir() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg == '/') return withSlash(xdg) + "Orvel/";
  const char* home = std::getenv("HOME");
  return withSlash(home && *home ? home : ".") + ".local/share/Orvel/";
}

std::string ResolveBaseDir(const std::string& given, const std::string& defaultDir) {
  // Absolute, so paths stored relative to it (newsrc, CA files) resolve alike
  // wherever the program is started from.
  std::error_code ec;
  if (isDirectory(given)) return withSlash(std::filesystem::absolute(given, ec).lexically_normal());
  std::filesystem::create_directories(defaultDir, ec);
  return withSlash(std::filesystem::absolute(defaultDir, ec).lexically_normal());
}

void RunCommonStartup(AppState& state, const CommandLine& commandLine,
                      const StartupOptions& options) {
  state.profileArgument = commandLine.profile;
  state.startupUrl = commandLine.url;
  state.allowSecondInstance = commandLine.allowSecondInstance;

  state.baseDir = ResolveBaseDir(commandLine.baseDir, options.defaultBaseDir);
  state.dataDir = state.baseDir + "data/";
  state.foldersDir = state.baseDir + "folders/";
  state.tempDir = state.baseDir + "temp/";
  makeDirectory(state.dataDir);
  makeDirectory(state.foldersDir);
  makeDirectory(state.tempDir);

  const std::string ini = state.iniPath();
  const std::string keys = state.keysPath();
  SettingsBags& b = state.bags;
  const ShortcutCodec& codec = options.shortcutCodec;
  loadBag(b.display, ini, "Display", false, codec);
  loadBag(b.misc, ini, "Misc", false, codec);
  loadBag(b.groupKeys, keys, "Group", true, codec);
  loadBag(b.editKeys, keys, "Edit", true, codec);
  loadBag(b.mainKeys, keys, "Main", true, codec);
  loadBag(b.articleKeys, keys, "Article", true, codec);
  loadBag(b.metrics, ini, "Metrics", false, codec);

  state.separatorRegex.Compile(kSeparatorPattern);

  if (options.useLocaleDateFormats) {
    std::setlocale(LC_TIME, "");
    state.dateFormats = dateFormatsFromLocale();
  }
}

}  // namespace orvel
