#pragma once
// What a start does when another instance already runs: the first "/url="
// argument is passed to the running instance and this one exits; "/m" makes
// this one go on as a second instance; otherwise the running instance is asked
// to show itself and this one exits. Arguments are walked in order.

#include <string>
#include <vector>

namespace orvel {

struct SecondStart {
  enum class Kind { PassUrl, ShowFirst, RunAsSecond };
  Kind kind = Kind::ShowFirst;
  std::string url;
};

SecondStart DecideSecondStart(const std::vector<std::string>& arguments);

}  // namespace orvel
