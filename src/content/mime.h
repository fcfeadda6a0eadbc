#pragma once
// TMime: the line-driven article parser. The caller hands it a text and a
// position; ParseLine consumes one line and says what it was (the line
// class). While it walks, TMime fills the header record, keeps the header
// lines the viewer shows, follows multipart structure and decodes
// quoted-printable, base64, uuencode and yEnc content into an output: a file
// (output mode 1) or a memory copy listed among the produced files (view
// modes 2 and 3).
//
// States (ParseState) and what moves between them:
//   1 before headers -> 2 headers -> 3 part headers | 4 body | 5 preamble |
//   11/12 later part of a split file; 4/9/10/12 body text, where "begin " and
//   "=ybegin " lines lead to 6 (uu data) and 7/8 (yEnc); a boundary leads to
//   3, a closing boundary to 5 (outer multipart) or 13 (epilogue).
// While the multi-part continuation flag is set (uu begin, message/partial,
// yEnc with a part number in the view modes), ResetArticle keeps the open
// output, so feeding the parts of a split file in order to one TMime
// assembles it. In output mode 1 the parts of a yEnc file are written at
// their offsets instead and may come in any order: the file stays open from
// article to article until every byte arrived (YEncAssembly), another file
// begins, or the owner drops it.
//
// Owned here: the output and its memory copies, the decoded-text buffer, the
// header record. Borrowed: the MIME-type lookup, the header value parser and
// the known-directories list, which must outlive the parser.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/article_headers.h"
#include "content/mime_types.h"
#include "content/output_file.h"
#include "content/pending_crc.h"
#include "content/yenc_assembly.h"
#include "core/perlre.h"

namespace orvel {

enum class ParseState : std::uint8_t {
  BeforeHeaders = 1,
  Headers = 2,
  PartHeaders = 3,
  Body = 4,
  Preamble = 5,
  UUData = 6,
  YPartExpected = 7,
  YEncData = 8,
  AfterData = 9,
  UUCutText = 10,
  UUContinued = 11,
  LaterPart = 12,
  Epilogue = 13,
};

enum class LineClass : std::uint8_t {
  Incomplete = 0,
  Preamble = 1,  // preamble or epilogue line
  Header = 2,
  HeadersEnd = 3,
  PartHeader = 4,
  PartHeadersEnd = 5,
  Boundary = 6,
  ClosingBoundary = 7,
  Begin = 8,  // "begin ", "=ybegin ", "=ypart "
  Data = 9,   // encoded data, consumed
  End = 10,   // "end", "`...", "=yend "
  Text = 11,
};

enum class TransferEncoding : std::uint8_t {
  None = 0,
  QuotedPrintable = 1,
  Base64 = 2,
  UUencode = 3,
  YEnc = 4,
};

enum class OutputMode : std::uint8_t {
  None = 0,  // parse only
  File = 1,
  View = 2,
  ViewAutoSave = 3,
};

enum class ContentClass : std::uint8_t {
  TextPlain = 0,
  Text = 1,
  Multipart = 2,
  Partial = 3,
  Other = 4,
};

// Where the text comes from: straight from the NNTP data stream (dot-stuffed,
// ended by a lone "."), or a stored or local text.
enum class LineSource { ServerData, Text };
enum class ParseDepth { Full, HeadersOnly };

// The collision option: 2 gives a new file a free name, anything else writes
// over a file of the same name.
inline constexpr int kCollisionUniqueName = 2;

// Completion event codes.
inline constexpr int kFileFinished = 10;
// A file closed before its end (a missing part, a reset): left on disk in
// output mode 1, dropped in the view modes.
inline constexpr int kFileIncomplete = 11;
// A yEnc file that failed its check (a part's CRC or the whole file's):
// left on disk in output mode 1, listed in the view modes, never launched.
inline constexpr int kFileCrcError = 12;

// Boundaries nested deeper than this are not followed: their lines stay text.
inline constexpr std::size_t kMaxBoundaryDepth = 32;

struct MimeSettings {
  std::string visibleHeaders = "Subject,From,Newsgroups,FollowUp-To,To,Reply-To";
  std::string sigDashRegex = "^\\-\\-\\s$";
  std::string saveTypes = ".GIF";
  bool autoSaveAttachments = false;
};

// "A,b , C" -> {"a", "b", "c"}.
std::vector<std::string> SplitVisibleHeaders(std::string_view setting);

// A file finished (or kept in memory) while viewing.
struct ProducedFile {
  std::string name;    // the bare name, replaced by the full path once on disk
  std::string memory;  // the decoded bytes (kept after saving, for re-saving)
  bool onDisk = false;
};

// What an interrupted multi-part file needs to be continued later.
struct DecoderState {
  std::string directory;
  std::string fileName;
  std::string requestedName;  // the name the articles give, before collisions
  std::int64_t bytesWritten = 0;
  std::int64_t partNumber = 0;  // the part decoding goes on with
  std::int64_t total = 0;
  std::int64_t yencSize = 0;
  TransferEncoding encoding = TransferEncoding::None;
  bool mimeVersion = false;
  bool attachment = false;
  bool partial = false;
  int uuPreviousBytes = -1;
  std::string contentType;
  ContentClass contentClass = ContentClass::Other;
  int partCounter = 0;
  std::vector<std::string> boundaries;
  // The post the file comes from: its subject without the part counter
  // (empty when unknown), so a record is not continued by another post.
  std::string series;
  // A yEnc file written at offsets: the parts it holds. Such a file is
  // continued by any of its missing parts, in any order.
  std::optional<YEncAssembly> parts;
};

// The file an output closed or dropped last.
struct ClosedOutput {
  std::string path;           // full path (mode 1), or the produced file's name
  std::string fileName;       // its name in the output directory
  std::string requestedName;  // the name the articles give
  std::optional<YEncAssembly> parts;  // of a file written at offsets
  bool wholeCrcFailed = false;        // its parts passed, the whole file did not
};

// The services a parser borrows; either may be absent (no extensions for
// content types; From kept whole as the address and dates left at 0).
struct MimeEnvironment {
  const MimeTypeLookup* mimeTypes = nullptr;
  const HeaderValueParser* headerParser = nullptr;
};

class TMime {
 public:
  using CompletionEvent = std::function<void(TMime& sender, int code)>;

