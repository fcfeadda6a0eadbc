#include "options.h"

#include "core/text.h"
#include "corpus_dir.h"
#include "dates.h"
#include "generated_source.h"

namespace orvel::fixture {

std::variant<GeneratedGroup, std::string> parseGeneratedGroup(std::string_view text) {
  std::vector<std::string> parts = splitChar(text, ':');
  GeneratedGroup g;
  if (parts.size() < 2 || parts.size() > 3 || parts[0].empty()) {
    return "--generate wants GROUP:COUNT[:SEED], not " + std::string(text);
  }
  auto count = parseDecimal(parts[1]);
  auto seed = parts.size() == 3 ? parseDecimal(parts[2]) : std::optional<std::int64_t>(1);
  if (!count || *count < 0 || !seed || *seed < 0) {
    return "--generate wants a count and a seed of 0 or more: " + std::string(text);
  }
  g.name = parts[0];
  g.count = *count;
  g.seed = static_cast<std::uint64_t>(*seed);
  return g;
}

std::variant<Options, std::string> parseOptions(const std::vector<std::string>& args) {
  Options o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= args.size()) return std::nullopt;
      return args[++i];
    };
    if (a == "--help" || a == "-h") {
      o.help = true;
      continue;
    }
    if (a == "--verbose") {
      o.verbose = true;
      continue;
    }
    if (a == "--no-posting") {
      o.config.postingAllowed = false;
      continue;
    }
    auto v = value();
    if (!v) return a.starts_with("--") ? a + " needs a value" : "unknown argument: " + a;
    if (a == "--bind") {
      o.bind = *v;
    } else if (a == "--port") {
      auto port = parseDecimal(*v);
      if (!port || *port < 0 || *port > 65535) return "bad port: " + *v;
      o.port = static_cast<int>(*port);
    } else if (a == "--host") {
      o.config.host = *v;
    } else if (a == "--corpus") {
      o.corpusDirs.push_back(*v);
    } else if (a == "--generate") {
      auto g = parseGeneratedGroup(*v);
      if (auto* error = std::get_if<std::string>(&g)) return *error;
      o.generated.push_back(std::get<GeneratedGroup>(g));
    } else if (a == "--auth") {
      std::size_t colon = v->find(':');
      if (colon == std::string::npos || colon == 0) return "--auth wants USER:PASS";
      o.config.authUser = v->substr(0, colon);
      o.config.authPassword = v->substr(colon + 1);
    } else if (a == "--fault") {
      auto spec = parseFault(*v);
      if (auto* error = std::get_if<std::string>(&spec)) return "--fault " + *v + ": " + *error;
      o.faults.push_back(std::get<FaultSpec>(spec));
    } else if (a == "--created") {
      auto when = epochFromText(*v);
      if (!when) return "--created wants yyyymmddhhmmss or seconds since 1970: " + *v;
      o.created = when;
    } else {
      return "unknown option: " + a;
    }
  }
  return o;
}

void configureServer(Server& server, const Options& options) {
  ServerState& state = server.state();
  for (const std::string& dir : options.corpusDirs) {
    for (LoadedGroup& g : loadCorpusDirectory(dir, state.config.host)) {
      if (!state.store.add(g.name, g.info, std::move(g.source))) {
        throw CorpusError("group " + g.name + " is given twice");
      }
    }
  }
  for (const GeneratedGroup& g : options.generated) {
    GroupInfo info;
    if (options.created) info.created = *options.created;
    auto source = std::make_unique<GeneratedSource>(state.config.host, g.name, g.count, g.seed);
    if (!state.store.add(g.name, info, std::move(source))) {
      throw CorpusError("group " + g.name + " is given twice");
    }
  }
  for (const FaultSpec& f : options.faults) state.faults.add(f, state.nextConnection);
}

std::string helpText() {
  return R"(Usage: orvel-fixture-server [OPTION]...
A news server for tests and demos: serves groups from corpus directories and
generated groups on loopback, and injects faults on command.

Options:
  --bind ADDR       listen on 127.0.0.1 (default), ::1, or localhost (both);
                    no other address is accepted
  --port N          port to listen on; 0 (default) picks a free one. Once
                    listening, "PORT <n>" is printed on standard output.
  --corpus DIR      serve every group of a corpus directory (repeatable):
                    DIR/<group>/<number> article files (LF or CRLF), and an
                    optional DIR/<group>/.info with "description: text",
                    "created: yyyymmddhhmmss" and "status: y|n|m" lines
  --generate GROUP:COUNT[:SEED]
                    a generated group of articles 1..COUNT (repeatable);
                    threads, multi-part subjects, authors, dates and Xref are
                    a pure function of GROUP, SEED (default 1) and the number
  --created TIME    creation time of generated groups, yyyymmddhhmmss (UTC)
                    or seconds since 1970 (default 20000101000000)
  --host NAME       server name in the greeting, Path and Xref
                    (default fixture.invalid)
  --auth USER:PASS  require AUTHINFO USER/PASS: other commands except
                    CAPABILITIES, MODE READER and QUIT answer 480 until
                    logged in; a wrong password answers 481
  --no-posting      greet with 201 and answer POST with 440
  --fault SPEC      install a fault at start (repeatable), see below
  --verbose         log commands and status lines to standard error
  --help            show this text

Fault SPEC (the same text for --fault and the XFAULT control command):
  [cmd=NAME[,NAME...]] [group=NAME] [once|uses=N] [conns=N] KIND ARGS
  KIND ARGS:
    reset BYTES             hard close (RST) after BYTES bytes of the reply
                            (at its end when it is shorter)
    stall SECONDS [after=BYTES]
                            pause before the reply, or after BYTES of it;
                            SECONDS may have decimals
    reply CODE [TEXT]       answer "CODE TEXT" instead of running the
                            command (TEXT defaults to the usual text)
    drip [MS]               send the reply one byte at a time, MS
                            milliseconds apart (default 1)
    omit NUMBERS            leave article numbers out of XOVER, OVER, XHDR,
                            HDR and XPAT output: 5,7,10-12
    greeting CODE [TEXT]    greet with this line; 4xx and 5xx then close
    close-after-greeting    close the connection right after the greeting
  cmd=    only these commands (the greeting is GREETING); without it a fault
          applies to every command it can affect, and reset, stall and
          drip to the greeting as well
  group=  only while this group is selected (or named by GROUP/LISTGROUP)
  once, uses=N   fire N times, then the fault is removed
  conns=N        only on the next N connections accepted

Control commands (on any connection, no login needed, never faulted):
  XFAULT SPEC        install a fault: "290 Fault <id> set: <spec>"
  XFAULT LIST        "291 Faults follow", one "<id>: <spec>" per line
  XFAULT CLEAR       remove every fault: "290 Faults cleared"
  XNEWGROUP NAME [COUNT[:SEED]] [created=TIME]
                     add a generated group (created now unless given), so
                     NEWGROUPS can be tested: "290 Group NAME created"
  XRANGE GROUP LOW HIGH
                     move the marks of a generated group either way

Examples:
  orvel-fixture-server --generate alt.test.big:1000000 --port 0
  orvel-fixture-server --corpus demo --fault 'cmd=ARTICLE once reply 430'
  XFAULT cmd=XOVER once reset 100000
  XFAULT cmd=GROUP group=alt.gone reply 411 No such group alt.gone
)";
}

}  // namespace orvel::fixture
