#include "content/resume_record.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "core/atomic_file.h"
#include "core/text.h"

namespace orvel {

namespace {

constexpr int kMimeVersionBit = 1;
constexpr int kAttachmentBit = 2;
constexpr int kPartialBit = 4;
constexpr std::size_t kMaxRecordBytes = 1 << 20;

// Values are single lines: a CR or LF inside one would start another key.
std::string oneLine(std::string_view value) {
  std::string out(value);
  for (char& c : out) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return out;
}

}  // namespace

std::string FormatResumeRecord(const DecoderState& s) {
  const int flags = (s.mimeVersion ? kMimeVersionBit : 0) | (s.attachment ? kAttachmentBit : 0) |
                    (s.partial ? kPartialBit : 0);
  std::ostringstream out;
  out << "[Resume]\n"
      << "Dat=" << oneLine(s.directory) << "\n"
      << "File=" << oneLine(s.fileName) << "\n"
      << "Requested=" << oneLine(s.requestedName) << "\n"
      << "LastSize=" << s.bytesWritten << "\n"
      << "Part=" << s.partNumber << "\n"
      << "Total=" << s.total << "\n"
      << "YSize=" << s.yencSize << "\n"
      << "Encoding=" << static_cast<int>(s.encoding) << "\n"
      << "MIME=" << flags << "\n"
      << "UULen=" << s.uuPreviousBytes << "\n"
      << "ContentType=" << oneLine(s.contentType) << "\n"
      << "ContentClass=" << static_cast<int>(s.contentClass) << "\n"
      << "PartCounter=" << s.partCounter << "\n"
      << "BoundaryCount=" << s.boundaries.size() << "\n";
  for (std::size_t i = 0; i < s.boundaries.size(); ++i) {
    out << "Boundary" << i + 1 << "=" << oneLine(s.boundaries[i]) << "\n";
  }
  return out.str();
}

std::optional<DecoderState> ParseResumeRecord(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> entries;
  for (const std::string& raw : splitChar(text, '\n')) {
    std::string_view line = raw;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    entries.emplace_back(trim(line.substr(0, eq)), std::string(line.substr(eq + 1)));
  }
  auto get = [&](std::string_view key) -> std::optional<std::string> {
    for (const auto& [name, value] : entries) {
      if (equalsNoCase(name, key)) return value;
    }
    return std::nullopt;
  };
  auto number = [&](std::string_view key, std::int64_t fallback) {
    const auto value = get(key);
    const auto parsed = value ? parseDecimal(trimView(*value)) : std::nullopt;
    return parsed ? *parsed : fallback;
  };
  const auto file = get("File");
  const std::int64_t size = number("LastSize", -1);
  if (!file || file->empty() || size < 0) return std::nullopt;

  DecoderState s;
  s.directory = get("Dat").value_or("");
  s.fileName = *file;
  s.requestedName = get("Requested").value_or(*file);
  s.bytesWritten = size;
  s.partNumber = number("Part", 0);
  s.total = number("Total", 0);
  s.yencSize = number("YSize", 0);
  const std::int64_t encoding = number("Encoding", 0);
  s.encoding = encoding >= 0 && encoding <= 4 ? static_cast<TransferEncoding>(encoding)
                                              : TransferEncoding::None;
  const std::int64_t flags = number("MIME", 0);
  s.mimeVersion = (flags & kMimeVersionBit) != 0;
  s.attachment = (flags & kAttachmentBit) != 0;
  s.partial = (flags & kPartialBit) != 0;
  s.uuPreviousBytes = static_cast<int>(std::clamp<std::int64_t>(number("UULen", -1), -1, 60));
  s.contentType = get("ContentType").value_or("application/unknown");
  const std::int64_t contentClass = number("ContentClass", 4);
  s.contentClass = contentClass >= 0 && contentClass <= 4
                       ? static_cast<ContentClass>(contentClass)
                       : ContentClass::Other;
  s.partCounter = static_cast<int>(std::clamp<std::int64_t>(number("PartCounter", 0), 0, 1 << 20));
  const std::int64_t boundaries =
      std::clamp<std::int64_t>(number("BoundaryCount", 0), 0, kMaxBoundaryDepth);
  for (std::int64_t i = 1; i <= boundaries; ++i) {
    if (auto b = get("Boundary" + std::to_string(i))) s.boundaries.push_back(*b);
  }
  return s;
}

std::optional<DecoderState> FileResumeStore::load() {
  std::ifstream in(path_, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text(kMaxRecordBytes, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  return ParseResumeRecord(text);
}

void FileResumeStore::save(const DecoderState& state) {
  std::string error;
  if (!SaveFileAtomically(path_, FormatResumeRecord(state), &error)) throw EDecodeOutput(error);
}

void FileResumeStore::clear() { std::remove(path_.c_str()); }

std::string BrokenPartName(std::string_view name, std::int64_t part) {
  return std::string(name) + (part > 0 ? "__error_part_" + std::to_string(part) : "__error");
}

}  // namespace orvel
