#pragma once
// ComposeMessage: everything the compose window holds for one outgoing
// message, as plain data. The window edits it, the checks before sending
// read it, and the queued text is written from it and read back into it.

#include <cstdint>
#include <string>
#include <vector>

#include "config/identity.h"

namespace orvel {

// The attachment options, by their index in the option list.
enum class AttachmentMode : int {
  Together = 0,            // one message, the same subject
  Separately = 1,          // one message per attachment
  SeparatelyTextFirst = 2, // one per attachment, the text in the first
  SeparatelyTextEach = 3,  // one per attachment, the text in each
};

struct Attachment {
  std::string path;        // as listed; written as the file name
  std::uint64_t size = 0;  // bytes

  bool operator==(const Attachment&) const = default;
};

struct AttachmentOptions {
  AttachmentMode mode = AttachmentMode::Together;
  bool mime = false;
  bool showFileCount = false;
  bool yEnc = false;
  int cutSize = 8000;  // lines without yEnc, bytes with it

  bool operator==(const AttachmentOptions&) const = default;
};

// A personal header row: a switch, the name and an editable value.
struct PersonalHeader {
  bool on = false;
  std::string name;
  std::string value;

  bool operator==(const PersonalHeader&) const = default;
};

// One line of the editor, without its line end. A soft line was wrapped by
// the editor; the others end where the user pressed Enter. Text carries no
// CR or LF.
struct BodyLine {
  std::string text;
  bool soft = false;

  bool operator==(const BodyLine&) const = default;
};

struct ComposeMessage {
  // Targets.
  std::string server;    // the server profile's server name
  std::string groups;    // comma-separated
  std::string followUp;  // Followup-To
  std::string mailTo;    // one address, "Name <address>" when there is a name
  bool post = false;
  bool mail = false;

  std::string subject;
  bool noArchive = false;  // "X-No-Archive: yes"
  bool newThread = false;  // drop the References
  std::string references;  // of the answered article

  // Identity: name is the identity's name, Name the poster's name, Email the
  // Reply-To (real) address, PublicEmail the From address, then
  // Organization, IDToken and SigFile; all editable per message.
  TID identity;

  std::vector<PersonalHeader> personalHeaders;
  std::vector<std::string> manualHeaders;  // "Name: value" lines as typed

  std::vector<Attachment> attachments;
  AttachmentOptions attachmentOptions;

  std::vector<BodyLine> body;

  // State.
  bool mailSent = false;   // set by the poster when only part was sent
  bool posted = false;
  bool keepCopy = false;
  bool wordWrap = true;
  bool modified = false;   // changed since the window opened
  bool hasSignature = false;

  bool operator==(const ComposeMessage&) const = default;
};

// The X-Status bits, also the queue record's flags.
enum XStatusBit : unsigned {
  kXStatusMailWanted = 1,
  kXStatusMailSent = 2,
  kXStatusPostWanted = 4,
  kXStatusPosted = 8,
  kXStatusKeepCopy = 16,
  kXStatusWordWrapOff = 32,
  kXStatusNewThread = 64,
};

}  // namespace orvel
