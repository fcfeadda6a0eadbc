#include "fault.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/text.h"
#include "text_util.h"

namespace orvel::fixture {

namespace {

struct KindName {
  FaultKind kind;
  std::string_view name;
};
constexpr KindName kKinds[] = {
    {FaultKind::Reset, "reset"},       {FaultKind::Stall, "stall"},
    {FaultKind::Reply, "reply"},       {FaultKind::Drip, "drip"},
    {FaultKind::Omit, "omit"},         {FaultKind::Greeting, "greeting"},
    {FaultKind::CloseAfterGreeting, "close-after-greeting"}};

std::string_view kindName(FaultKind kind) {
  for (const auto& k : kKinds) {
    if (k.kind == kind) return k.name;
  }
  return "?";
}

std::optional<std::int64_t> count(std::string_view text) {
  auto n = parseDecimal(text);
  if (!n || *n < 0 || text[0] == '+' || text[0] == '-') return std::nullopt;
  return n;
}

std::optional<double> seconds(std::string_view text) {
  std::string copy(text);
  char* end = nullptr;
  double value = std::strtod(copy.c_str(), &end);
  if (copy.empty() || *end != '\0' || !std::isfinite(value) || value < 0 || value > 86400) {
    return std::nullopt;
  }
  return value;
}

std::string number(double value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", value);
  return buf;
}

std::optional<std::vector<std::pair<std::int64_t, std::int64_t>>> numberList(std::string_view text) {
  std::vector<std::pair<std::int64_t, std::int64_t>> out;
  for (const std::string& piece : splitChar(text, ',')) {
    std::size_t dash = piece.find('-');
    auto lo = count(dash == std::string::npos ? std::string_view(piece) : std::string_view(piece).substr(0, dash));
    auto hi = dash == std::string::npos ? lo : count(std::string_view(piece).substr(dash + 1));
    if (!lo || !hi || *hi < *lo) return std::nullopt;
    out.emplace_back(*lo, *hi);
  }
  return out;
}

std::string joinWords(const std::vector<std::string_view>& w, std::size_t from) {
  std::string out;
  for (std::size_t i = from; i < w.size(); ++i) {
    if (i > from) out += ' ';
    out.append(w[i]);
  }
  return out;
}

// Reads "name=value" into value when the word has that name.
bool option(std::string_view word, std::string_view name, std::string_view& value) {
  if (word.size() <= name.size() || word[name.size()] != '=' ||
      !equalsNoCase(word.substr(0, name.size()), name)) {
    return false;
  }
  value = word.substr(name.size() + 1);
  return true;
}

}  // namespace

std::string defaultReplyText(int code) {
  switch (code) {
    case 400: return "Service temporarily unavailable";
    case 411: return "No such group";
    case 412: return "Not in a newsgroup";
    case 420: return "Current article number is invalid";
    case 423: return "No such article number";
    case 430: return "No such article";
    case 436: return "Transfer not possible; try again later";
    case 440: return "Posting not allowed";
    case 441: return "Posting failed";
    case 480: return "Authentication required for command";
    case 481: return "Authentication failed";
    case 500: return "What?";
    case 502: return "Permission denied";
    case 503: return "Program fault - command not performed";
    default: return "Fault injected";
  }
}

std::variant<FaultSpec, std::string> parseFault(std::string_view text) {
  FaultSpec spec;
  std::vector<std::string_view> w = splitWords(text);
  bool haveKind = false;
  std::size_t i = 0;
  auto needArg = [&]() -> std::optional<std::string_view> {
    if (i + 1 >= w.size()) return std::nullopt;
    return w[++i];
  };
  for (; i < w.size(); ++i) {
    std::string_view word = w[i];
    std::string_view value;
    if (option(word, "cmd", value)) {
      spec.commands.clear();
      for (const std::string& c : splitChar(value, ',')) {
        if (c.empty()) return std::string("empty command name in cmd=");
        spec.commands.push_back(upperAscii(c));
      }
    } else if (option(word, "group", value)) {
      spec.group = std::string(value);
    } else if (equalsNoCase(word, "once")) {
      spec.uses = 1;
    } else if (option(word, "uses", value)) {
      auto n = count(value);
      if (!n || *n < 1) return "bad uses= count: " + std::string(value);
      spec.uses = n;
    } else if (option(word, "conns", value)) {
      auto n = count(value);
      if (!n || *n < 1) return "bad conns= count: " + std::string(value);
      spec.connections = n;
    } else if (option(word, "after", value)) {
      auto n = count(value);
      if (!n) return "bad after= byte count: " + std::string(value);
      spec.bytes = *n;
    } else if (!haveKind) {
      auto it = std::find_if(std::begin(kKinds), std::end(kKinds),
                             [&](const KindName& k) { return equalsNoCase(k.name, word); });
      if (it == std::end(kKinds)) return "unknown fault kind: " + std::string(word);
      spec.kind = it->kind;
      haveKind = true;
      switch (spec.kind) {
        case FaultKind::Reset: {
          auto arg = needArg();
          auto n = arg ? count(*arg) : std::nullopt;
          if (!n) return std::string("reset needs a byte count");
          spec.bytes = *n;
          break;
        }
        case FaultKind::Stall: {
          auto arg = needArg();
          auto s = arg ? seconds(*arg) : std::nullopt;
          if (!s) return std::string("stall needs a number of seconds");
          spec.seconds = *s;
          break;
        }
        case FaultKind::Drip:
          if (i + 1 < w.size() && seconds(w[i + 1])) spec.dripMs = *seconds(w[++i]);
          break;
        case FaultKind::Omit: {
          auto arg = needArg();
          auto list = arg ? numberList(*arg) : std::nullopt;
          if (!list) return std::string("omit needs article numbers such as 5,7,10-12");
          spec.numbers = *list;
          break;
        }
        case FaultKind::Reply:
        case FaultKind::Greeting: {
          auto arg = needArg();
          auto code = arg && arg->size() == 3 ? count(*arg) : std::nullopt;
          if (!code || *code < 100) return std::string(kindName(spec.kind)) + " needs a three-digit code";
          spec.code = static_cast<int>(*code);
          spec.text = joinWords(w, i + 1);
          if (spec.text.empty()) spec.text = defaultReplyText(spec.code);
          i = w.size();
          break;
        }
        case FaultKind::CloseAfterGreeting:
          break;
      }
    } else {
      return "unexpected word: " + std::string(word);
    }
  }
  if (!haveKind) return std::string("no fault kind given");
  return spec;
}

std::string describeFault(const FaultSpec& spec) {
  std::string out;
  if (!spec.commands.empty()) {
    out += "cmd=";
    for (std::size_t i = 0; i < spec.commands.size(); ++i) {
      if (i) out += ',';
      out += spec.commands[i];
    }
    out += ' ';
  }
  if (!spec.group.empty()) out += "group=" + spec.group + " ";
  if (spec.uses) out += "uses=" + std::to_string(*spec.uses) + " ";
  if (spec.connections) out += "conns=" + std::to_string(*spec.connections) + " ";
  out += kindName(spec.kind);
  switch (spec.kind) {
    case FaultKind::Reset: out += " " + std::to_string(spec.bytes); break;
    case FaultKind::Stall:
      out += " " + number(spec.seconds);
      if (spec.bytes) out += " after=" + std::to_string(spec.bytes);
      break;
    case FaultKind::Drip: out += " " + number(spec.dripMs); break;
    case FaultKind::Omit:
      out += ' ';
      for (std::size_t i = 0; i < spec.numbers.size(); ++i) {
        if (i) out += ',';
        auto [lo, hi] = spec.numbers[i];
        out += std::to_string(lo);
        if (hi != lo) out += "-" + std::to_string(hi);
      }
      break;
    case FaultKind::Reply:
    case FaultKind::Greeting: out += " " + std::to_string(spec.code) + " " + spec.text; break;
    case FaultKind::CloseAfterGreeting: break;
  }
  return out;
}

namespace {

// Puts a reset, stall or drip fault into the reply's delivery unless one of
// its kind is there already; false when it does not.
bool takeDelivery(const FaultSpec& s, ReplyFaults& delivery) {
  if (s.kind == FaultKind::Reset && !delivery.resetAfter) {
    delivery.resetAfter = s.bytes;
  } else if (s.kind == FaultKind::Stall && !delivery.stallAfter) {
    delivery.stallAfter = s.bytes;
    delivery.stallSeconds = s.seconds;
  } else if (s.kind == FaultKind::Drip && !delivery.dripMs) {
    delivery.dripMs = s.dripMs;
  } else {
    return false;
  }
  return true;
}

}  // namespace

bool OmitSet::contains(std::int64_t n) const {
  for (auto [lo, hi] : ranges) {
    if (n >= lo && n <= hi) return true;
  }
  return false;
}

int FaultTable::add(FaultSpec spec, std::uint64_t firstConnection) {
  faults_.push_back({nextId_, std::move(spec), firstConnection});
  return nextId_++;
}

std::vector<std::string> FaultTable::list() const {
  std::vector<std::string> out;
  for (const auto& f : faults_) out.push_back(std::to_string(f.id) + ": " + describeFault(f.spec));
  return out;
}

namespace {

// XOVER and XHDR are the older names of OVER and HDR: a fault names either.
std::string_view standardName(std::string_view command) {
  if (command == "XOVER") return "OVER";
  if (command == "XHDR") return "HDR";
  return command;
}

}  // namespace

bool FaultTable::applies(const Installed& f, std::uint64_t connection, std::string_view command,
                         std::string_view group) const {
  if (f.spec.connections &&
      (connection < f.firstConnection ||
       connection - f.firstConnection >= static_cast<std::uint64_t>(*f.spec.connections))) {
    return false;
  }
  if (!f.spec.group.empty() && f.spec.group != group) return false;
  if (f.spec.commands.empty()) return true;
  return std::any_of(f.spec.commands.begin(), f.spec.commands.end(), [command](const std::string& c) {
    return standardName(c) == standardName(command);
  });
}

void FaultTable::use(std::size_t index) {
  auto& uses = faults_[index].spec.uses;
  if (uses && --*uses <= 0) faults_.erase(faults_.begin() + static_cast<std::ptrdiff_t>(index));
}

GreetingFaults FaultTable::onConnect(std::uint64_t connection) {
  GreetingFaults out;
  std::vector<std::size_t> fired;
  for (std::size_t i = 0; i < faults_.size(); ++i) {
    const FaultSpec& s = faults_[i].spec;
    if (!applies(faults_[i], connection, "GREETING", "")) continue;
    bool fires = takeDelivery(s, out.delivery);
    if (!fires && s.kind == FaultKind::Greeting && !out.greeting) {
      out.greeting = std::to_string(s.code) + " " + s.text;
      // A server that is unavailable says so and hangs up.
      if (s.code >= 400) out.delivery.closeAfter = true;
      fires = true;
    } else if (!fires && s.kind == FaultKind::CloseAfterGreeting && !out.delivery.closeAfter) {
      out.delivery.closeAfter = true;
      fires = true;
    }
    if (fires) fired.push_back(i);
  }
  for (auto it = fired.rbegin(); it != fired.rend(); ++it) use(*it);
  return out;
}

CommandFaults FaultTable::onCommand(std::uint64_t connection, std::string_view command,
                                    std::string_view group) {
  static constexpr std::string_view kListings[] = {"XOVER", "OVER", "XHDR", "HDR", "XPAT"};
  bool listing = std::find(std::begin(kListings), std::end(kListings), command) != std::end(kListings);
  CommandFaults out;
  std::vector<std::size_t> fired;
  for (std::size_t i = 0; i < faults_.size(); ++i) {
    const FaultSpec& s = faults_[i].spec;
    if (!applies(faults_[i], connection, command, group)) continue;
    bool fires = takeDelivery(s, out.delivery);
    if (!fires && s.kind == FaultKind::Reply && !out.reply) {
      out.reply = std::to_string(s.code) + " " + s.text;
      fires = true;
    } else if (!fires && s.kind == FaultKind::Omit && listing) {
      out.omit.ranges.insert(out.omit.ranges.end(), s.numbers.begin(), s.numbers.end());
      fires = true;
    }
    if (fires) fired.push_back(i);
  }
  for (auto it = fired.rbegin(); it != fired.rend(); ++it) use(*it);
  return out;
}

}  // namespace orvel::fixture
