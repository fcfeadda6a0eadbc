#pragma once
// TGrpInfo and TGrpCat: one newsgroup of a server as the group list knows it,
// and a user-made category of subscribed groups. The group list owns both; a
// group view copies a record's read state when it opens and hands it back.

#include <cstdint>
#include <string>
#include <vector>

#include "core/ranges.h"

namespace orvel {

enum class SubscriptionState : std::uint8_t { Unsubscribed = 1, Subscribed = 2, New = 4 };

// Where a group's headers and bodies are kept; Default leaves it to the
// group properties.
enum class StorageMode : std::uint8_t { Default = 0, Nothing = 1, Headers = 2, Bodies = 3 };

// The ".Orvelrc" character of a storage mode (":", "~", "#", "@") and back.
char StorageModeChar(StorageMode mode);
StorageMode StorageModeFromChar(char c);

struct TGrpCat;

struct TGrpInfo {
  SubscriptionState state = SubscriptionState::New;
  StorageMode storage = StorageMode::Default;
  std::string name;     // as the server spells it
  ReadRanges read;      // read ranges and their needs-normalising flag
  std::string toFetch;  // articles marked for later retrieval, range syntax
  std::int32_t first = -1;
  std::int32_t last = -1;
  std::int32_t unread = -1;
  std::int32_t total = -1;
  std::int32_t spare = -1;
  TGrpCat* category = nullptr;
  // Bookkeeping of the group list: the number of the last full list that
  // named the group (records a full list leaves out are dropped).
  std::uint32_t listMark = 0;

  bool subscribed() const { return state == SubscriptionState::Subscribed; }
};

struct TGrpCat {
  std::string name;
  std::vector<TGrpInfo*> groups;
  bool expanded = false;
  std::int32_t spare = -1;
};

}  // namespace orvel
