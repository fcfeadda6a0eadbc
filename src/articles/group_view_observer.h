#pragma once
// What a group view tells the window that shows it. The window redraws from
// these calls and asks the view for the rest; status-bar texts, messages and
// questions go through the view's Prompter. Every call has an empty default
// so a headless user (orvel-cli, tests) overrides only what it needs.

#include <cstdint>
#include <string_view>
#include <vector>

namespace orvel {

class TArticle;
class TNode;

class GroupViewObserver {
 public:
  virtual ~GroupViewObserver() = default;

  // The row list was rebuilt (threading, loading, discarding).
  virtual void rowsChanged() {}
  // These records are about to be freed (discarded, duplicates): whoever
  // keeps pointers to them drops them now. The list is sorted by address
  // (std::binary_search); the rows are rebuilt right after.
  virtual void articlesFreed(const std::vector<TArticle*>& /*sorted*/) {}
  // One row's flags or texts changed.
  virtual void rowChanged(const TNode& /*row*/) {}
  // Every row's flags or texts may have changed; the rows are the same.
  virtual void allRowsChanged() {}
  // count rows go in at first (a thread opened), or go from first (a thread
  // closed). The about-to call comes before the row list changes, the other
  // one after it.
  virtual void rowsAboutToBeInserted(std::int32_t /*first*/, std::int32_t /*count*/) {}
  virtual void rowsInserted() {}
  virtual void rowsAboutToBeRemoved(std::int32_t /*first*/, std::int32_t /*count*/) {}
  virtual void rowsRemoved() {}
  // The window caption ("group :: alias", or the batch progress form).
  virtual void captionChanged(std::string_view /*caption*/) {}
  // The progress bar: its text, and its position out of maximum (a maximum
  // of 0 shows an empty bar).
  virtual void progressText(std::string_view /*text*/) {}
  virtual void progressPosition(std::int64_t /*position*/, std::int64_t /*maximum*/) {}
  // The transfer panel (" bytes/seconds=rate B/s").
  virtual void transferText(std::string_view /*text*/) {}
  // The server information pane: the greeting of the first connection.
  virtual void serverInfo(std::string_view /*greeting*/) {}
  // The stop button (and Escape) can do something.
  virtual void stopEnabled(bool /*enabled*/) {}
  // Menu items depending on the slots or the download may have changed.
  virtual void menusChanged() {}
  // The subject column's caption (alternative servers in use).
  virtual void subjectCaptionChanged(std::string_view /*caption*/) {}
  // A header download ended: ran its ranges, found nothing new, or stopped.
  virtual void downloadEnded() {}
  // The download brought a follow-up to one of the user's articles (the
  // GotReplySound is played).
  virtual void replyToMeArrived() {}
  // The view asks its window to close (a fatal error of its own request).
  virtual void closeRequested() {}
  // A request lost its connection or never got one (code 10000 or more, or
  // a time-out; the server closing it reads as 10054). The progress line or
  // a message shows the text as well; whether it is retried follows.
  virtual void connectionFailed(int /*code*/, std::string_view /*text*/) {}
};

}  // namespace orvel