  explicit TMime(bool keepExtraHeaders, MimeSettings settings = {}, MimeEnvironment env = {});
  virtual ~TMime();
  TMime(const TMime&) = delete;
  TMime& operator=(const TMime&) = delete;

  // --- configuration
  void setOutputMode(OutputMode mode) { outputMode_ = mode; }
  OutputMode outputMode() const { return outputMode_; }
  // Decoded files go into this directory ("/" is added when missing).
  void setOutputDirectory(std::string_view directory);
  const std::string& outputDirectory() const { return outputDirectory_; }
  void setCollisionOption(int option) { collisionOption_ = option; }
  void setKnownDirectories(const std::vector<std::string>* directories) {
    knownDirectories_ = directories;
  }
  void setCompletionEvent(CompletionEvent event) { completionEvent_ = std::move(event); }
  void setSettings(MimeSettings settings);

  // --- walking an article
  void ResetArticle();
  // Consumes one line of text from pos and returns its class (also kept in
  // lineClass()). line receives the line, decoded where quoted-printable
  // applies. rawCopy, when given, receives each line with CRLF. last is set
  // when the article ended (a lone "." of server data, or the end of text).
  // Class 0 (server data only) means no complete line: pos did not move.
  LineClass ParseLine(std::string_view text, std::size_t& pos, std::string& line,
                      std::string* rawCopy, LineSource source, ParseDepth depth, bool& last);
  // In yEnc data, consumes data lines of a stored text (LineSource::Text,
  // no raw copy, full depth) from pos without copying them, each as ParseLine
  // would; stops before an "=yend" line and before the text's last line,
  // which ParseLine takes, and after a line that ends the data.
  void ParseYEncDataLines(std::string_view text, std::size_t& pos);
  // ResetArticle, then header lines only until the end of the headers.
  void ParseHeadersOnly(std::string_view text);
  // Closes what ends with the article (base64 content, text parts shown in
  // the view modes); uu and yEnc files stay open for their end lines.
  void FinishArticle(LineSource source, std::string* rawCopy);
  // After ResetArticle: the text has no header block and starts with the
  // body (a bare uuencoded or yEnc file).
  void BeginBody() { endOfHeaders(); }

  // The decoded bytes of text parts collected in the view modes, emptied.
  bool TakeDecodedText(std::string& text);
  // The non-empty visible header lines, each with CRLF, in setting order.
  std::string VisibleHeaderText() const;

