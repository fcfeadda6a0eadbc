#pragma once
// Editing a message's body in an external editor. ExternalEdit writes the
// body to a file of its own in the temporary directory and reads it back
// when it changes; the window starts the editor with Command() and calls
// Check() each time it is activated again (an editor that forks, as many
// graphical ones do, ends at once while the person is still editing, so the
// end of the process says nothing about the file). When the editor crashes
// or exits with an error, the window calls Abandon(): the text stays as it
// is and the file is left where the message says it is, since it may hold
// work the editor saved before it failed. An editor that cannot be started
// ends the edit with Finish().
//
// The body and the text read back end their lines in CR LF; the file holds
// LF line ends, as the platform's text files do. A line end the editor adds
// at the very end of a body that had none is dropped again.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvel {

inline constexpr std::string_view kNoExternalEditorText =
    "Pour Configurez l'éditeur externe allez à\r\nSpécial/Configurer./Editeur";

// Characters of the caption kept in the file name.
inline constexpr std::size_t kEditFileCaptionLength = 50;

class ExternalEdit {
 public:
  enum class ReadBack { Unchanged, Changed, Vanished, Unreadable };

  ExternalEdit() = default;
  ExternalEdit(const ExternalEdit&) = delete;
  ExternalEdit& operator=(const ExternalEdit&) = delete;
  ~ExternalEdit();

  // Writes body to tempDir + "__edit_" + the first 50 characters of caption
  // made safe for a file name, numbered when that name is taken (an existing
  // file is never overwritten). An edit still open is finished first. False,
  // with the reason in error, when the file cannot be written.
  bool Start(const std::string& tempDir, std::string_view caption, std::string_view body,
             std::string& error);
  // The file being edited; empty when no edit is open.
  const std::string& Path() const;
  // The editor setting split as a shell splits a command line (blanks
  // separate, '...' and "..." quote, a backslash escapes), then the file
  // name as the last argument. Empty when the setting names no program.
  std::vector<std::string> Command(std::string_view editorSetting) const;
  // Changed, with text set to the file's text, when the file's contents
  // differ from what was last written or read back; Vanished and Unreadable
  // leave text alone. Unchanged when no edit is open.
  ReadBack Check(std::string& text);
  // Ends the edit and removes the file (also done on destruction).
  void Finish();
  // Ends the edit and keeps the file.
  void Abandon();

 private:
  std::string path_;
  std::string lastBytes_;  // the file's contents as last written or read
  bool bodyEndsLine_ = false;
};

// What the window says when the edit goes wrong; each says the message's
// text was kept. Empty for Unchanged and Changed.
std::string ReadBackProblemText(ExternalEdit::ReadBack result, std::string_view path);

enum class EditorFailure { NotStarted, Crashed, ExitError };
std::string EditorFailureText(EditorFailure failure, int exitCode, std::string_view path);

}  // namespace orvel
