#include "posting/cancel_message.h"

namespace orvel {

std::string CancelMessage(const CancelTarget& t, std::string_view cancelKey) {
  std::string text;
  const auto line = [&text](std::string_view a, std::string_view b = {}) {
    text.append(a).append(b).append("\r\n");
  };
  line("Newsgroups: ", t.groups);
  line("Subject: cmsg cancel ", t.messageId);
  line("From: ", t.from);
  line("Control: cancel ", t.messageId);
  // A Message-ID without brackets gives the control message none of its own.
  if (!t.messageId.empty() && t.messageId.front() == '<') {
    line("Message-ID: <cancel.", std::string_view(t.messageId).substr(1));
  }
  if (!cancelKey.empty()) line("Cancel-Key: ", cancelKey);
  line({});
  line("Cancel ", t.subject);
  return text;
}

}  // namespace orvel
