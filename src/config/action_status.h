#pragma once
// Which commands of the action tables are built. Every one is, except the
// few listed in action_status.cpp, which their windows show greyed until
// they are; orvel-cli actions prints the lot, and a GUI test checks the
// list against what each window really wires.

#include <string_view>

#include "config/actions.h"

namespace orvel {

bool ActionBuilt(ActionWindow window, std::string_view name);

}  // namespace orvel
