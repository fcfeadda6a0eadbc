#include "core/charset.h"

#include <iconv.h>

#include <cerrno>

#include "core/text.h"

namespace orvel {

namespace {

// Code points of bytes 0x80-0x9F in Windows-1252; the five undefined bytes
// map to the C1 controls of the same value, as browsers do.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string displayText(std::string_view bytes) {
  return IsValidUtf8(bytes) ? std::string(bytes) : Windows1252ToUtf8(bytes);
}

// Latin-1 labels are read as Windows-1252, its superset, as mail programs do.
bool isWindows1252(std::string_view charset) {
  return equalsNoCase(charset, "iso-8859-1") || equalsNoCase(charset, "iso8859-1") ||
         equalsNoCase(charset, "latin1") || equalsNoCase(charset, "windows-1252") ||
         equalsNoCase(charset, "cp1252");
}

// Labels under which 8-bit bytes can only be a mistake of the sender.
bool isUtf8OrAscii(std::string_view charset) {
  return charset.empty() || equalsNoCase(charset, "utf-8") || equalsNoCase(charset, "utf8") ||
         equalsNoCase(charset, "us-ascii") || equalsNoCase(charset, "ascii");
}

// iconv conversion; nothing when the charset is unknown or the bytes do not
// fit it, so the caller can fall back.
bool iconvToUtf8(std::string_view bytes, std::string_view charset, std::string& out) {
  const std::string from(charset);
  iconv_t cd = iconv_open("UTF-8", from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out.clear();
  out.reserve(bytes.size() * 2);
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char buffer[4096];
  bool ok = true;
  while (inLeft > 0) {
    char* dst = buffer;
    std::size_t dstLeft = sizeof buffer;
    const std::size_t rc = iconv(cd, &in, &inLeft, &dst, &dstLeft);
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
      ok = false;
      break;
    }
  }
  if (ok) {
    char* dst = buffer;
    std::size_t dstLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &dst, &dstLeft);
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
  }
  iconv_close(cd);
  return ok;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    std::size_t len;
    char32_t min;
    if ((p[i] & 0xE0) == 0xC0) {
      len = 2;
      min = 0x80;
    } else if ((p[i] & 0xF0) == 0xE0) {
      len = 3;
      min = 0x800;
    } else if ((p[i] & 0xF8) == 0xF0) {
      len = 4;
      min = 0x10000;
    } else {
      return false;
    }
    if (i + len > n) return false;
    char32_t cp = p[i] & (0x7F >> len);
    for (std::size_t k = 1; k < len; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += len;
  }
  return true;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 0x80) {
      out += ch;
    } else if (b < 0xA0) {
      appendUtf8(out, kCp1252High[b - 0x80]);
    } else {
      appendUtf8(out, b);
    }
  }
  return out;
}

std::string ConvertToUtf8(std::string_view bytes, std::string_view charset) {
  if (isUtf8OrAscii(charset)) return displayText(bytes);
  if (isWindows1252(charset)) return Windows1252ToUtf8(bytes);
  std::string out;
  if (iconvToUtf8(bytes, charset, out)) return out;
  return displayText(bytes);
}

}  // namespace orvel
