#include "net/nntp_data.h"

#include "net/nntp_reply_framer.h"
#include "net/tnntp.h"

namespace orvel {

bool ReadDataLines(TNNTP& connection, const std::function<void(std::string_view line)>& onLine) {
  ForEachNntpLine(connection.data(), [&onLine](std::string_view line) {
    onLine(line);
    return true;
  });
  return connection.dataEnded();
}

}  // namespace orvel
