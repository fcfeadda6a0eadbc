#pragma once
// The header record the MIME parser fills while it walks an article's
// headers, with the fields and meanings of the article record.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvel {

struct ArticleHeaders {
  std::string subject;  // encoded words decoded to UTF-8
  std::string from;     // encoded words decoded to UTF-8
  std::string fromName;
  std::string fromAddress;
  std::string to;
  std::string toName;
  std::string toAddress;
  std::string messageId;
  std::string newsgroups;
  std::vector<std::string> referenceList;  // the Message-IDs of References, in order
  std::string references;
  std::string replyToAddress;
  std::string replyToName;
  std::string followupTo;
  std::string xref;  // without its first word (the server name)
  std::string xId;
  std::string xFace;
  double date = 0;  // days since 1899-12-30, local time
  std::int32_t lines = 0;
  std::int32_t xStatus = 0;
  bool xNoArchive = false;
  std::string xAttachments;
};

// A header the record does not take (kept only when asked for).
struct THeader {
  std::string name;  // as written
  std::string value;
};

// The address and date readers of the article record, passed in by the owner
// so the parser shares them with the overview parser.
class HeaderValueParser {
 public:
  virtual ~HeaderValueParser() = default;
  // Splits a From, To or Reply-To text into display name and address.
  virtual void splitAddress(std::string_view text, std::string& name,
                            std::string& address) const = 0;
  // A Date header as the record holds it: days since 1899-12-30, local time.
  virtual double articleDate(std::string_view text) const = 0;
};

}  // namespace orvel