  // --- output
  void OpenOutput();
  // Closes a finished file: lists it (view modes), saves it (mode 3) and
  // fires the completion event with kFileFinished (kFileCrcError after a
  // yEnc check failed). notify also makes the current line an end line
  // (class 10). A yEnc file written at offsets is not closed here: it
  // closes when its last byte arrives.
  void CloseOutput(bool notify);
  // Closes an unfinished file: kept on disk as it is (mode 1) or dropped
  // (view modes); fires kFileIncomplete when something was open.
  void DropOutput();
  bool outputOpen() const { return outputOpen_; }
  // The open output is a yEnc file written at offsets.
  bool placedOutputOpen() const { return placed_.has_value(); }
  // What was closed or dropped last.
  const ClosedOutput& lastClosed() const { return lastClosed_; }
  // Full path (mode 1) or produced-file name of the file last closed.
  const std::string& lastClosedFile() const { return lastClosed_.path; }
  // Bytes in the open output so far (for a file written at offsets, the
  // position after the last byte written).
  std::int64_t outputSize() const;

  // --- interrupted files
  DecoderState SaveDecoderState() const;
  // Reopens the state's file (at dir + its current name) and continues it:
  // cut to its recorded size, or, for a file written at offsets, as it is
  // with the parts it holds. Raises EDecodeOutput when that is impossible.
  void RestoreDecoderState(const DecoderState& state);

  // --- state read by the callers
  ParseState parseState() const { return state_; }
  LineClass lineClass() const { return lineClass_; }
  TransferEncoding transferEncoding() const { return encoding_; }
  ContentClass contentClass() const { return contentClass_; }
  const std::string& contentType() const { return contentType_; }
  // The "charset=" parameter of the current part's (or article's) content
  // type, as written; empty when none was given.
  const std::string& charset() const { return charset_; }
  const std::string& fileName() const { return fileName_; }
  const std::vector<std::string>& boundaries() const { return boundaries_; }
  std::int64_t partNumber() const { return partNumber_; }
  std::int64_t totalParts() const { return total_; }
  std::int64_t yencPartBegin() const { return yencBegin_; }
  bool crcError() const { return crcError_; }
  bool signatureSeen() const { return signature_; }
  bool headersEnded() const { return headersEnded_; }
  void setHeadersEnded() { headersEnded_ = true; }
  bool multipartContinuation() const { return continuation_; }
  void clearMultipartContinuation() { continuation_ = false; }
  bool mimeVersionSeen() const { return mimeVersion_; }
  bool hardLineEnd() const { return hardLineEnd_; }
  const ArticleHeaders& headers() const { return headers_; }
  const std::vector<THeader>& extraHeaders() const { return extraHeaders_; }
  std::vector<ProducedFile>& producedFiles() { return producedFiles_; }
  const std::vector<ProducedFile>& producedFiles() const { return producedFiles_; }

 protected:
  // A part of a yEnc file written at offsets begins and no such file is
  // open: an owner that set the file aside earlier reopens it here
  // (RestoreDecoderState) and answers true.
  virtual bool resumePlacedFile(std::string_view requestedName, std::int64_t size);

 private:
  // The yEnc file written at offsets, while it is the open output.
  struct PlacedFile {
    YEncAssembly parts;
    std::string requestedName;
    std::string fileName;
    std::int64_t partBegin = 0;    // the current part's offset
    std::int64_t partLength = 0;   // its length as "=ypart" gives it
    std::int64_t partRoom = 0;     // what it may still write
    std::int64_t partDecoded = 0;  // what its lines gave
    bool inPart = false;
    bool skipPart = false;  // another copy of a part already held: not written
  };

  // Line handling by state; each sets lineClass_. Returns false when the line
  // is skipped (empty lines before and inside the headers).
  bool handleLine(std::string& line, LineSource source, ParseDepth depth);
  void endOfHeaders();
  void handleBody(std::string& line);
  bool testBoundary(std::string_view line);
  void StartPart();
  void resetPartContext();
  void startInnerMessage();
  void handleUULine(std::string_view line);
  void handleYEncLine(std::string_view line);
  void checkSignature(std::string_view line);
  void writeAttachmentLine(std::string_view line, bool hardEnd);

  // Headers (mime_headers.cpp).
  void ParseHeaderLine(std::string_view line);
  void continueHeader(std::string_view continuation);
  void takeHeader(std::string_view name, std::string_view value);
  void takeMimeHeader(std::string_view name, std::string_view value);
  void ParseParameters(std::string_view text);
  void setFileNameParameter(std::string_view name, bool fromDisposition);
  void setVisible(std::string_view name, std::string_view value);
  void appendVisible(std::string_view name, std::string_view more);

