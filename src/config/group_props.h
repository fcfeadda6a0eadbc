#pragma once
// Group property sets ("groups.ini"): sections in precedence order, each with
// a "regex" for group names ("~" in front: the groups that do not match) and
// any of the keys below. A group's effective properties start from the global
// settings; each applying set, in order, overrides the keys it holds (a value
// outside the accepted ones changes nothing) and ends the walk unless its
// "continue" is true.
//
//   ColumnLayout, SortOrder (-1 or 1), SortOn (column), MultiPartThreading,
//   ExpandAllThreads, FullScreen, VerticalSplit, AttachDir, DecodeDir,
//   Archive ("*": the group's name), Queue ("*": "_" + group), OnOpen,
//   OnLoaded, AltServers, PostTo, OverrideTo, StorageOpt (0..3), StorageExp
//   (0..90), NewsAttrib, MailAttrib, ForwAttrib, ID (identity name), Name,
//   Email, PublicEmail, Organization, SigFile, IDToken (identity overrides),
//   CustomHeadersCount and CustomHeader1.. (NewCustomHeaders=1 drops those
//   gathered so far), continue.
//
// Booleans there are integers (0 false). The file is only read.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/custom_headers.h"
#include "config/identity.h"
#include "config/profile.h"
#include "core/ini_file.h"
#include "core/perlre.h"

namespace orvel {

struct MainState;

struct TGrpProp {
  TPerlre pattern{true, TPerlre::kCaseless};
  bool negated = false;  // the stored pattern began with "~"
  std::string name;      // section name
  std::vector<std::pair<std::string, std::string>> entries;  // the section's keys, file order

  // Whether the set applies to a group name.
  bool Applies(std::string_view group);
  // A key's value (any case), nothing when the section lacks it.
  const std::string* Value(std::string_view key) const;
  // An integer key (0 when not a number) as a boolean; fallback when absent.
  bool Flag(std::string_view key, bool fallback) const;
};

using GroupPropList = std::vector<TGrpProp>;

// The usable sets of a file, in order: a "regex" that is empty, exactly "~",
// or does not compile drops its section.
GroupPropList ReadGroupProps(const IniFile& ini);

// The effective properties of a group.
struct GroupProps {
  std::string columnLayout;
  int sortOrder = 1;
  int sortOn = 4;
  bool multiPartThreading = true;
  bool expandAllThreads = true;
  bool fullScreen = false;
  bool verticalSplit = false;
  std::string attachDir;  // "/" added when missing (when not empty)
  std::string decodeDir;
  std::string archive;    // folder name, "*" already replaced
  std::string queue;
  std::string onOpen;
  std::string onLoaded;
  std::string altServers;
  std::string postTo;
  std::string overrideTo;
  int storageOpt = 0;
  int storageExp = 7;
  std::string newsAttrib;
  std::string mailAttrib;
  std::string forwAttrib;
  std::string id = kDefaultIdentityName;  // identity name
  std::vector<CustomHeader> customHeaders;
};

void ResolveGroupProps(MainState& main, std::string_view group, GroupProps& result);

// The identity to post with in a group from a profile: the profile's identity,
// replaced by the identity an applying set names with "ID", then by the
// set's own poster keys.
void ResolveIdentity(MainState& main, const TProfile& profile, std::string_view group,
                     TID& result);

}  // namespace orvel
