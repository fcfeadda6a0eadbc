#pragma once
// Crash safety for messages being composed: each open compose window keeps
// its message, as queued text, in a draft file of its own that it rewrites
// every few seconds and removes once the message is saved or dropped. A
// draft still there at the next start belongs to a program that ended
// without closing its windows.
//
// Drafts live in foldersDir + "drafts/" and are named "draft-<pid>-<n>.txt"
// after the process that writes them. A draft is left behind when no
// DraftFile of this process holds it and its pid names no running process.
// A draft of another running instance is so never touched; a process that
// took over the pid of a crashed one only delays the draft's recovery until
// that process ends. This needs nothing but the process table, no locks.

#include <string>
#include <string_view>
#include <vector>

namespace orvel {

class DraftFile {
 public:
  // Picks a name no draft file has yet.
  explicit DraftFile(std::string foldersDir);
  DraftFile(const DraftFile&) = delete;
  DraftFile& operator=(const DraftFile&) = delete;
  // Keeps the file: a window closed without saving or dropping its message
  // leaves its draft for the next start.
  ~DraftFile();

  // Replaces the draft's text at once (temporary file, then rename), creating
  // the directory and the file on the first write. False when it cannot.
  bool Write(std::string_view queuedText);
  // After a save to the Outbox or a discard; a later Write creates it again.
  void Remove();
  const std::string& Path() const;

 private:
  std::string path_;
};

// Drafts left by a program that did not close them, oldest first, so the
// caller can store them in the Outbox and then delete each file. A draft
// that cannot be read is not listed (and so not deleted).
struct LeftDraft {
  std::string path;
  std::string text;
};
std::vector<LeftDraft> LeftDrafts(const std::string& foldersDir);

}  // namespace orvel
