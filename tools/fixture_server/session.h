#pragma once
// One NNTP conversation on the fixture server: reads command lines, keeps the
// selected group, current article, login and posting state, and answers with
// the codes and texts INN 2.7 gives. Injected faults are looked up per
// command; control commands (XFAULT, XNEWGROUP, XRANGE) are never faulted
// and never need a login. Long listings are produced lazily by the replies.

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "reply.h"
#include "server_state.h"

namespace orvel::fixture {

class Session {
 public:
  Session(ServerState& state, std::uint64_t id);

  std::uint64_t id() const { return id_; }
  Reply greeting();
  // Handles one received line (without its line end) and queues the replies.
  void handleLine(std::string_view line, std::deque<Reply>& out);

 private:
  using Args = std::vector<std::string_view>;
  Reply dispatch(const std::string& command, const Args& args, const OmitSet& omit);
  Reply control(const std::string& command, const Args& args, std::string_view rest);
  std::string greetingLine() const;
  bool loggedIn() const;

  // Commands without article data (session.cpp).
  Reply capabilities();
  Reply authinfo(const Args& args);
  Reply list(const Args& args);
  Reply newgroups(const Args& args);
  Reply post();
  void finishPost(std::deque<Reply>& out);
  Reply help();

  // Commands on groups and articles (session_articles.cpp).
  Reply group(const Args& args);
  Reply listgroup(const Args& args);
  Reply overview(const std::string& command, const Args& args, const OmitSet& omit);
  Reply headers(const std::string& command, const Args& args, const OmitSet& omit);
  Reply xpat(const Args& args, const OmitSet& omit);
  Reply article(const std::string& command, const Args& args);
  Reply nextLast(bool forward);

  ServerState& state_;
  std::uint64_t id_;
  Group* group_ = nullptr;
  std::int64_t current_ = 0;  // 0: no valid current article
  bool authenticated_ = false;
  std::string pendingUser_;
  bool receivingArticle_ = false;
  bool articleTooLarge_ = false;
  std::string article_;
  std::string recommendedId_;
};

// "text\r\n".
Reply lineReply(std::string text);

}  // namespace orvel::fixture
