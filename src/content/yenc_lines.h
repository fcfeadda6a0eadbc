#pragma once
// yEnc lines: the data-line decoder and the readers of the "=ybegin",
// "=ypart" and "=yend" keyword lines. Pure functions; the MIME parser applies
// them while it walks an article.
//
// DecodeYEncBytes runs the fastest decoder the processor supports (see
// yenc_decoders.h); all of them give the same bytes and results.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvel {

struct YEncLineResult {
  std::size_t size = 0;  // bytes written
  bool ok = true;        // false when the line ends with a lone "="
};

// Decodes one data line (without its line end) into out, which has room for
// line.size() bytes (any of which may be overwritten): "=" takes the next character minus 64, then every byte
// is lowered by 42 (modulo 256). A NUL ends the line. On failure the bytes
// before the failing "=" are still written and counted.
YEncLineResult DecodeYEncBytes(std::string_view line, char* out);

// The words of a "=ybegin " line. Numbers that are absent stay nullopt;
// a number that does not fit 63 bits is taken as absent.
struct YBeginLine {
  std::optional<std::int64_t> part;
  std::optional<std::int64_t> total;
  std::optional<std::int64_t> size;
  std::optional<std::string> name;  // the rest of the line after "name="
};
// Reads the words after "=ybegin " (line must start with it).
YBeginLine ReadYBegin(std::string_view line);

// The "begin=" and "end=" values of a "=ypart " line.
struct YPartLine {
  std::optional<std::int64_t> begin;
  std::optional<std::int64_t> end;
};
YPartLine ReadYPart(std::string_view line);

// The hexadecimal word after key (" crc32=" or " pcrc32=", case-sensitive,
// anywhere in the line); nullopt when the key or the digits are absent.
std::optional<std::uint32_t> ReadYEndCrc(std::string_view line, std::string_view key);

}  // namespace orvel
