#include "posting/external_edit.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/atomic_file.h"
#include "core/text.h"

namespace orvel {

namespace {

// A name taken by earlier edits gets "_2", "_3"...; past this many the
// directory is full of them and the edit is refused.
constexpr int kMaxNameTries = 1000;

// The byte length of the valid UTF-8 character at text[i], 0 when invalid.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
  const auto c = static_cast<unsigned char>(text[i]);
  const std::size_t length = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2
                           : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (length == 0 || i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
  }
  return length;
}

// The first characters of the caption; control characters, bytes that are
// not UTF-8 and the characters file systems refuse become "_".
std::string SafeFileName(std::string_view caption) {
  std::string out;
  std::size_t characters = 0;
  for (std::size_t i = 0; i < caption.size() && characters < kEditFileCaptionLength;
       ++characters) {
    const std::size_t length = Utf8Length(caption, i);
    const char c = caption[i];
    const bool refused = length == 0 || static_cast<unsigned char>(c) < 0x20 || c == 0x7F ||
                         std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
    if (refused) {
      out += '_';
      i += length == 0 ? 1 : length;
    } else {
      out.append(caption.substr(i, length));
      i += length;
    }
  }
  return out;
}

std::string WithLf(std::string_view body) {
  std::string out;
  out.reserve(body.size());
  for (std::size_t i = 0; i < body.size(); ++i) {
    if (body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n') continue;
    out += body[i];
  }
  return out;
}

// Every line end (LF, CR LF or a lone CR) as CR LF.
std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

bool EndsLine(std::string_view text) {
  return !text.empty() && (text.back() == '\n' || text.back() == '\r');
}

// Creates the file, failing when it exists (O_EXCL also refuses a symbolic
// link planted under the name in a shared temporary directory).
bool WriteNewFile(const std::string& path, std::string_view data, int& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
  if (fd < 0) {
    error = errno;
    return false;
  }
  error = 0;
  while (error == 0 && !data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n >= 0) {
      data.remove_prefix(static_cast<std::size_t>(n));
    } else if (errno != EINTR) {
      error = errno;
    }
  }
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) ::unlink(path.c_str());
  return error == 0;
}

}  // namespace

ExternalEdit::~ExternalEdit() { Finish(); }

bool ExternalEdit::Start(const std::string& tempDir, std::string_view caption,
                         std::string_view body, std::string& error) {
  Finish();
  std::string base = tempDir;
  if (!base.empty() && base.back() != '/') base += '/';
  base += "__edit_" + SafeFileName(caption);
  const std::string bytes = WithLf(body);
  for (int n = 1; n <= kMaxNameTries; ++n) {
    const std::string path = n == 1 ? base : base + "_" + std::to_string(n);
    int code = 0;
    if (WriteNewFile(path, bytes, code)) {
      path_ = path;
      lastBytes_ = bytes;
      bodyEndsLine_ = EndsLine(body);
      return true;
    }
    if (code != EEXIST) {
      error = path + ": " + std::strerror(code);
      return false;
    }
  }
  error = base + ": " + std::strerror(EEXIST);
  return false;
}

const std::string& ExternalEdit::Path() const { return path_; }

std::vector<std::string> ExternalEdit::Command(std::string_view editorSetting) const {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  char quote = 0;
  for (std::size_t i = 0; i < editorSetting.size(); ++i) {
    const char c = editorSetting[i];
    if (quote == '\'') {
      if (c == '\'') quote = 0; else word += c;
    } else if (quote == '"') {
      if (c == '"') {
        quote = 0;
      } else if (c == '\\' && i + 1 < editorSetting.size() &&
                 std::string_view("\"\\$`").find(editorSetting[i + 1]) != std::string_view::npos) {
        word += editorSetting[++i];
      } else {
        word += c;
      }
    } else if (c == ' ' || c == '\t') {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
    } else {
      inWord = true;
      if (c == '\'' || c == '"') {
        quote = c;
      } else if (c == '\\' && i + 1 < editorSetting.size()) {
        word += editorSetting[++i];
      } else {
        word += c;
      }
    }
  }
  if (inWord) words.push_back(std::move(word));
  if (words.empty()) return words;
  words.push_back(path_);
  return words;
}

ExternalEdit::ReadBack ExternalEdit::Check(std::string& text) {
  if (path_.empty()) return ReadBack::Unchanged;
  struct stat st {};
  if (::stat(path_.c_str(), &st) != 0 && errno == ENOENT) return ReadBack::Vanished;
  std::string bytes;
  if (!ReadWholeFile(path_, bytes)) return ReadBack::Unreadable;
  if (bytes == lastBytes_) return ReadBack::Unchanged;
  lastBytes_ = bytes;
  text = WithCrLf(bytes);
  if (!bodyEndsLine_ && EndsLine(text)) text.resize(text.size() - 2);
  return ReadBack::Changed;
}

void ExternalEdit::Finish() {
  if (!path_.empty()) ::unlink(path_.c_str());
  Abandon();
}

void ExternalEdit::Abandon() {
  path_.clear();
  lastBytes_.clear();
}

std::string ReadBackProblemText(ExternalEdit::ReadBack result, std::string_view path) {
  switch (result) {
    case ExternalEdit::ReadBack::Vanished:
      return "Fichier de l'éditeur externe disparu, texte inchangé : " + std::string(path);
    case ExternalEdit::ReadBack::Unreadable:
      return "Fichier de l'éditeur externe illisible, texte inchangé : " + std::string(path);
    case ExternalEdit::ReadBack::Unchanged:
    case ExternalEdit::ReadBack::Changed:
      break;
  }
  return {};
}

std::string EditorFailureText(EditorFailure failure, int exitCode, std::string_view path) {
  switch (failure) {
    case EditorFailure::NotStarted:
      return "Impossible de lancer l'éditeur externe, texte inchangé.";
    case EditorFailure::Crashed:
      return "L'éditeur externe s'est arrêté brutalement, texte inchangé. Son fichier reste : " +
             std::string(path);
    case EditorFailure::ExitError:
      return format("L'éditeur externe a échoué (code %d), texte inchangé. Son fichier reste : ",
                    exitCode) +
             std::string(path);
  }
  return {};
}

}  // namespace orvel
