#pragma once
// The yEnc data-line decoders behind DecodeYEncBytes: the scalar one, which
// defines the behaviour, and the vectorised ones this processor can run.
// Internal: tests and the fuzz target compare them; callers use
// DecodeYEncBytes.

#include <string_view>
#include <vector>

#include "content/yenc_lines.h"

namespace orvel::detail {

using YEncLineDecoder = YEncLineResult (*)(std::string_view line, char* out);

struct NamedYEncDecoder {
  const char* name;
  YEncLineDecoder decode;
};

// Byte at a time with an eight-byte fast path; writes only the bytes it
// counts.
YEncLineResult DecodeYEncScalar(std::string_view line, char* out);

// Every decoder the running processor supports, the scalar one first and the
// fastest last.
std::vector<NamedYEncDecoder> YEncDecoders();

}  // namespace orvel::detail
