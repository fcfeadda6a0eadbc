// TMime over arbitrary articles in every output mode. The first byte picks
// the output mode, the text source and the block size server data arrives
// in; the rest is split into articles at form feeds, fed to one parser in
// turn (so multi-part continuation is exercised too). Mode 1 writes into a
// scratch directory that is emptied after each input.

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "content/mime.h"

namespace {

// The directory attachments are written to, removed when the run ends.
struct ScratchDir {
  std::string path = (std::filesystem::temp_directory_path() / "orvel-fuzz-XXXXXX").string();
  ScratchDir() {
    if (::mkdtemp(path.data()) == nullptr) std::abort();
  }
  ~ScratchDir() { std::filesystem::remove_all(path); }
};

const std::string& scratchDir() {
  static const ScratchDir dir;
  return dir.path;
}

void feed(orvel::TMime& mime, std::string_view article, orvel::LineSource source,
          std::size_t block) {
  mime.ResetArticle();
  std::string buffer;
  std::string line;
  std::string raw;
  bool last = false;
  std::size_t offset = 0;
  while (!last) {
    if (source == orvel::LineSource::ServerData) {
      if (offset >= article.size()) {
        buffer += ".\r\n";
      } else {
        buffer.append(article.substr(offset, block));
        offset += block;
      }
    } else {
      buffer.assign(article);
    }
    std::size_t pos = 0;
    for (;;) {
      const orvel::LineClass c =
          mime.ParseLine(buffer, pos, line, &raw, source, orvel::ParseDepth::Full, last);
      if (c == orvel::LineClass::Incomplete || last) break;
      std::string text;
      mime.TakeDecodedText(text);
    }
    buffer.erase(0, pos);
  }
  mime.VisibleHeaderText();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t control = data[0];
  const auto mode = static_cast<orvel::OutputMode>(control & 3);
  const auto source = (control & 4) ? orvel::LineSource::ServerData : orvel::LineSource::Text;
  const std::size_t block = 1 + (control >> 3);
  const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);

  orvel::TMime mime(true);
  mime.setOutputMode(mode);
  mime.setOutputDirectory(scratchDir());
  try {
    std::size_t start = 0;
    while (start <= input.size()) {
      const std::size_t end = std::min(input.find('\f', start), input.size());
      feed(mime, input.substr(start, end - start), source, block);
      start = end + 1;
    }
    mime.DropOutput();
  } catch (const orvel::EDecodeOutput&) {
    // Names the file system refuses are reported, not fatal.
  }
  for (const auto& entry : std::filesystem::directory_iterator(scratchDir())) {
    if (entry.path().parent_path() != scratchDir()) std::abort();  // never outside
    std::filesystem::remove_all(entry.path());
  }
  return 0;
}
