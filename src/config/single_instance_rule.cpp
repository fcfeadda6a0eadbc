#include "config/single_instance_rule.h"

#include "config/news_url.h"
#include "core/text.h"

namespace orvel {

SecondStart DecideSecondStart(const std::vector<std::string>& arguments) {
  for (const auto& arg : arguments) {
    if (std::optional<std::string> url = UrlArgument(arg)) return {SecondStart::Kind::PassUrl, *url};
    if (equalsNoCase(arg, "/m")) return {SecondStart::Kind::RunAsSecond, {}};
  }
  return {SecondStart::Kind::ShowFirst, {}};
}

}  // namespace orvel
