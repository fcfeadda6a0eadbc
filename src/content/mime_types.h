#pragma once
// Content type <-> file extension, the system MIME database as the logic sees
// it. The core reads "/etc/mime.types" and shared-mime-info's "globs2"; the
// Qt shell may pass a QMimeDatabase-backed lookup instead; tests pass a table.

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvel {

class MimeTypeLookup {
 public:
  virtual ~MimeTypeLookup() = default;
  // The registered extension of a content type with its leading "." (".gif"),
  // empty when the type has none. The type is compared without case.
  virtual std::string extensionForType(std::string_view contentType) const = 0;
  // The content type registered for a file name's extension, empty when none.
  virtual std::string typeForFileName(std::string_view fileName) const = 0;
};

// A lookup filled from files in the "mime.types" format ("type ext ext ...")
// and the shared-mime-info "globs2" format ("weight:type:*.ext"). For a type,
// the first extension of the first file that names it wins.
class FileMimeTypes : public MimeTypeLookup {
 public:
  // Adds the entries of one file; a missing or unreadable file adds nothing.
  void loadMimeTypes(const std::string& path);
  void loadGlobs2(const std::string& path);
  // Adds one pair (extension without "."), as the loaders do.
  void add(std::string_view contentType, std::string_view extension);

  std::string extensionForType(std::string_view contentType) const override;
  std::string typeForFileName(std::string_view fileName) const override;

 private:
  std::unordered_map<std::string, std::string> extensionOfType_;
  std::unordered_map<std::string, std::string> typeOfExtension_;
};

// The system's database: /etc/mime.types, then the shared-mime-info globs of
// $XDG_DATA_HOME and $XDG_DATA_DIRS (default /usr/local/share:/usr/share).
std::unique_ptr<FileMimeTypes> SystemMimeTypes();

// `ContentTypeExtension`: the lookup's extension, empty without a lookup.
std::string ContentTypeExtension(const MimeTypeLookup* lookup, std::string_view contentType);

}  // namespace orvel
