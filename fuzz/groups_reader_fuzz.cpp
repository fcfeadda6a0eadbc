// Arbitrary bytes as "groups.ini": reading the property sets and resolving a
// few groups' properties, identity and alternative servers must never crash,
// and every resolved value stays within its accepted range.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "config/alt_servers.h"
#include "config/group_props.h"
#include "config/main_state.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  orvel::MainState main;
  main.headerLinePattern.Compile(orvel::kHeaderLinePattern);
  main.identities.push_back(orvel::TID{orvel::kDefaultIdentityName, "Ann", "a@example.net", "",
                                       "a@example.net", "sig.txt", ""});
  for (const char* alias : {"a", "b", "c"}) {
    auto p = std::make_shared<orvel::TProfile>();
    p->alias = alias;
    p->host = std::string(alias) + ".example.net";
    p->identity = main.identities.front();
    main.profiles.push_back(p);
  }
  main.groupProps = orvel::ReadGroupProps(orvel::IniFile::FromText(text));

  const std::string firstLine(text.substr(0, std::min(text.find('\n'), std::size_t{64})));
  for (const std::string& group : {std::string(), std::string("comp.lang.c"),
                                   std::string("alt.binaries.x"), firstLine}) {
    orvel::GroupProps props;
    orvel::ResolveGroupProps(main, group, props);
    if (props.sortOrder != 1 && props.sortOrder != -1) __builtin_trap();
    if (props.sortOn < -1 || props.sortOn > 6) __builtin_trap();
    if (props.storageOpt < 0 || props.storageOpt > 3) __builtin_trap();
    if (props.storageExp < 0 || props.storageExp > 90) __builtin_trap();
    orvel::TID id;
    orvel::ResolveIdentity(main, *main.profiles[0], group, id);
    if (id.IDToken.size() > 20) __builtin_trap();

    orvel::TAltServs alt(main, main.profiles[0], group);
    for (int i = 0; i < 5; ++i) {
      if (alt.NextServer(*main.profiles[0], i % 2 == 0) && !alt.CurrentServer()) __builtin_trap();
    }
    (void)alt.SubjectCaption();
  }
  return 0;
}
