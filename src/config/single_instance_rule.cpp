#include "config/single_instance_rule.h"

#include "core/text.h"

namespace orvel {

SecondStart DecideSecondStart(const std::vector<std::string>& arguments) {
  for (const auto& arg : arguments) {
    if (startsWithNoCase(arg, "/url=")) return {SecondStart::Kind::PassUrl, arg.substr(5)};
    if (equalsNoCase(arg, "/m")) return {SecondStart::Kind::RunAsSecond, {}};
  }
  return {SecondStart::Kind::ShowFirst, {}};
}

}  // namespace orvel
