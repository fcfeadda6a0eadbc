#pragma once
// ComposeSession: the compose window below the Qt line. It fills a message
// (new, derived from an answered article, or reopened from a folder), keeps
// the identity, targets, personal headers and signature consistent while the
// user edits, runs the checks before sending, and stores the message in the
// Outbox. The window shows Message() and BodyText(), hands edits back
// (Edit(), SetBody()) and asks the user through the prompter; `orvel-cli
// compose` drives the same session without windows.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "articles/mailbox.h"
#include "config/profile.h"
#include "content/article_headers.h"
#include "core/date_format.h"
#include "core/prompter.h"
#include "posting/compose_message.h"
#include "posting/queued_text.h"
#include "posting/send_checks.h"

namespace orvel {

struct MainState;

enum class ComposeKind { New, FollowUp, Mail, FollowUpMail, Forward, Supersede };

inline constexpr std::string_view kEnterNameText = "Entrez votre nom et votre adresse mail  ";
inline constexpr std::string_view kPosterOnlyText =
    "L'auteur de ce message a demandé qu'on lui réponde \r\nuniquement par mail.    \r\n"
    "Acceptez, à moins de bonnes raisons contraires.   ";
inline constexpr std::string_view kMailCopyLine = "[Copie en courrier]";
inline constexpr std::string_view kForwardEnd = "\r\n-=:FIN message retransmis=-\r\n\r\n";
inline constexpr std::string_view kMessageChangedQuestion =
    "Le message a changé. Voulez-vous le sauver  ?";
inline constexpr std::string_view kLargeFileQuestion =
    " Vous postez un gros fichier. Voulez-vous le sauver \r\ndans l'Outbox avant d'envoyer ?"
    "\r\n\r\nOui                 ( Recommandé )\r\nNon=Envoyer maintenant.\r\n"
    "Annuler=Retourner à l'éditeur  .";
inline constexpr std::uint64_t kLargeAttachmentBytes = 3000000;

// The article being answered, as the viewer shows it.
struct AnsweredArticle {
  ArticleHeaders headers;
  std::string headerText;  // the shown header lines, CR LF after each
  std::string body;        // the shown body, CR LF after each line
  std::string selection;   // the viewer's selection; empty when none
};

// Where the session finds the program's state and files.
struct ComposeEnvironment {
  MainState* main = nullptr;
  std::shared_ptr<TProfile> profile;  // the message's server
  std::string baseDir;                // relative signature files
  std::string outboxPath;             // body files of the Outbox and Sent
  std::string sentPath;
  DateFormatSettings dates;
  int tz = 0;  // hours x 100 + minutes
};

// Where a reopened message is stored.
struct FolderEntryRef {
  std::string bodyPath;
  std::uint8_t kind = kStoreOutbox;
  FolderEntryKey key;
};

// What the send command does after the checks.
enum class SendStep {
  Back,          // back to the editor
  Rewrapped,     // the quoted text was rewrapped: back to the editor, which shows it
  Send,          // hand the message to the poster
  SaveThenSend,  // store it in the Outbox, then send the Outbox
};

class ComposeSession {
 public:
  ComposeSession(ComposeEnvironment environment, Prompter& prompter);

  // --- filling
  void OpenNew(std::string_view group);
  // group: the group the article is read in (for the group properties when
  // the article names none).
  void OpenAnswer(ComposeKind kind, const AnsweredArticle& article, std::string_view group);
  // A new message made from a stored article: its groups (group when it
  // names none), subject, Followup-To, References and shown body are kept;
  // the identity, personal headers and Message-ID are the person's own.
  void OpenCopy(const AnsweredArticle& article, std::string_view group);
  // A queued message stored in a folder; from names the entry it replaces
  // when saved. False (with the reason) when the text is not one.
  bool OpenQueued(std::string_view text, std::optional<FolderEntryRef> from, std::string& error);

  // --- what the window shows
  const ComposeMessage& Message() const { return message_; }
  ComposeMessage& Edit() { return message_; }
  const std::string& Caption() const { return caption_; }
  ComposeKind Kind() const { return kind_; }
  // The editor's text: CR LF after a hard line end, soft lines joined.
  std::string BodyText() const;
  // Where the caret goes once the text is shown (a byte offset of
  // BodyText()): the end of what was derived, before the signature; the
  // start for a forward or a new article.
  std::size_t CaretOffset() const { return caret_; }
  // The answered article asked not to be archived: a hint on the switch.
  bool NoArchiveHint() const { return noArchiveHint_; }
  // The identity still has the default name: the window opens the options.
  bool NeedsIdentitySetUp() const { return needsIdentitySetUp_; }
  const std::shared_ptr<TProfile>& Profile() const { return environment_.profile; }
  bool Reopened() const { return reopenedFrom_.has_value(); }

  // --- edits that touch more than one field. Each returns true when the
  // body changed and the window must show BodyText() again.
  void SetBody(std::vector<BodyLine> lines);
  void SetBodyText(std::string_view text);
  bool ChangeIdentity(std::string_view identityName);
  void ChangeProfile(std::shared_ptr<TProfile> profile);
  bool SetPost(bool on);
  bool SetMail(bool on);
  void SetPersonalRow(std::size_t index, bool on);
  // aceRewrap / aceRewrapJoin over the whole text.
  bool Rewrap(bool join);

  // --- sending and saving
  // The checks before sending, asked through the prompter, then the
  // follow-up group picker (pick: the groups chosen, nothing when cancelled)
  // and the large attachment question. The message is left prepared for
  // sending (trimmed, spaces out of the groups) when the answer is to send.
  using GroupPicker = std::function<std::optional<std::string>(const std::string& groups)>;
  SendStep PrepareSend(const SendCheckContext& context, const GroupPicker& pick);
  // The queued texts of the message (one per entry it is stored as).
  std::vector<QueuedText> QueuedTexts(DateTime now) const;
  // Stores the message in a folder. With replace (the Outbox) the entries it
  // was reopened from, or saved as before, are deleted first and the
  // modified flag is cleared; without (a copy kept in Sent) nothing else
  // changes.
  bool SaveTo(const std::string& bodyPath, std::uint8_t kind, DateTime now, bool replace);
  // The entries the last save to the Outbox stored.
  const std::vector<FolderEntryKey>& SavedEntries() const { return savedAs_; }
  bool SaveToOutbox(DateTime now) {
    return SaveTo(environment_.outboxPath, kStoreOutbox, now, true);
  }
  // Closing the window: asks about unsaved changes and saves on Yes. False
  // when the window stays open.
  bool ConfirmClose(DateTime now);

 private:
  void applyIdentity(std::string_view group);
  void loadPersonalRows(std::string_view group);
  void appendSignature();
  void deriveSubject(const AnsweredArticle& article);
  void deriveTargets(const AnsweredArticle& article);
  std::string derivedBody(const AnsweredArticle& article) const;
  // Puts "[Copie en courrier]" first when both targets are on, else takes it out.
  bool placeMailCopyLine();

  ComposeEnvironment environment_;
  Prompter& prompter_;
  ComposeMessage message_;
  ComposeKind kind_ = ComposeKind::New;
  std::string caption_;
  bool noArchiveHint_ = false;
  bool needsIdentitySetUp_ = false;
  bool badWrapAccepted_ = false;
  std::size_t caret_ = 0;
  std::optional<FolderEntryRef> reopenedFrom_;
  // The entries of the last save to the Outbox, replaced by the next one.
  std::string savedPath_;
  std::uint8_t savedKind_ = kStoreOutbox;
  std::vector<FolderEntryKey> savedAs_;
};

}  // namespace orvel
