#pragma once
// What the main window owns for the whole run, filled by its loading steps:
// the lists of folders, identities, profiles and group property sets, the
// settings, the score sections, the plonk list and the key bindings. Each
// part of the program adds its own member here when it is built.

#include "core/perlre.h"

namespace orvel {

struct MainState {
  // "name: value" custom header lines, "*" marking one shown only in mail.
  TPerlre headerLinePattern{true, 0};
};

inline constexpr const char* kHeaderLinePattern =
    "^(\\*?)(([a-zA-Z][a-zA-Z0-9\\.-]+):(\\s+(.+))?)$";

}  // namespace orvel
