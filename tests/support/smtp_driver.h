#pragma once
// An owner of an SmtpClient that answers each accepted reply with the next
// command, as the poster does, and writes every event to a log ("reply 3",
// "error TEXT", "closed").

#include <string>
#include <vector>

#include "net/smtp_client.h"

namespace orvel::test {

struct SmtpDriver final : SmtpListener {
  std::string from = "me@client.example";
  std::string to = "you@mail.example";
  std::string block = "Subject: hi\r\n\r\nbody\r\n.\r\n";
  bool answer = true;  // false: only log
  std::vector<std::string> log;

  void onSmtpReply(SmtpClient& c, int state) override {
    log.push_back("reply " + std::to_string(state));
    if (!answer) return;
    switch (state) {
      case 1: c.Helo(); break;
      case 3: c.MailFrom(from); break;
      case 4: c.RcptTo(to); break;
      case 5: c.Data(); break;
      case 6: c.SendMessageBlock(block); break;
      case 7: c.Quit(); break;
      default: break;
    }
  }
  void onSmtpError(SmtpClient&, const std::string& text) override { log.push_back("error " + text); }
  void onSmtpClosed(SmtpClient&) override { log.push_back("closed"); }
};

}  // namespace orvel::test
