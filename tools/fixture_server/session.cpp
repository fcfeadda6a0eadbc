#include "session.h"

#include <algorithm>

#include "core/text.h"
#include "text_util.h"
#include "dates.h"
#include "generated_source.h"
#include "wildmat.h"

namespace orvel::fixture {

namespace {

constexpr std::size_t kMaxArticle = 32 * 1024 * 1024;

// The text after the first word (the command), trimmed.
std::string_view afterCommand(std::string_view line) {
  line = trimView(line);
  std::size_t blank = line.find_first_of(" \t");
  return blank == std::string_view::npos ? std::string_view() : trimView(line.substr(blank));
}

// Commands that work before AUTHINFO succeeds.
bool openCommand(const std::string& command) {
  return command == "CAPABILITIES" || command == "MODE" || command == "AUTHINFO" ||
         command == "QUIT";
}

bool controlCommand(const std::string& command) {
  return command == "XFAULT" || command == "XNEWGROUP" || command == "XRANGE";
}

Reply multiLine(std::string status, const std::vector<std::string>& lines) {
  std::string text = std::move(status) + "\r\n";
  for (const std::string& l : lines) {
    if (!l.empty() && l[0] == '.') text += '.';
    text += l + "\r\n";
  }
  text += ".\r\n";
  return Reply(std::move(text));
}

std::string activeLine(const Group& g) {
  return g.name() + " " + std::to_string(g.high()) + " " + std::to_string(g.low()) + " " +
         g.info().status;
}

}  // namespace

Reply lineReply(std::string text) { return Reply(std::move(text) + "\r\n"); }

Session::Session(ServerState& state, std::uint64_t id) : state_(state), id_(id) {}

std::string Session::greetingLine() const {
  const char* mode = state_.config.postingAllowed && !state_.config.authUser ? "(posting ok)"
                                                                              : "(no posting)";
  // INN greets with 200 even when posting needs a login first.
  return std::string(state_.config.postingAllowed ? "200 " : "201 ") + state_.config.host +
         " Orvel fixture NNRP server ready " + mode;
}

bool Session::loggedIn() const { return !state_.config.authUser || authenticated_; }

Reply Session::greeting() {
  GreetingFaults faults = state_.faults.onConnect(id_);
  Reply reply = lineReply(faults.greeting ? *faults.greeting : greetingLine());
  reply.faults = faults.delivery;
  return reply;
}

void Session::handleLine(std::string_view line, std::deque<Reply>& out) {
  if (receivingArticle_) {
    if (line == ".") {
      finishPost(out);
      return;
    }
    if (line.starts_with("..")) line.remove_prefix(1);
    if (article_.size() + line.size() + 2 > kMaxArticle) articleTooLarge_ = true;
    if (!articleTooLarge_) {
      article_.append(line);
      article_ += "\r\n";
    }
    return;
  }
  Args args = splitWords(line);
  if (args.empty()) {
    out.push_back(lineReply("500 What?"));
    return;
  }
  std::string command = upperAscii(args[0]);
  args.erase(args.begin());
  if (controlCommand(command)) {
    out.push_back(control(command, args, afterCommand(line)));
    return;
  }
  std::string_view groupContext = group_ ? std::string_view(group_->name()) : std::string_view();
  if ((command == "GROUP" || command == "LISTGROUP") && !args.empty()) groupContext = args[0];
  CommandFaults faults = state_.faults.onCommand(id_, command, groupContext);
  Reply reply;
  if (faults.reply) {
    reply = lineReply(*faults.reply);
  } else if (!loggedIn() && !openCommand(command)) {
    reply = lineReply("480 Authentication required for command");
  } else {
    reply = dispatch(command, args, faults.omit);
  }
  bool closeAfter = reply.faults.closeAfter;
  reply.faults = faults.delivery;
  reply.faults.closeAfter = reply.faults.closeAfter || closeAfter;
  out.push_back(std::move(reply));
}

Reply Session::dispatch(const std::string& command, const Args& args, const OmitSet& omit) {
  if (command == "CAPABILITIES") return capabilities();
  if (command == "MODE") {
    if (!args.empty() && equalsNoCase(args[0], "READER")) return lineReply(greetingLine());
    return lineReply("501 Unknown MODE variant");
  }
  if (command == "AUTHINFO") return authinfo(args);
  if (command == "LIST") return list(args);
  if (command == "NEWGROUPS") return newgroups(args);
  if (command == "GROUP") return group(args);
  if (command == "LISTGROUP") return listgroup(args);
  if (command == "XOVER" || command == "OVER") return overview(command, args, omit);
  if (command == "XHDR" || command == "HDR") return headers(command, args, omit);
  if (command == "XPAT") return xpat(args, omit);
  if (command == "ARTICLE" || command == "HEAD" || command == "BODY" || command == "STAT") {
    return article(command, args);
  }
  if (command == "NEXT") return nextLast(true);
  if (command == "LAST") return nextLast(false);
  if (command == "POST") return post();
  if (command == "DATE") return lineReply("111 " + nntpDateTime(state_.now()));
  if (command == "HELP") return help();
  if (command == "QUIT") {
    Reply bye = lineReply("205 Bye!");
    bye.faults.closeAfter = true;
    return bye;
  }
  return lineReply("500 What?");
}

Reply Session::capabilities() {
  std::vector<std::string> lines = {"VERSION 2", "IMPLEMENTATION Orvel fixture news server"};
  if (state_.config.authUser && !authenticated_) lines.push_back("AUTHINFO USER");
  lines.insert(lines.end(), {"HDR", "LIST ACTIVE ACTIVE.TIMES COUNTS HEADERS NEWSGROUPS OVERVIEW.FMT",
                             "OVER"});
  if (state_.config.postingAllowed) lines.push_back("POST");
  lines.insert(lines.end(), {"READER", "XPAT"});
  return multiLine("101 Capability list:", lines);
}

Reply Session::authinfo(const Args& args) {
  if (args.size() < 2) return lineReply("501 Syntax is: AUTHINFO USER name|PASS password");
  if (equalsNoCase(args[0], "USER")) {
    if (authenticated_) return lineReply("502 Already authenticated");
    pendingUser_ = std::string(args[1]);
    return lineReply("381 Enter password");
  }
  if (equalsNoCase(args[0], "PASS")) {
    if (authenticated_) return lineReply("502 Already authenticated");
    if (pendingUser_.empty()) return lineReply("482 Authentication commands issued out of sequence");
    bool ok = !state_.config.authUser ||
              (pendingUser_ == *state_.config.authUser && args[1] == state_.config.authPassword);
    pendingUser_.clear();
    if (!ok) return lineReply("481 Authentication failed");
    authenticated_ = true;
    return lineReply("281 Authentication succeeded");
  }
  return lineReply("501 Unsupported AUTHINFO variant");
}

Reply Session::list(const Args& args) {
  std::string keyword = args.empty() ? "ACTIVE" : upperAscii(args[0]);
  std::string_view pattern = args.size() > 1 ? args[1] : std::string_view("*");
  const auto& groups = state_.store.groups();
  std::vector<std::string> lines;
  auto each = [&](auto line) {
    for (const auto& [name, g] : groups) {
      if (wildmatListMatch(pattern, name)) lines.push_back(line(*g));
    }
  };
  if (keyword == "ACTIVE") {
    each([](const Group& g) { return activeLine(g); });
    return multiLine("215 Newsgroups in form \"group high low status\"", lines);
  }
  if (keyword == "NEWSGROUPS") {
    each([](const Group& g) { return g.name() + "\t" + g.info().description; });
    return multiLine("215 Newsgroup descriptions in form \"group description\"", lines);
  }
  if (keyword == "COUNTS") {
    each([](const Group& g) {
      return g.name() + " " + std::to_string(g.high()) + " " + std::to_string(g.low()) + " " +
             std::to_string(g.count()) + " " + g.info().status;
    });
    return multiLine("215 Newsgroups in form \"group high low count status\"", lines);
  }
  if (keyword == "ACTIVE.TIMES") {
    std::string creator = "news@" + state_.config.host;
    each([&](const Group& g) {
      return g.name() + " " + std::to_string(g.info().created) + " " + creator;
    });
    return multiLine("215 Newsgroup creation times in form \"group time who\"", lines);
  }
  if (keyword == "OVERVIEW.FMT") {
    return multiLine("215 Order of fields in overview database",
                     {"Subject:", "From:", "Date:", "Message-ID:", "References:", "Bytes:",
                      "Lines:", "Xref:full"});
  }
  if (keyword == "HEADERS") {
    return multiLine("215 Headers and metadata items supported", {":", ":bytes", ":lines"});
  }
  return lineReply(
      "501 Syntax is: LIST [ACTIVE|ACTIVE.TIMES|COUNTS|HEADERS|NEWSGROUPS|OVERVIEW.FMT] [wildmat]");
}

Reply Session::newgroups(const Args& args) {
  auto since = args.size() >= 2 ? epochFromNntp(args[0], args[1]) : std::nullopt;
  bool gmt = args.size() >= 3 && equalsNoCase(args[2], "GMT");
  if (!since || args.size() > 3 || (args.size() == 3 && !gmt)) {
    return lineReply("501 Syntax is: NEWGROUPS [yy]yymmdd hhmmss [GMT]");
  }
  if (!gmt) {
    // Without GMT the time is the server's local time.
    std::time_t now = static_cast<std::time_t>(state_.now());
    std::tm local{};
    localtime_r(&now, &local);
    *since -= local.tm_gmtoff;
  }
  std::vector<std::string> lines;
  for (const auto& [name, g] : state_.store.groups()) {
    if (g->info().created >= *since) lines.push_back(activeLine(*g));
  }
  return multiLine("231 New newsgroups follow", lines);
}

Reply Session::post() {
  if (!state_.config.postingAllowed) return lineReply("440 Posting not allowed");
  receivingArticle_ = true;
  articleTooLarge_ = false;
  article_.clear();
  recommendedId_ = state_.store.recommendMessageId(state_.now());
  return lineReply("340 Ok, recommended Message-ID " + recommendedId_);
}

void Session::finishPost(std::deque<Reply>& out) {
  receivingArticle_ = false;
  if (articleTooLarge_) {
    out.push_back(lineReply("441 Article too large"));
  } else {
    out.push_back(lineReply(state_.store.post(article_, state_.now(), recommendedId_).reply));
  }
  article_.clear();
  article_.shrink_to_fit();
}

Reply Session::help() {
  return multiLine("100 Legal commands",
                   {"  ARTICLE [message-ID|number]", "  AUTHINFO USER name|PASS password",
                    "  BODY [message-ID|number]", "  CAPABILITIES", "  DATE",
                    "  GROUP newsgroup", "  HDR header [message-ID|range]",
                    "  HEAD [message-ID|number]", "  HELP", "  LAST",
                    "  LIST [ACTIVE|ACTIVE.TIMES|COUNTS|HEADERS|NEWSGROUPS|OVERVIEW.FMT] [wildmat]",
                    "  LISTGROUP [newsgroup [range]]", "  MODE READER",
                    "  NEWGROUPS [yy]yymmdd hhmmss [GMT]", "  NEXT", "  OVER [range]", "  POST",
                    "  QUIT", "  STAT [message-ID|number]", "  XHDR header [message-ID|range]",
                    "  XOVER [range]", "  XPAT header message-ID|range pattern [pattern ...]",
                    "Control: XFAULT spec|LIST|CLEAR, XNEWGROUP name [count[:seed]] [created=time],",
                    "  XRANGE group low high"});
}

Reply Session::control(const std::string& command, const Args& args, std::string_view rest) {
  if (command == "XFAULT") {
    if (args.size() == 1 && equalsNoCase(args[0], "CLEAR")) {
      state_.faults.clear();
      return lineReply("290 Faults cleared");
    }
    if (args.size() == 1 && equalsNoCase(args[0], "LIST")) {
      return multiLine("291 Faults follow", state_.faults.list());
    }
    auto parsed = parseFault(rest);
    if (auto* error = std::get_if<std::string>(&parsed)) return lineReply("501 " + *error);
    FaultSpec spec = std::get<FaultSpec>(parsed);
    std::string text = describeFault(spec);
    int faultId = state_.faults.add(std::move(spec), state_.nextConnection);
    return lineReply("290 Fault " + std::to_string(faultId) + " set: " + text);
  }
  if (command == "XNEWGROUP") {
    if (args.empty()) return lineReply("501 Syntax is: XNEWGROUP name [count[:seed]] [created=time]");
    GroupInfo info;
    info.created = state_.now();
    std::int64_t count = 0;
    std::uint64_t seed = 1;
    for (std::size_t i = 1; i < args.size(); ++i) {
      if (args[i].starts_with("created=")) {
        auto when = epochFromText(args[i].substr(8));
        if (!when) return lineReply("501 Bad creation time");
        info.created = *when;
      } else {
        std::vector<std::string> parts = splitChar(args[i], ':');
        auto n = parseDecimal(parts[0]);
        auto s = parts.size() > 1 ? parseDecimal(parts[1]) : std::optional<std::int64_t>(1);
        if (!n || *n < 0 || !s || parts.size() > 2) return lineReply("501 Bad article count");
        count = *n;
        seed = static_cast<std::uint64_t>(*s);
      }
    }
    std::string name(args[0]);
    auto source = std::make_unique<GeneratedSource>(state_.config.host, name, count, seed);
    if (!state_.store.add(name, info, std::move(source))) return lineReply("501 Group exists");
    return lineReply("290 Group " + name + " created");
  }
  // XRANGE group low high
  Group* g = args.size() == 3 ? state_.store.find(args[0]) : nullptr;
  auto low = args.size() == 3 ? parseDecimal(args[1]) : std::nullopt;
  auto high = args.size() == 3 ? parseDecimal(args[2]) : std::nullopt;
  if (!g || !low || !high) return lineReply("501 Syntax is: XRANGE group low high");
  auto* generated = dynamic_cast<GeneratedSource*>(&g->base());
  if (!generated) return lineReply("501 Only generated groups can change their range");
  generated->setRange(*low, *high);
  return lineReply("290 " + g->name() + " now " + std::to_string(g->low()) + "-" +
                   std::to_string(g->high()));
}

}  // namespace orvel::fixture
