#pragma once
// ArticleWriter turns one queued message into the texts that leave the
// program: to the news server one article or a numbered series (the files
// split by lines for uuencode and base64, by bytes for yEnc), to the mail
// server the whole message as one.
//
// How it works: the constructor settles the options for the target and
// plans the first article. Each article is a header and a segment of the
// body: the text, then the files from where the last article stopped. Lines
// come out one at a time through an internal state machine, so the writer
// holds the current line, the file reader's small buffer and the CRC state,
// never an article; WriteSome lets the caller write as much as its output
// can take. After each article the series moves on: the next part of the
// same file, or the next file with or without the text in front of it.
// Files are read from disk as they are encoded; a file that is gone or
// changed size fails the send, and the writer stays failed.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "posting/article_header.h"
#include "posting/line_encoders.h"
#include "posting/line_sink.h"
#include "posting/post_file_reader.h"
#include "posting/post_job.h"

namespace orvel {

enum class WriteResult {
  Written,   // one article written to its end; more may follow
  More,      // WriteSome only: the article goes on, call again
  Complete,  // nothing left to write (nothing was written)
  Failed,    // a file could not be read or changed size; see error
};

class ArticleWriter {
 public:
  ArticleWriter(const PostJob& job, PostTarget target, WriterEnvironment env);

  // Writes the next article (for the mail, the whole message) to sink,
  // without the end-of-data line: the caller ends it (DotStuffingWriter::End)
  // after Written. After Failed, what the sink got is not an article.
  WriteResult WriteNext(LineSink& sink, std::string& error);
  // The same in pieces: stops once about maxBytes of line text went to sink
  // and returns More while the article goes on.
  WriteResult WriteSome(LineSink& sink, std::size_t maxBytes, std::string& error);
  // Moves past the first count articles (already accepted by the server)
  // without writing them; the files are still read for their CRCs.
  bool SkipArticles(int count, std::string& error);

  int ArticlesWritten() const { return article_; }  // index of the next article
  std::int64_t TotalUnits() const { return totalUnits_; }
  std::int64_t DoneUnits() const { return doneUnits_; }
  std::string LastMessageId() const { return lastMessageId_; }

  // Every 25 yEnc or 100 other data lines: done units x 100 / total units and
  // "Posting " or "Mailing " + the subject.
  std::function<void(int percent, const std::string& text)> onProgress;

 private:
  enum class Kind { Stream, Text, File };  // all together; the text alone; one file's part
  enum class Step { Preamble, Text, FileStart, FileData, FileEnd, Closing, Done };

  // One file being written.
  struct FileState {
    PostFileReader reader;
    bool begun = false;      // its first lines were written
    bool partOpen = false;   // yEnc: "=ybegin" of the current part written
    int part = 0, parts = 1; // yEnc parts of the file
    std::uint32_t fileCrc = 0, partCrc = 0;
    std::uint64_t partBytes = 0;
  };

  void planFirst();
  bool planNext();
  void selectFile(std::size_t index, int previousPart);
  int fileArticles(const PostFile& file) const;

  void beginArticle();
  std::string subjectLine() const;
  std::vector<std::string> mimeHeaderLines(bool& endsHeader);
  void pushPreamble();
  bool nextLine();
  bool textStep();
  bool fileStartStep();
  bool fileDataStep();
  void fileEndStep();
  bool dataLeft() const;
  bool limitReached() const;
  void pushYEncPartBegin();
  void endYEncPart(bool lastPart);
  void fail(const std::string& text);
  void reportProgress();

  PostJob job_;
  PostTarget target_;
  WriterEnvironment env_;
  int option_ = 0;
  bool mime_ = false, yEnc_ = false, hasText_ = false;
  std::string boundary_, partialId_;
  std::size_t splitLines_ = 0;     // counted lines per article, 0: no limit
  std::uint64_t splitBytes_ = 0;   // yEnc bytes per article, 0: no limit

  // The series.
  Kind kind_ = Kind::Stream;
  int article_ = 0;
  int currentPart_ = 1, totalParts_ = -1;
  int fileIndex_ = -1;             // the file of a Text or File article
  bool complete_ = false, failed_ = false, skipping_ = false;
  std::string error_;
  std::string lastMessageId_;

  // The article being written.
  bool inArticle_ = false;
  Step step_ = Step::Done;
  std::vector<std::string> pending_;
  std::size_t pendingAt_ = 0;
  std::size_t articleLines_ = 0;
  std::uint64_t articleBytes_ = 0;
  std::string_view line_;
  char lineBuffer_[kYEncLineCapacity + 1];

  // The body's progress over the whole send.
  bool preambleDone_ = false;
  std::size_t textAt_ = 0;
  std::size_t dataFile_ = 0;       // the file being written, or the next
  FileState file_;

  std::int64_t totalUnits_ = 0, doneUnits_ = 0;
  int linesSinceProgress_ = 0;
};

}  // namespace orvel
