#include "articles/progress_texts.h"

#include <algorithm>

#include "core/text.h"

namespace orvel {

std::string SlotBarText(int slot, std::string_view alias, std::string_view action) {
  return format("%d. %.*s %.*s", slot, static_cast<int>(alias.size()), alias.data(),
                static_cast<int>(action.size()), action.data());
}

std::string ConnectingText(std::string_view alias, std::string_view host) {
  std::string text = "Se connecte à ";
  text += alias;
  text += " (";
  text += host;
  text += ')';
  return text;
}

std::string TransferRateText(std::int64_t bytes, std::int64_t elapsedMs) {
  if (elapsedMs <= 0) return {};
  const double seconds = static_cast<double>(elapsedMs) / 1000.0;
  return format(" %lld/%.0f=%.0f B/s", static_cast<long long>(bytes), seconds,
                static_cast<double>(bytes) / seconds);
}

std::string CountdownText(std::int64_t seconds) {
  return "Tentative dans " + std::to_string(seconds) + " secs.  Echap. pour arréter.";
}

std::string ServerCaption(std::string_view group, std::string_view alias) {
  return std::string(group) + " :: " + std::string(alias);
}

std::string FolderCaption(std::string_view folder) { return "/" + std::string(folder) + "/"; }

std::string ClockText(std::int64_t seconds) {
  seconds = std::max<std::int64_t>(seconds, 0);
  return format("%.2lld:%.2lld:%.2lld", static_cast<long long>(seconds / 3600),
                static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
}

std::string BatchCaption(std::string_view alias, std::string_view group, std::int64_t bytesDone,
                         std::int64_t bytesLeft, std::int64_t elapsedMs) {
  const double done = static_cast<double>(std::max<std::int64_t>(bytesDone, 0));
  const double left = static_cast<double>(std::max<std::int64_t>(bytesLeft, 0));
  const double total = done + left;
  const double percent = total > 0 ? 100.0 * done / total : 0.0;
  const double seconds = static_cast<double>(std::max<std::int64_t>(elapsedMs, 0)) / 1000.0;
  const double rate = seconds > 0 ? done / 1024.0 / seconds : 0.0;
  const std::int64_t secondsLeft =
      rate > 0 ? static_cast<std::int64_t>(left / 1024.0 / rate + 0.5) : 0;
  return format("%.*s::%.*s | %.0f%% done %.0fK in %s (%.2fK/s) | %.0fK %s left",
                static_cast<int>(alias.size()), alias.data(), static_cast<int>(group.size()),
                group.data(), percent, done / 1024.0,
                ClockText(static_cast<std::int64_t>(seconds)).c_str(), rate, left / 1024.0,
                ClockText(secondsLeft).c_str());
}

}  // namespace orvel
