#include "content/file_names.h"

#include <sys/stat.h>

#include "core/text.h"

namespace orvel {

namespace {

bool pathExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// Length of the extension (from the last "."), 0 when there is none or the
// only "." starts the name.
std::size_t extensionLength(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return 0;
  return name.size() - dot;
}

// Largest cut <= limit that does not split a UTF-8 sequence.
std::size_t utf8Cut(std::string_view text, std::size_t limit) {
  std::size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return cut;
}

}  // namespace

std::string CleanFileName(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    switch (c) {
      case '"': case '*': case '/': case ':': case '<':
      case '>': case '?': case '\\': case '|':
        c = '-';
        break;
      default:
        break;
    }
  }
  return out;
}

std::string UniqueFileName(std::string_view path) {
  std::string candidate(path);
  if (!pathExists(candidate)) return candidate;
  const std::size_t slash = path.rfind('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t extLength = extensionLength(name);
  const std::string_view base = path.substr(0, path.size() - extLength);
  const std::string_view extension = path.substr(path.size() - extLength);
  for (unsigned n = 0;; ++n) {
    candidate = std::string(base) + "_" + std::to_string(n) + std::string(extension);
    if (!pathExists(candidate)) return candidate;
  }
}

bool ExtensionInList(std::string_view name, std::string_view list) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string extension = upperAscii(name.substr(dot));
  return upperAscii(list).find(extension) != std::string::npos;
}

std::string SafeOutputName(std::string_view name) {
  const std::size_t slash = name.find_last_of("/\\");
  if (slash != std::string_view::npos) name = name.substr(slash + 1);
  std::string out(trimView(name));
  for (char& c : out) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 32 || u == 127) c = '-';
  }
  if (out == "." || out == "..") return {};
  if (out.size() > kMaxDecodedNameBytes) {
    std::size_t extLength = extensionLength(out);
    if (extLength > 16) extLength = 0;
    const std::string extension = out.substr(out.size() - extLength);
    out = out.substr(0, utf8Cut(out, kMaxDecodedNameBytes - extLength)) + extension;
  }
  return out;
}

std::string WithTrailingSlash(std::string_view directory) {
  std::string out(directory);
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  if (!out.empty() && out.back() != '/') out += '/';
  return out;
}

}  // namespace orvel
