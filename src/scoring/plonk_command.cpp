#include "scoring/plonk_command.h"

#include <string>

namespace orvel {

std::int32_t PlonkExpiry(std::int64_t days, std::int32_t today) {
  return days == 0 ? 0 : static_cast<std::int32_t>(today + days);
}

PlonkOutcome PlonkAuthor(TPlonker& plonker, std::string_view name, std::string_view address,
                         std::int32_t today, Prompter& prompter) {
  const std::string caption = "     " + std::string(name) + ":" + std::string(address);
  const auto days =
      prompter.inputNumber(caption, kPlonkDaysPrompt, kPlonkDefaultDays, 0, kPlonkMaxDays);
  if (!days) return PlonkOutcome::Cancelled;
  if (plonker.AddPlonk(name, address, false, PlonkExpiry(*days, today)) < 0) {
    prompter.status(kAlreadyPlonkedText);
    return PlonkOutcome::AlreadyPlonked;
  }
  prompter.status(kPlonkedText);
  return PlonkOutcome::Added;
}

}  // namespace orvel
