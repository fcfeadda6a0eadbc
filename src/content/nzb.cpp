// The NZB reader: expat's events drive a small state machine over the
// places an NZB gives meaning to (nzb, head/meta, file, groups/group,
// segments/segment); any other element is skipped with all it holds.
// Element names are compared without a namespace prefix, so documents with
// or without the NZB namespace read the same. The texts of meta, group and
// segment elements are trimmed.
#include "content/nzb.h"

#include <expat.h>

#include <algorithm>
#include <climits>

#include "core/text.h"

namespace orvel {

namespace {

enum class Place { Outside, Nzb, Head, Meta, File, Groups, Group, Segments, Segment };

// RFC 3977: a Message-ID is at most 250 octets, brackets included.
constexpr std::size_t kMaxMessageId = 250;

std::string_view localName(const XML_Char* name) {
  const std::string_view n(name);
  const std::size_t colon = n.rfind(':');
  return colon == std::string_view::npos ? n : n.substr(colon + 1);
}

const XML_Char* attribute(const XML_Char** attributes, std::string_view wanted) {
  for (const XML_Char** a = attributes; a[0]; a += 2) {
    if (localName(a[0]) == wanted) return a[1];
  }
  return nullptr;
}

// The text with its brackets (added when the file left them out); empty
// when it could not be sent as a Message-ID.
std::string messageIdOf(std::string_view text) {
  if (text.size() >= 2 && text.front() == '<' && text.back() == '>') {
    text = text.substr(1, text.size() - 2);
  }
  if (text.empty() || text.size() + 2 > kMaxMessageId) return {};
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u == 0x7F || c == '<' || c == '>') return {};
  }
  return '<' + std::string(text) + '>';
}

// Orders a file's segments by number; of equal numbers the first stays.
void settleSegments(NzbFile& file) {
  auto& s = file.segments;
  std::stable_sort(s.begin(), s.end(),
                   [](const NzbSegment& a, const NzbSegment& b) { return a.number < b.number; });
  const auto kept = std::unique(s.begin(), s.end(), [](const NzbSegment& a, const NzbSegment& b) {
    return a.number == b.number;
  });
  file.duplicateSegments += static_cast<std::int32_t>(s.end() - kept);
  s.erase(kept, s.end());
}

}  // namespace

std::int32_t NzbDocument::DuplicateSegments() const {
  std::int32_t n = 0;
  for (const NzbFile& f : files) n += f.duplicateSegments;
  return n;
}

struct NzbReader::State {
  XML_Parser parser = nullptr;
  NzbParse result;
  std::vector<Place> places;  // at most four deep
  int skipped = 0;            // depth inside an element the reader skips
  std::string text;           // of the meta, group or segment being read
  std::string metaType;
  NzbSegment segment;
  bool stopped = false;

  Place place() const { return places.empty() ? Place::Outside : places.back(); }
  NzbFile& file() { return result.document.files.back(); }

  void fail(const std::string& why) {
    if (stopped) return;
    result.errorLine = static_cast<int>(XML_GetCurrentLineNumber(parser));
    result.error = "line " + std::to_string(result.errorLine) + ": " + why;
    stopped = true;
    XML_StopParser(parser, XML_FALSE);
  }
  std::string fileName() const {
    const auto& files = result.document.files;
    return "file " + std::to_string(files.size()) + " (\"" + files.back().subject + "\")";
  }

  // expat may still report an event or two after a stop.
  void start(const XML_Char* name, const XML_Char** attributes) {
    if (stopped) return;
    if (skipped > 0) {
      ++skipped;
      return;
    }
    const std::string_view n = localName(name);
    const Place at = place();
    Place next = Place::Outside;
    if (at == Place::Outside) {
      if (n != "nzb") return fail("not an NZB document (root element " + std::string(n) + ")");
      next = Place::Nzb;
    } else if (at == Place::Nzb && n == "head") {
      next = Place::Head;
    } else if (at == Place::Nzb && n == "file") {
      next = Place::File;
      startFile(attributes);
    } else if (at == Place::Head && n == "meta") {
      next = Place::Meta;
      const XML_Char* type = attribute(attributes, "type");
      metaType = type ? type : "";
    } else if (at == Place::File && n == "groups") {
      next = Place::Groups;
    } else if (at == Place::File && n == "segments") {
      next = Place::Segments;
    } else if (at == Place::Groups && n == "group") {
      next = Place::Group;
    } else if (at == Place::Segments && n == "segment") {
      next = Place::Segment;
      startSegment(attributes);
    } else {
      skipped = 1;
      return;
    }
    text.clear();
    places.push_back(next);
  }

