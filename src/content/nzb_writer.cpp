// The NZB writer: the document as the reader reads it, in UTF-8, one
// element a line, with the doctype and namespace NZB readers expect.
#include <string>
#include <string_view>

#include "content/nzb.h"
#include "core/charset.h"

namespace orvel {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Appends text escaped for an attribute or element content. Line ends and
// tabs are written as references, which attribute normalisation keeps.
void appendEscaped(std::string& out, std::string_view text) {
  const std::string utf8 = IsValidUtf8(text) ? std::string(text) : Windows1252ToUtf8(text);
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    switch (c) {
      case '&': out += "&amp;"; continue;
      case '<': out += "&lt;"; continue;
      case '>': out += "&gt;"; continue;
      case '"': out += "&quot;"; continue;
      case '\t': out += "&#9;"; continue;
      case '\n': out += "&#10;"; continue;
      case '\r': out += "&#13;"; continue;
      default: break;
    }
    // XML 1.0 holds no other control character, nor U+FFFE or U+FFFF.
    const std::string_view rest = std::string_view(utf8).substr(i);
    if (static_cast<unsigned char>(c) < 0x20) {
      out += kReplacement;
    } else if (rest.starts_with("\xEF\xBF\xBE") || rest.starts_with("\xEF\xBF\xBF")) {
      out += kReplacement;
      i += 2;
    } else {
      out += c;
    }
  }
}

void appendAttribute(std::string& out, std::string_view name, std::string_view value) {
  out += ' ';
  out += name;
  out += "=\"";
  appendEscaped(out, value);
  out += '"';
}

std::string_view withoutBrackets(std::string_view id) {
  if (id.size() >= 2 && id.front() == '<' && id.back() == '>') return id.substr(1, id.size() - 2);
  return id;
}

void appendFile(std::string& out, const NzbFile& file) {
  out += " <file";
  appendAttribute(out, "poster", file.poster);
  appendAttribute(out, "date", std::to_string(file.date));
  appendAttribute(out, "subject", file.subject);
  out += ">\n  <groups>\n";
  for (const std::string& group : file.groups) {
    out += "   <group>";
    appendEscaped(out, group);
    out += "</group>\n";
  }
  out += "  </groups>\n  <segments>\n";
  for (const NzbSegment& segment : file.segments) {
    out += "   <segment";
    appendAttribute(out, "bytes", std::to_string(segment.bytes));
    appendAttribute(out, "number", std::to_string(segment.number));
    out += '>';
    appendEscaped(out, withoutBrackets(segment.messageId));
    out += "</segment>\n";
  }
  out += "  </segments>\n </file>\n";
}

}  // namespace

std::string WriteNzb(const NzbDocument& document) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE nzb PUBLIC \"-//newzBin//DTD NZB 1.1//EN\" "
      "\"http://www.newzbin.com/DTD/nzb/nzb-1.1.dtd\">\n"
      "<nzb xmlns=\"http://www.newzbin.com/DTD/2003/nzb\">\n";
  if (!document.meta.empty()) {
    out += " <head>\n";
    for (const auto& [type, value] : document.meta) {
      out += "  <meta";
      appendAttribute(out, "type", type);
      out += '>';
      appendEscaped(out, value);
      out += "</meta>\n";
    }
    out += " </head>\n";
  }
  for (const NzbFile& file : document.files) appendFile(out, file);
  out += "</nzb>\n";
  return out;
}

}  // namespace orvel
