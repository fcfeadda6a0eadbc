#include "posting/send_checks.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>

#include "articles/header_utils.h"
#include "config/custom_headers.h"
#include "config/main_state.h"
#include "core/perlre.h"
#include "core/text.h"

namespace orvel {
namespace {

constexpr int kRefusedCommaRuns = 20;
constexpr int kQuestionedCommaRuns = 10;
constexpr std::size_t kShortLineAfterWrap = 15;

// Names a manual header may not set: the program writes them itself.
constexpr std::string_view kForbiddenHeaders =
    "|newsgroups|from|to|followup-to|message-id|path|received|nntp-posting-host|cancel|"
    "supersedes|user-agent|x-status|cc|bcc|x-attachments|subject|date|lines|references|"
    "organization|x-newsreader|x-id|";

CheckFinding Refusal(SendCheck check, std::string text) {
  return {check, std::move(text), kOk, MessageKind::Warning};
}

CheckFinding Question(SendCheck check, std::string text, Buttons buttons) {
  return {check, std::move(text), buttons, MessageKind::Question};
}

bool IsBlankBody(const std::vector<BodyLine>& body) {
  return std::all_of(body.begin(), body.end(),
                     [](const BodyLine& line) { return trimView(line.text).empty(); });
}

std::size_t CharacterCount(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

bool StartsQuoted(const BodyLine& line) { return !line.text.empty() && line.text[0] == '>'; }

// A short unquoted line right after a quoted line the editor wrapped: the
// tail of a quoted line that was too long for the wrap column.
bool HasBadlyWrappedQuote(const std::vector<BodyLine>& body) {
  for (std::size_t i = 1; i < body.size(); ++i) {
    const BodyLine& above = body[i - 1];
    if (above.soft && StartsQuoted(above) && !StartsQuoted(body[i]) &&
        CharacterCount(body[i].text) <= kShortLineAfterWrap)
      return true;
  }
  return false;
}

long QuoteSharePercent(const std::vector<BodyLine>& body) {
  if (body.empty()) return 0;
  const auto quoted = std::count_if(body.begin(), body.end(), StartsQuoted);
  return std::lround(static_cast<double>(quoted) * 100.0 / static_cast<double>(body.size()));
}

std::optional<CheckFinding> CheckMail(const ComposeMessage& m) {
  if (m.mailTo.find(',') != std::string::npos)
    return Refusal(SendCheck::SeveralAddresses,
                   "Orvel ne peut envoyer de mail qu'à une seule adresse.");
  if (!IsValidAddress(ParseFrom(m.mailTo).address, false))
    return Refusal(SendCheck::BadMailTo, "Mail-TO absent ou invalide ");
  if (!IsValidAddress(m.identity.Email, false))
    return Refusal(SendCheck::BadReplyTo, "Adresse manquante ou invalide   ");
  return std::nullopt;
}

// Appends the group findings; true when one of them refuses the message.
bool CheckGroups(const ComposeMessage& m, std::vector<CheckFinding>& findings) {
  if (m.groups.empty()) {
    findings.push_back(Refusal(SendCheck::NoGroups, "Groupes absents ! "));
    return true;
  }
  if (HasCommaRuns(m.groups, kRefusedCommaRuns)) {
    findings.push_back(Refusal(
        SendCheck::TooManyGroups,
        format("Vous n'êtes pas autorisé à poster dans plus de %d groupes. :-(.\r\nDésolé. "
               "(Jory Almec)",
               kRefusedCommaRuns)));
    return true;
  }
  if (HasCommaRuns(m.groups, kQuestionedCommaRuns))
    findings.push_back(Question(SendCheck::ManyGroups,
                                "Voulez-vous vraiment poster sur autant de groupes?\r\nSi oui, "
                                "indiquez un \"suivi sur\" un groupe.",
                                kYesNoCancel));
  if (!IsValidAddress(m.identity.PublicEmail, true)) {
    findings.push_back(Refusal(SendCheck::BadFrom, "Adresse From invalide / absente"));
    return true;
  }
  return false;
}

// The manual header lines from the last to the first.
std::optional<CheckFinding> CheckManualHeaders(const ComposeMessage& m) {
  TPerlre pattern;
  pattern.Compile(kHeaderLinePattern);
  for (auto it = m.manualHeaders.rbegin(); it != m.manualHeaders.rend(); ++it) {
    const std::string& line = *it;
    const std::optional<CustomHeader> header = ParseCustomHeader(pattern, line);
    if (!header || header->on || header->value.empty())
      return Refusal(SendCheck::InvalidManualHeader, "     Entête invalide : " + line);
    const std::string& name = header->name;
    const bool personal =
        std::any_of(m.personalHeaders.begin(), m.personalHeaders.end(),
                    [&](const PersonalHeader& h) { return equalsNoCase(h.name, name); });
    if (personal)
      return Refusal(SendCheck::DoubleManualHeader, "En-tête manuelle double: " + line);
    if (kForbiddenHeaders.find("|" + lowerAscii(name) + "|") != std::string_view::npos)
      return Refusal(SendCheck::ForbiddenManualHeader,
                     "En-tête manuelle interdite / invalide: " + line);
  }
  return std::nullopt;
}

std::optional<CheckFinding> CheckAttachments(const ComposeMessage& m,
                                             const AttachmentProbe& probe) {
  for (const Attachment& a : m.attachments) {
    switch (probe(a.path)) {
      case AttachmentState::Readable:
        break;
      case AttachmentState::Missing:
        return Refusal(SendCheck::AttachmentMissing, "Pièce jointe introuvable : " + a.path);
      case AttachmentState::Unreadable:
        return Refusal(SendCheck::AttachmentUnreadable, "Pièce jointe illisible : " + a.path);
    }
  }
  return std::nullopt;
}

void TrimInPlace(std::string& text) { text = trim(text); }

// What the checks look at: the text fields trimmed of surrounding blanks and
// the empty manual header lines dropped.
ComposeMessage Trimmed(const ComposeMessage& message) {
  ComposeMessage m = message;
  for (std::string* field : {&m.server, &m.groups, &m.followUp, &m.mailTo, &m.subject,
                             &m.references, &m.identity.Name, &m.identity.Email,
                             &m.identity.PublicEmail, &m.identity.Organization})
    TrimInPlace(*field);
  for (PersonalHeader& header : m.personalHeaders) TrimInPlace(header.value);
  for (std::string& line : m.manualHeaders) TrimInPlace(line);
  std::erase_if(m.manualHeaders, [](const std::string& line) { return line.empty(); });
  return m;
}

}  // namespace

SendVerdict VerdictFor(SendCheck check, Button answer) {
  switch (check) {
    case SendCheck::ManyGroups:
      return answer == Button::Yes ? SendVerdict::GoOn : SendVerdict::Stop;
    case SendCheck::BadlyWrappedQuotes:
      if (answer == Button::Yes) return SendVerdict::RewrapAndStop;
      return answer == Button::No ? SendVerdict::GoOn : SendVerdict::Stop;
    case SendCheck::ExcessiveQuote:
      return answer == Button::No ? SendVerdict::GoOn : SendVerdict::Stop;
    default:
      return SendVerdict::Stop;
  }
}

AttachmentState ProbeAttachmentFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return AttachmentState::Missing;
  std::ifstream file(path, std::ios::binary);
  return file.is_open() ? AttachmentState::Readable : AttachmentState::Unreadable;
}

SendCheckContext ContextFromSettings(const Settings& settings) {
  SendCheckContext context;
  context.warnBadWrap = settings.warnBadWrap;
  context.warnExcessiveQuote = settings.warnExcessiveQuote;
  return context;
}

std::vector<CheckFinding> SendChecks(const ComposeMessage& message,
                                     const SendCheckContext& context) {
  const ComposeMessage m = Trimmed(message);
  std::vector<CheckFinding> findings;
  const auto refuse = [&](std::optional<CheckFinding> finding) {
    if (finding) findings.push_back(std::move(*finding));
    return finding.has_value();
  };

  if (!m.modified)
    return {Refusal(SendCheck::Unchanged, "Vous n'avez rien écrit dans ce message !   ")};
  if (IsBlankBody(m.body) && m.attachments.empty())
    return {Refusal(SendCheck::Empty, "Ce message est vide !!")};
  if (m.subject.empty()) return {Refusal(SendCheck::NoSubject, "Sujet vide !!!!!")};
  if (!m.post && !m.mail)
    return {Refusal(SendCheck::NoTarget, "Choisissez: Poster sur le groupe/ Répondre par mail!")};
  if (m.mail && refuse(CheckMail(m))) return findings;
  if (m.post && CheckGroups(m, findings)) return findings;

  if (context.warnBadWrap && !context.badWrapAccepted && m.wordWrap &&
      HasBadlyWrappedQuote(m.body))
    findings.push_back(Question(SendCheck::BadlyWrappedQuotes,
                                "Il semble y avoir du texte cité mal formaté\r\nFormater avec  "
                                "Orvel?",
                                kYesNoCancel));
  if (context.warnExcessiveQuote > 0) {
    const long share = QuoteSharePercent(m.body);
    if (share > context.warnExcessiveQuote)
      findings.push_back(Question(SendCheck::ExcessiveQuote,
                                  "Le texte cité représente " + std::to_string(share) +
                                      "% du texte total\r\n         Réduire le texte cité ?",
                                  kYesNo));
  }
  if (refuse(CheckManualHeaders(m))) return findings;
  refuse(CheckAttachments(m, context.probe));
  return findings;
}

SendDecision ConfirmSend(const std::vector<CheckFinding>& findings, Prompter& prompter) {
  SendDecision decision;
  for (const CheckFinding& finding : findings) {
    if (finding.buttons == kOk) {
      prompter.message(finding.text, finding.kind);
      decision.verdict = SendVerdict::Stop;
      return decision;
    }
    const Button answer = prompter.ask(finding.text, finding.buttons, finding.kind);
    decision.verdict = VerdictFor(finding.check, answer);
    if (finding.check == SendCheck::BadlyWrappedQuotes && answer == Button::No)
      decision.badWrapAccepted = true;
    if (decision.verdict != SendVerdict::GoOn) return decision;
  }
  return decision;
}

ComposeMessage PreparedForSend(const ComposeMessage& message) {
  ComposeMessage m = Trimmed(message);
  std::erase(m.groups, ' ');
  std::erase(m.followUp, ' ');
  return m;
}

bool HasCommaRuns(std::string_view groups, int count) {
  // Greedy: closing each run at the first comma that has a character before
  // it finds the most runs; "." stops at a line feed.
  int runs = 0;
  std::size_t length = 0;
  for (const char c : groups) {
    if (c == '\n') {
      runs = 0;
      length = 0;
    } else if (c == ',' && length > 0) {
      if (++runs >= count) return true;
      length = 0;
    } else {
      ++length;
    }
  }
  return count <= 0;
}

}  // namespace orvel
