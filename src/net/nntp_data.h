#pragma once
// Reading the data of a multi-line reply from a connection's receive buffer,
// for OnData handlers.

#include <functional>
#include <string_view>

namespace orvel {

class TNNTP;

enum class DataLines {
  More,        // the buffer ended inside the reply: wait for the next OnData
  Terminated,  // the "." line was seen; the connection is ready again
  Stopped,     // the callback asked to stop; the lines read so far are consumed
};

// Hands each complete line at the start of the connection's buffer to onLine
// (without CR LF, dot-stuffing undone) and consumes it; an incomplete last
// line stays in the buffer. On the terminating "." line calls SetReady.
// onLine returns false to stop; it must not close or release the connection
// (return false and do that afterwards).
DataLines ReadDataLines(TNNTP& connection, const std::function<bool(std::string_view line)>& onLine);

}  // namespace orvel
