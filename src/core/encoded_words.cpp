#include "core/encoded_words.h"

#include <algorithm>

#include "core/charset.h"
#include "core/text.h"

namespace orvel {

namespace {

int base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

struct EncodedWord {
  std::size_t begin = 0;
  std::size_t end = 0;  // one past the closing "?="
  std::string_view charset;
  char encoding = 'Q';
  std::string_view text;
};

// Finds the next "=?charset?Q?text?=" at or after from; the text is the
// shortest run of at least one character up to "?=" on the same line.
bool findEncodedWord(std::string_view value, std::size_t from, EncodedWord& word) {
  for (std::size_t at = value.find("=?", from); at != std::string_view::npos;
       at = value.find("=?", at + 1)) {
    const std::size_t charsetEnd = value.find('?', at + 2);
    if (charsetEnd == std::string_view::npos) return false;
    const std::string_view charset = value.substr(at + 2, charsetEnd - at - 2);
    if (charset.empty() || charset.find_first_of(" \t\r\n") != std::string_view::npos) continue;
    if (charsetEnd + 2 >= value.size() || value[charsetEnd + 2] != '?') continue;
    const char encoding = toUpperAscii(value[charsetEnd + 1]);
    if (encoding != 'Q' && encoding != 'B') continue;
    const std::size_t textBegin = charsetEnd + 3;
    const std::size_t close = value.find("?=", textBegin + 1);
    if (close == std::string_view::npos) continue;
    const std::string_view text = value.substr(textBegin, close - textBegin);
    if (text.find_first_of("\r\n") != std::string_view::npos) continue;
    word = EncodedWord{at, close + 2, charset, encoding, text};
    return true;
  }
  return false;
}

std::string decodeWordBytes(const EncodedWord& word) {
  if (word.encoding == 'B') return DecodeBase64Text(word.text);
  std::string bytes(word.text);
  DecodeQPLine(bytes, true);
  return bytes;
}

// RFC 2231 allows a language after the charset ("utf-8*fr").
std::string_view charsetName(std::string_view charset) {
  return charset.substr(0, charset.find('*'));
}

bool onlyBlanks(std::string_view text) {
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
  }
  return true;
}

}  // namespace

bool DecodeQPLine(std::string& line, bool headerMode) {
  std::string_view in = trimRightView(line);
  std::string out;
  out.reserve(in.size());
  bool hardEnd = true;
  for (std::size_t i = 0; i < in.size(); ++i) {
    const char c = in[i];
    if (c == '=') {
      if (i + 2 < in.size()) {
        const int hi = hexDigitValue(in[i + 1]);
        const int lo = hexDigitValue(in[i + 2]);
        out += hi >= 0 && lo >= 0 ? static_cast<char>(hi * 16 + lo) : ' ';
        i += 2;
      } else if (i + 1 == in.size()) {
        hardEnd = false;  // a final "=" joins the next line
      } else {
        out += c;
      }
    } else if (headerMode && c == '_') {
      out += ' ';
    } else {
      out += c;
    }
  }
  line = std::move(out);
  return hardEnd;
}

std::string DecodeBase64Text(std::string_view text) {
  std::string out;
  out.reserve(text.size() / 4 * 3 + 3);
  for (std::size_t i = 0; i < text.size(); i += 4) {
    unsigned bits = 0;
    int valid = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      const int v = i + k < text.size() ? base64Value(text[i + k]) : -1;
      bits = (bits << 6) | static_cast<unsigned>(v < 0 ? 0 : v);
      valid += v < 0 ? 0 : 1;
    }
    out += static_cast<char>((bits >> 16) & 0xFF);
    if (valid >= 3) out += static_cast<char>((bits >> 8) & 0xFF);
    if (valid == 4) out += static_cast<char>(bits & 0xFF);
  }
  return out;
}

std::string EncodeBase64Text(std::string_view bytes) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    unsigned bits = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      const unsigned byte = k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u;
      bits = (bits << 8) | byte;
    }
    for (std::size_t k = 0; k < 4; ++k) {
      out += k <= n ? kAlphabet[(bits >> (18 - 6 * k)) & 0x3F] : '=';
    }
  }
  return out;
}

std::string DecodeEncodedWords(std::string_view value) {
  if (value.find("=?") == std::string_view::npos) return std::string(value);
  std::string out;
  out.reserve(value.size());
  std::size_t pos = 0;
  // Adjacent words of one charset are joined as bytes before conversion, so a
  // character split across two words survives.
  std::string pendingBytes;
  std::string pendingCharset;
  auto flush = [&] {
    if (!pendingCharset.empty()) out += ConvertToUtf8(pendingBytes, pendingCharset);
    pendingBytes.clear();
    pendingCharset.clear();
  };
  EncodedWord word;
  while (findEncodedWord(value, pos, word)) {
    const std::string_view between = value.substr(pos, word.begin - pos);
    const std::string_view charset = charsetName(word.charset);
    const bool adjacent = !pendingCharset.empty() && onlyBlanks(between);
    if (!adjacent || !equalsNoCase(charset, pendingCharset)) {
      flush();
      if (!adjacent) out += between;
    }
    pendingCharset = std::string(charset);
    pendingBytes += decodeWordBytes(word);
    pos = word.end;
  }
  flush();
  out += value.substr(pos);
  return out;
}

std::string DecodeExtendedParameter(std::string_view value) {
  std::string_view charset;
  const std::size_t first = value.find('\'');
  const std::size_t second =
      first == std::string_view::npos ? first : value.find('\'', first + 1);
  if (second != std::string_view::npos) {
    charset = value.substr(0, first);
    value = value.substr(second + 1);
  }
  return ConvertToUtf8(unescapeHex(value, '%'), charset);
}

}  // namespace orvel
