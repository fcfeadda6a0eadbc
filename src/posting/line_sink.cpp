#include "posting/line_sink.h"

namespace orvel {

void DotStuffingWriter::Line(std::string_view text) {
  if (!text.empty() && text.front() == '.') out_ += '.';
  out_.append(text).append("\r\n");
}

void DotStuffingWriter::End() { out_.append(".\r\n"); }

}  // namespace orvel
