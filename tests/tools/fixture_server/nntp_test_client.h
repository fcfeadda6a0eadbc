#pragma once
// A small blocking NNTP client for the fixture server's tests: connects to
// loopback, sends command lines and reads status lines, multi-line blocks or
// raw bytes, with a receive time-out so a broken server fails a test instead
// of hanging it.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvel::test {

class NntpTestClient {
 public:
  enum class End { Open, Closed, Reset, TimedOut };

  explicit NntpTestClient(int port, std::chrono::milliseconds timeout = std::chrono::seconds(10));
  ~NntpTestClient();
  NntpTestClient(const NntpTestClient&) = delete;
  NntpTestClient& operator=(const NntpTestClient&) = delete;

  void setTimeout(std::chrono::milliseconds timeout);
  void send(const std::string& line);   // adds CRLF
  void sendRaw(const std::string& bytes);

  // The next line without CRLF; nothing when the connection ended first.
  std::optional<std::string> readLine();
  // Sends the command and reads its status line ("" when none came).
  std::string command(const std::string& line);
  // Lines up to the terminating ".", dot-stuffing undone.
  std::vector<std::string> readBlock();
  // Raw bytes up to and including the terminating ".\r\n" line.
  std::string readRawBlock();
  // Reads until the connection ends or times out; the bytes read.
  std::string readAll();
  // At most max bytes from one recv() call ("" at the end).
  std::string readSome(std::size_t max);

  // How the connection ended, as far as reads have seen.
  End end() const { return end_; }

 private:
  bool fill();  // one recv() into the buffer; false when nothing came

  int fd_ = -1;
  std::string buffer_;
  End end_ = End::Open;
};

}  // namespace orvel::test
