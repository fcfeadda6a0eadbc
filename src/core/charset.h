#pragma once
// Bytes to UTF-8 text. Articles are stored exactly as received; what reaches
// the screen is UTF-8: converted from the declared charset, else kept when it
// is valid UTF-8, else read as Windows-1252.

#include <string>
#include <string_view>

namespace orvel {

bool IsValidUtf8(std::string_view bytes);

// Windows-1252 (and so ISO-8859-1, its subset for printable text) to UTF-8.
std::string Windows1252ToUtf8(std::string_view bytes);

// Converts bytes declared in charset (any name iconv knows, case-insensitive)
// to UTF-8. An empty or unknown charset, or bytes that do not fit it, fall back
// to the display rule: valid UTF-8 is kept, anything else is Windows-1252.
std::string ConvertToUtf8(std::string_view bytes, std::string_view charset);

}  // namespace orvel
