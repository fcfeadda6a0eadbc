#include "content/mime_types.h"

#include <cstdlib>
#include <fstream>

#include "core/text.h"

namespace orvel {

namespace {

std::vector<std::string> words(std::string_view line) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) out.emplace_back(line.substr(start, i - start));
  }
  return out;
}

std::vector<std::string> dataDirs() {
  std::vector<std::string> dirs;
  if (const char* home = std::getenv("XDG_DATA_HOME"); home && *home) {
    dirs.emplace_back(home);
  } else if (const char* user = std::getenv("HOME"); user && *user) {
    dirs.push_back(std::string(user) + "/.local/share");
  }
  const char* system = std::getenv("XDG_DATA_DIRS");
  for (const std::string& dir :
       splitChar(system && *system ? system : "/usr/local/share:/usr/share", ':')) {
    if (!dir.empty()) dirs.push_back(dir);
  }
  return dirs;
}

}  // namespace

void FileMimeTypes::add(std::string_view contentType, std::string_view extension) {
  if (contentType.empty() || extension.empty()) return;
  const std::string type = lowerAscii(contentType);
  const std::string ext = lowerAscii(extension);
  extensionOfType_.try_emplace(type, "." + ext);
  typeOfExtension_.try_emplace(ext, type);
}

void FileMimeTypes::loadMimeTypes(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> parts = words(line);
    for (std::size_t i = 1; i < parts.size(); ++i) add(parts[0], parts[i]);
  }
}

void FileMimeTypes::loadGlobs2(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> fields = splitChar(line, ':');
    if (fields.size() < 3) continue;
    const std::string& glob = fields[2];
    // Only plain "*.ext" globs name an extension.
    if (glob.size() < 3 || glob.compare(0, 2, "*.") != 0) continue;
    if (glob.find_first_of("*?[", 2) != std::string::npos) continue;
    add(fields[1], std::string_view(glob).substr(2));
  }
}

std::string FileMimeTypes::extensionForType(std::string_view contentType) const {
  const auto it = extensionOfType_.find(lowerAscii(trimView(contentType)));
  return it == extensionOfType_.end() ? std::string() : it->second;
}

std::string FileMimeTypes::typeForFileName(std::string_view fileName) const {
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return {};
  const auto it = typeOfExtension_.find(lowerAscii(fileName.substr(dot + 1)));
  return it == typeOfExtension_.end() ? std::string() : it->second;
}

std::unique_ptr<FileMimeTypes> SystemMimeTypes() {
  auto lookup = std::make_unique<FileMimeTypes>();
  lookup->loadMimeTypes("/etc/mime.types");
  for (const std::string& dir : dataDirs()) lookup->loadGlobs2(dir + "/mime/globs2");
  return lookup;
}

std::string ContentTypeExtension(const MimeTypeLookup* lookup, std::string_view contentType) {
  return lookup ? lookup->extensionForType(contentType) : std::string();
}

}  // namespace orvel
