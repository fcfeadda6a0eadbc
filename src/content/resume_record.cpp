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
// A record file is read this far (a record of a yEnc file of the most
// parts takes about 3 MB).
constexpr std::size_t kMaxRecordBytes = 4 << 20;

// Values are single lines: a CR or LF inside one would start another key.
std::string oneLine(std::string_view value) {
  std::string out(value);
  for (char& c : out) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return out;
}

std::string hex32(std::uint32_t value) { return format("%08x", value); }

std::optional<std::uint32_t> readHex32(std::string_view text) {
  if (text.empty() || text.size() > 8) return std::nullopt;
  const auto value = parseNumber("0x" + std::string(text));
  if (!value || *value < 0) return std::nullopt;
  return static_cast<std::uint32_t>(*value);
}

// "first[-last]:begin-end:crc", the CRC "-" when unknown and followed by
// "!" when the part failed its check.
std::string formatPiece(const YEncPiece& p) {
  std::string out = std::to_string(p.firstPart);
  if (p.lastPart != p.firstPart) out += "-" + std::to_string(p.lastPart);
  out += ":" + std::to_string(p.begin) + "-" + std::to_string(p.end) + ":";
  out += p.crc ? hex32(*p.crc) : "-";
  if (!p.crcOk) out += "!";
  return out;
}

std::optional<std::pair<std::int64_t, std::int64_t>> readRange(std::string_view text) {
  const std::size_t dash = text.find('-');
  const auto a = parseDecimal(text.substr(0, dash));
  if (!a) return std::nullopt;
  if (dash == std::string_view::npos) return std::pair{*a, *a};
  const auto b = parseDecimal(text.substr(dash + 1));
  if (!b) return std::nullopt;
  return std::pair{*a, *b};
}

std::optional<YEncPiece> readPiece(std::string_view text) {
  const std::size_t c1 = text.find(':');
  const std::size_t c2 = c1 == std::string_view::npos ? c1 : text.find(':', c1 + 1);
  if (c2 == std::string_view::npos) return std::nullopt;
  const auto parts = readRange(text.substr(0, c1));
  const auto bytes = readRange(text.substr(c1 + 1, c2 - c1 - 1));
  if (!parts || !bytes) return std::nullopt;
  YEncPiece piece{parts->first, parts->second, bytes->first, bytes->second, std::nullopt, true};
  std::string_view crc = text.substr(c2 + 1);
  if (!crc.empty() && crc.back() == '!') {
    piece.crcOk = false;
    crc.remove_suffix(1);
  }
  if (crc != "-") {
    piece.crc = readHex32(crc);
    if (!piece.crc) return std::nullopt;
  }
  return piece;
}

void formatRecord(std::ostringstream& out, const DecoderState& s) {
  const int flags = (s.mimeVersion ? kMimeVersionBit : 0) | (s.attachment ? kAttachmentBit : 0) |
                    (s.partial ? kPartialBit : 0);
  out << "Dat=" << oneLine(s.directory) << "\n"
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
  if (!s.series.empty()) out << "Series=" << oneLine(s.series) << "\n";
  if (!s.parts) return;
  out << "YParts=";
  const char* separator = "";
  for (const auto& [first, piece] : s.parts->pieces()) {
    out << separator << formatPiece(piece);
    separator = ",";
  }
  out << "\n";
  if (s.parts->fileCrc()) out << "FileCrc=" << hex32(*s.parts->fileCrc()) << "\n";
}

using Entries = std::vector<std::pair<std::string, std::string>>;

// The parts of a yEnc record; a record of the older form is read as its
// first LastSize bytes holding parts 1 to Part - 1.
YEncAssembly readParts(const DecoderState& s, const std::optional<std::string>& list,
                       const std::optional<std::string>& fileCrc) {
  YEncAssembly parts(s.yencSize);
  parts.setTotal(s.total);
  if (!list) {
    parts.add({1, s.partNumber - 1, 0, s.bytesWritten, std::nullopt, true});
    return parts;
  }
  std::size_t count = 0;
  for (const std::string& item : splitChar(*list, ',')) {
    if (++count > static_cast<std::size_t>(kMaxYEncParts)) break;
    if (const auto piece = readPiece(trimView(item))) parts.add(*piece);
  }
  if (fileCrc) {
    if (const auto crc = readHex32(trimView(*fileCrc))) parts.setFileCrc(*crc);
  }
  return parts;
}

std::optional<DecoderState> parseRecord(const Entries& entries) {
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
  s.series = get("Series").value_or("");
  if (s.encoding == TransferEncoding::YEnc) {
    // A yEnc record names a file of a believable size, or it is of no use.
    if (s.yencSize <= 0 || s.yencSize > kMaxYEncFileSize) return std::nullopt;
    s.parts = readParts(s, get("YParts"), get("FileCrc"));
  }
  return s;
}

}  // namespace

std::string FormatResumeRecords(const std::vector<DecoderState>& records) {
  std::ostringstream out;
  for (const DecoderState& s : records) {
    out << "[Resume]\n";
    formatRecord(out, s);
  }
  return out.str();
}

std::vector<DecoderState> ParseResumeRecords(std::string_view text) {
  std::vector<Entries> sections(1);
  for (const std::string& raw : splitChar(text, '\n')) {
    std::string_view line = raw;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.starts_with("[")) {
      if (!sections.back().empty()) sections.emplace_back();
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    sections.back().emplace_back(trim(line.substr(0, eq)), std::string(line.substr(eq + 1)));
  }
  std::vector<DecoderState> records;
  for (const Entries& entries : sections) {
    if (auto record = parseRecord(entries)) records.push_back(std::move(*record));
  }
  return records;
}

std::vector<DecoderState> FileResumeStore::load() {
  std::ifstream in(path_, std::ios::binary);
  if (!in) return {};
  std::string text(kMaxRecordBytes, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  return ParseResumeRecords(text);
}

void FileResumeStore::save(const std::vector<DecoderState>& records) {
  if (records.empty()) {
    std::remove(path_.c_str());
    return;
  }
  std::string error;
  if (!SaveFileAtomically(path_, FormatResumeRecords(records), &error)) {
    throw EDecodeOutput(error);
  }
}

std::string BrokenPartName(std::string_view name, std::int64_t part) {
  return std::string(name) + (part > 0 ? "__error_part_" + std::to_string(part) : "__error");
}

}  // namespace orvel
