#pragma once
// The checks a message passes before it is sent. SendChecks looks at the
// message alone and lists, in order, what the window must show: questions
// whose answer may let the send go on, ending at the first plain message,
// which always stops it. ConfirmSend walks that list with the prompter.
// Nothing here changes the message; PreparedForSend gives the cleaned-up copy
// to send once every check has passed.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings.h"
#include "core/prompter.h"
#include "posting/compose_message.h"

namespace orvel {

enum class SendCheck {
  Unchanged,
  Empty,
  NoSubject,
  NoTarget,
  SeveralAddresses,
  BadMailTo,
  BadReplyTo,
  NoGroups,
  TooManyGroups,
  ManyGroups,
  BadFrom,
  BadlyWrappedQuotes,
  ExcessiveQuote,
  InvalidManualHeader,
  DoubleManualHeader,
  ForbiddenManualHeader,
  AttachmentMissing,
  AttachmentUnreadable,
};

// What the window does after an answer.
enum class SendVerdict {
  GoOn,           // the next check, or the send
  Stop,           // back to the editor
  RewrapAndStop,  // rewrap the quoted text, then back to the editor
};

struct CheckFinding {
  SendCheck check;
  std::string text;
  Buttons buttons = kOk;  // kOk: a message, the send stops
  MessageKind kind = MessageKind::Warning;

  bool operator==(const CheckFinding&) const = default;
};

SendVerdict VerdictFor(SendCheck check, Button answer);

enum class AttachmentState { Readable, Missing, Unreadable };
using AttachmentProbe = std::function<AttachmentState(const std::string& path)>;

// Looks at the file itself: present, a regular file, and opens for reading.
AttachmentState ProbeAttachmentFile(const std::string& path);

struct SendCheckContext {
  bool warnBadWrap = true;
  int warnExcessiveQuote = 60;  // percent; 0 never asks
  // The user already answered No to the badly wrapped quotes of this message.
  bool badWrapAccepted = false;
  AttachmentProbe probe = ProbeAttachmentFile;
};

SendCheckContext ContextFromSettings(const Settings& settings);

// The findings in the order they are shown; the last one is a plain message
// when a check refuses the message outright.
std::vector<CheckFinding> SendChecks(const ComposeMessage& message,
                                     const SendCheckContext& context);

struct SendDecision {
  SendVerdict verdict = SendVerdict::GoOn;
  bool badWrapAccepted = false;  // remember for the next send of this message
};

SendDecision ConfirmSend(const std::vector<CheckFinding>& findings, Prompter& prompter);

// Text fields trimmed of surrounding blanks, empty manual header lines
// dropped, and every space removed from the groups and the follow-up groups.
ComposeMessage PreparedForSend(const ComposeMessage& message);

// Whether the groups hold at least count non-empty comma-ended runs, as the
// pattern "(.+,){count,}" would find them; counted in one pass, since that
// pattern backtracks badly on long group lists.
bool HasCommaRuns(std::string_view groups, int count);

}  // namespace orvel