  void startFile(const XML_Char** attributes) {
    NzbFile& f = result.document.files.emplace_back();
    const XML_Char* poster = attribute(attributes, "poster");
    const XML_Char* subject = attribute(attributes, "subject");
    const XML_Char* date = attribute(attributes, "date");
    f.poster = poster ? poster : "";
    f.subject = subject ? subject : "";
    if (!date) return;
    const auto value = parseDecimal(trimView(date));
    if (!value) return fail(fileName() + ": bad date \"" + date + "\"");
    f.date = *value;
  }

  void startSegment(const XML_Char** attributes) {
    segment = NzbSegment{};
    const std::string where = fileName() + ", segment " + std::to_string(file().segments.size() + 1);
    const XML_Char* number = attribute(attributes, "number");
    if (!number) return fail(where + ": no number");
    const auto n = parseDecimal(trimView(number));
    if (!n || *n < 1 || *n > INT32_MAX) return fail(where + ": bad number \"" + number + "\"");
    segment.number = static_cast<std::int32_t>(*n);
    if (const XML_Char* bytes = attribute(attributes, "bytes")) {
      const auto b = parseDecimal(trimView(bytes));
      if (!b || *b < 0) return fail(where + ": bad bytes \"" + bytes + "\"");
      segment.bytes = *b;
    }
  }

  void end() {
    if (stopped) return;
    if (skipped > 0) {
      --skipped;
      return;
    }
    const Place at = place();
    places.pop_back();
    const std::string_view value = trimView(text);
    switch (at) {
      case Place::Meta:
        result.document.meta.emplace_back(metaType, value);
        break;
      case Place::Group:
        if (!value.empty()) file().groups.emplace_back(value);
        break;
      case Place::Segment:
        segment.messageId = messageIdOf(value);
        if (segment.messageId.empty()) {
          return fail(fileName() + ", segment " + std::to_string(segment.number) +
                      (value.empty() ? ": no Message-ID" : ": bad Message-ID"));
        }
        file().segments.push_back(std::move(segment));
        break;
      case Place::File:
        settleSegments(file());
        break;
      default:
        break;
    }
    text.clear();
  }

  void characters(const XML_Char* s, int length) {
    const Place at = place();
    if (!stopped && skipped == 0 && (at == Place::Meta || at == Place::Group || at == Place::Segment)) {
      text.append(s, static_cast<std::size_t>(length));
    }
  }

  bool parse(const char* bytes, std::size_t size, bool last) {
    // expat counts in int: big texts go in pieces.
    constexpr std::size_t kPiece = std::size_t{1} << 30;
    do {
      const std::size_t piece = std::min(size, kPiece);
      const bool final = last && piece == size;
      if (XML_Parse(parser, bytes, static_cast<int>(piece), final) != XML_STATUS_OK) {
        if (!stopped) {
          result.errorLine = static_cast<int>(XML_GetErrorLineNumber(parser));
          result.error = "line " + std::to_string(result.errorLine) + ": " +
                         XML_ErrorString(XML_GetErrorCode(parser));
          stopped = true;
        }
        return false;
      }
      bytes += piece;
      size -= piece;
    } while (size > 0);
    return true;
  }
};

NzbReader::NzbReader() : state_(std::make_unique<State>()) {
  XML_Parser p = XML_ParserCreate(nullptr);
  state_->parser = p;
  XML_SetUserData(p, state_.get());
  XML_SetParamEntityParsing(p, XML_PARAM_ENTITY_PARSING_NEVER);
  XML_SetElementHandler(
      p, [](void* d, const XML_Char* name, const XML_Char** attrs) { static_cast<State*>(d)->start(name, attrs); },
      [](void* d, const XML_Char*) { static_cast<State*>(d)->end(); });
  XML_SetCharacterDataHandler(
      p, [](void* d, const XML_Char* s, int length) { static_cast<State*>(d)->characters(s, length); });
  XML_SetEntityDeclHandler(p, [](void* d, const XML_Char*, int, const XML_Char*, int,
                                 const XML_Char*, const XML_Char*, const XML_Char*,
                                 const XML_Char*) {
    static_cast<State*>(d)->fail("entity declarations are not accepted");
  });
  XML_SetSkippedEntityHandler(p, [](void* d, const XML_Char* name, int) {
    static_cast<State*>(d)->fail("undefined entity &" + std::string(name) + ";");
  });
}

NzbReader::~NzbReader() { XML_ParserFree(state_->parser); }

bool NzbReader::Feed(std::string_view bytes) {
  if (state_->stopped) return false;
  return state_->parse(bytes.data(), bytes.size(), false);
}

NzbParse NzbReader::Finish() {
  if (!state_->stopped) state_->parse("", 0, true);
  return std::move(state_->result);
}

NzbParse ParseNzb(std::string_view text) {
  NzbReader reader;
  reader.Feed(text);
  return reader.Finish();
}

}  // namespace orvel
