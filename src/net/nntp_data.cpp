#include "net/nntp_data.h"

#include "net/tnntp.h"

namespace orvel {

DataLines ReadDataLines(TNNTP& connection,
                        const std::function<bool(std::string_view line)>& onLine) {
  const std::string_view buffer = connection.Buffer();
  std::size_t pos = 0;
  DataLines result = DataLines::More;
  while (pos < buffer.size()) {
    const std::size_t end = buffer.find('\n', pos);
    if (end == std::string_view::npos) break;
    std::string_view line = buffer.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line == ".") {
      result = DataLines::Terminated;
      break;
    }
    if (!line.empty() && line.front() == '.') line.remove_prefix(1);
    if (!onLine(line)) {
      result = DataLines::Stopped;
      break;
    }
  }
  connection.ConsumeBuffer(pos);
  if (result == DataLines::Terminated) connection.SetReady();
  return result;
}

}  // namespace orvel