  // uu and yEnc (mime_binary.cpp).
  bool ParseUUBegin(std::string_view line);
  bool DecodeUULine(std::string_view line);
  bool ParseYBegin(std::string_view line);
  bool ParseYPart(std::string_view line);
  bool DecodeYEncLine(std::string_view line);
  void ParseYEnd(std::string_view line);
  bool beginPlacedPart(std::int64_t part, std::optional<std::int64_t> total,
                       std::optional<std::int64_t> size, const std::string& name);
  bool beginPlacedBytes(std::optional<std::int64_t> begin, std::optional<std::int64_t> end);
  void endPlacedPart(std::string_view line);
  bool uuLooksLikeText(std::string_view line, int bytes);
  void DecodeBase64Line(std::string_view line);

  // Output (mime_output.cpp).
  char* beginWrite(std::size_t room);
  void endWrite(const char* data, std::size_t used);
  std::size_t placedBytes(std::size_t used);
  void writeOutput(std::string_view bytes);
  std::string outputName() const;
  void finishOutput(int code);
  void takeClosed(std::string path);
  void listProducedFile();
  bool shouldAutoSave(std::string_view name) const;
  void saveProducedFile(ProducedFile& file);
  bool inViewMode() const {
    return outputMode_ == OutputMode::View || outputMode_ == OutputMode::ViewAutoSave;
  }
  bool isTextContent() const {
    return contentClass_ == ContentClass::TextPlain || contentClass_ == ContentClass::Text;
  }
  void fire(int code);

  // Settings and borrowed services.
  MimeSettings settings_;
  MimeEnvironment env_;
  std::vector<std::string> visibleNames_;
  TPerlre sigDash_;
  TPerlre cutHere_;
  TPerlre dashes_;
  bool keepExtraHeaders_;

  // Fields, in the order the parser's description gives them.
  std::string decodedText_;
  bool signature_ = false;
  std::vector<std::string> visibleLines_;
  OutputFile file_;
  std::string memory_;
  bool outputOpen_ = false;
  TransferEncoding outputEncoding_ = TransferEncoding::None;  // of the open output
  enum class WriteTarget { Scratch, FileBuffer, Memory };
  WriteTarget writeTarget_ = WriteTarget::Scratch;
  std::string outputDirectory_;
  std::string fileName_;
  std::string requestedName_;
  bool nameFromDisposition_ = false;  // "filename=" wins over a "name=" of the type
  PendingCrc crc_;  // of the current yEnc part, over the bytes as decoded
  std::int64_t yencBegin_ = 0;
  std::int64_t yencSize_ = 0;
  std::int64_t total_ = 0;
  std::int64_t partNumber_ = 0;
  int uuPreviousBytes_ = -1;
  int partCounter_ = 0;
  ParseState state_ = ParseState::BeforeHeaders;
  TransferEncoding encoding_ = TransferEncoding::None;
  int collisionOption_ = kCollisionUniqueName;
  OutputMode outputMode_ = OutputMode::None;
  ContentClass contentClass_ = ContentClass::Other;
  std::string contentType_ = "application/unknown";
  std::string charset_;
  std::vector<std::string> boundaries_;
  std::string headerName_;
  std::string headerNameLower_;
  bool mimeVersion_ = false;
  bool continuation_ = false;
  bool partial_ = false;  // a message/partial is being assembled
  bool attachment_ = false;
  bool hardLineEnd_ = true;
  bool qpLineBreakPending_ = false;
  bool innerHeaders_ = false;  // headers of a message/rfc822 part: MIME headers only
  LineClass lineClass_ = LineClass::Header;
  ArticleHeaders headers_;
  std::string rawSubject_;
  std::string rawFrom_;
  std::string rawReplyTo_;
  bool headersEnded_ = false;
  bool skippedHeaderGap_ = false;
  std::vector<THeader> extraHeaders_;
  int currentExtra_ = -1;  // index of the extra header a continuation extends
  CompletionEvent completionEvent_;
  std::vector<ProducedFile> producedFiles_;
  const std::vector<std::string>* knownDirectories_ = nullptr;
  bool crcError_ = false;
  std::optional<PlacedFile> placed_;
  ClosedOutput lastClosed_;
  std::string scratch_;
};

// `Rot13`: letters A-Z and a-z rotated by 13, everything else unchanged.
std::string Rot13(std::string_view text);

}  // namespace orvel
