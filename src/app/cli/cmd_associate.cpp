// orvel-cli associate [--yes] [--snews | --no-snews]: makes the orvel program
// beside orvel-cli the desktop's handler of news links, as the options
// window's "Associer les liens news..." button does. --yes answers the first
// question and --snews or --no-snews the second; without them and without a terminal the
// command fails naming them, it never answers for the person.

#include <unistd.h>

#include <QCoreApplication>

#include <filesystem>
#include <ostream>

#include "app/cli/commands.h"
#include "app/cli/terminal_prompter.h"
#include "config/news_association.h"

namespace orvel::cli {

namespace {

constexpr const char* kUsage = "usage: orvel-cli associate [--yes] [--snews | --no-snews]\n";

struct AssociateArgs {
  bool yes = false;
  std::optional<Button> secure;  // --snews, --no-snews
};

std::optional<std::string> parse(const std::vector<std::string>& args, AssociateArgs& out) {
  for (const std::string& a : args) {
    if (a == "--yes") {
      out.yes = true;
    } else if (a == "--snews" || a == "--no-snews") {
      if (out.secure) return std::string("give --snews or --no-snews once");
      out.secure = a == "--snews" ? Button::Yes : Button::No;
    } else {
      return "unexpected argument " + a;
    }
  }
  return std::nullopt;
}

// The flags answer their own question; the terminal asks the rest. Errors go
// to the error stream as the command's failure, "Done!" to the output.
class AssociatePrompter final : public NullPrompter {
 public:
  AssociatePrompter(CliContext& context, const AssociateArgs& args)
      : context_(context), args_(args), terminal_(context.err, TerminalInput()) {}

  void message(std::string_view text, MessageKind kind, std::string_view) override {
    if (kind == MessageKind::Error) {
      context_.err << "orvel-cli associate: " << text << '\n';
    } else {
      context_.out << text << '\n';
    }
  }

  Button ask(std::string_view text, Buttons buttons, MessageKind kind,
             std::string_view caption) override {
    const bool secure = text == kSecureLinksQuestion;
    if (secure && args_.secure) return *args_.secure;
    if (!secure && args_.yes) return Button::Yes;
    const Button answer = terminal_.ask(text, buttons, kind, caption);
    if (flags_.empty() && !terminal_.unanswered().empty()) {
      flags_ = secure ? "--snews or --no-snews" : "--yes";
    }
    return answer;
  }

  // The question nobody could answer, with its flags; empty when none.
  std::string unanswered() const {
    return flags_.empty() ? std::string() : terminal_.UnansweredReason(flags_);
  }

 private:
  CliContext& context_;
  const AssociateArgs& args_;
  TerminalPrompter terminal_;
  std::string flags_;
};

// The GUI program: beside orvel-cli when installed, in gui/ of the build tree.
std::optional<std::string> guiProgram(std::string& looked) {
  const std::filesystem::path dir =
      QCoreApplication::applicationDirPath().toStdString();
  for (const auto& candidate : {dir / "orvel", dir / "gui" / "orvel"}) {
    looked += (looked.empty() ? "" : " and ") + candidate.string();
    std::error_code ec;
    if (std::filesystem::is_regular_file(candidate, ec) &&
        ::access(candidate.c_str(), X_OK) == 0) {
      return candidate.lexically_normal().string();
    }
  }
  return std::nullopt;
}

}  // namespace

int cmdAssociate(CliContext& context) {
  AssociateArgs args;
  if (const auto problem = parse(context.args, args)) {
    context.err << "orvel-cli associate: " << *problem << '\n' << kUsage;
    return 2;
  }
  std::string looked;
  const std::optional<std::string> program = guiProgram(looked);
  if (!program) {
    context.err << "orvel-cli associate: the orvel program is not beside orvel-cli (looked for "
                << looked << ")\n";
    return 1;
  }
  AssociatePrompter prompter(context, args);
  const AssociationOutcome outcome =
      AssociateNewsLinks({*program, UserApplicationsDir(), RunXdgMime}, prompter);
  if (const std::string reason = prompter.unanswered(); !reason.empty()) {
    context.err << "orvel-cli associate: " << reason << '\n';
    return 1;
  }
  switch (outcome) {
    case AssociationOutcome::Done:
      return 0;
    case AssociationOutcome::Declined:
      context.err << "orvel-cli associate: nothing changed: the question was not answered Yes\n";
      return 1;
    case AssociationOutcome::Failed:
      return 1;
  }
  return 1;
}

}  // namespace orvel::cli
