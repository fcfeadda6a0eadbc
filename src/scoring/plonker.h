#pragma once
// TPlonker: the killfile of authors. An author (name and address, compared
// without case) on the list gets the score -9999 while the overview is
// parsed, until the entry's expiry day.
//
// The file ("plonker.ini") holds one entry per CRLF line: name TAB address
// TAB expiry, the expiry a day number (days since 1899-12-30, 0 = never).
// Membership goes through a hash set of "name TAB address"; the entries are
// kept sorted by name then address (byte order) for the list window. The
// file is rewritten, atomically, only when the list changed.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "articles/xover.h"
#include "core/date_format.h"
#include "core/hash.h"

namespace orvel {

struct PlonkEntry {
  std::string name;     // lower case
  std::string address;  // lower case
  std::int32_t expiry = 0;
};

class TPlonker final : public AuthorTest {
 public:
  TPlonker();

  // Reads path (a missing file gives an empty list). Entries whose expiry is
  // not 0 and not after today are dropped, which marks the list modified.
  void Load(const std::string& path, std::int32_t today);
  // Writes the list when it was modified; true when there was nothing to do
  // or the file was written, else false with error set.
  bool Save(std::string* error = nullptr);

  bool IsPlonked(std::string_view name, std::string_view address) const override;
  // The index of the new entry, or -1 when the pair is there already and
  // replace is not set.
  int AddPlonk(std::string_view name, std::string_view address, bool replace,
               std::int32_t expiry);
  // False when the pair is not on the list.
  bool RemovePlonk(std::string_view name, std::string_view address);

  const std::vector<PlonkEntry>& Entries() const { return entries_; }
  const std::string& Path() const { return path_; }
  void SetPath(std::string path) { path_ = std::move(path); }
  bool Modified() const { return modified_; }

 private:
  int indexOf(std::string_view name, std::string_view address) const;
  int insertionPoint(std::string_view name, std::string_view address) const;

  std::string path_;
  THash<const int> keys_;
  std::vector<PlonkEntry> entries_;
  bool modified_ = false;
};

// The hash key of a pair: lowered name TAB lowered address.
std::string PlonkKey(std::string_view name, std::string_view address);

// Today's day number in local time (the integer part of the current date).
std::int32_t TodayDayNumber();

// An entry's expiry in the short date format; empty for never.
std::string PlonkExpiryText(std::int32_t expiry, const DateFormatSettings& formats);

}  // namespace orvel
