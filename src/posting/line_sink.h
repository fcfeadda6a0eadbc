#pragma once
// Where the article writer puts its lines: one call per line, without the
// line end. DotStuffingWriter turns them into the wire form of NNTP and SMTP.

#include <string>
#include <string_view>

namespace orvel {

class LineSink {
 public:
  virtual ~LineSink() = default;
  virtual void Line(std::string_view text) = 0;
};

// Appends each line with CR LF, a line beginning with "." getting another
// "." in front; End() appends the end-of-data line ".".
class DotStuffingWriter final : public LineSink {
 public:
  explicit DotStuffingWriter(std::string& out) : out_(out) {}
  void Line(std::string_view text) override;
  void End();

 private:
  std::string& out_;
};

}  // namespace orvel
