#pragma once
// ServerSearch: the server pattern searches of a group view (purpose 6).
// Queued "XPAT" arguments ("Subject 1- pattern") run one after the other on
// one search slot; the article numbers of the replies are collected (lines
// that do not start with a number are skipped, "." ends a reply). After the
// last reply the slot goes back and the view fetches the headers of those
// numbers in its search mode (SetSearchList, Refresh(ServerSearch)); the
// view tells the search when that fetch ended, and the search tells its
// owner how many numbers were found.
//
// A refused command or a broken connection is reported by the slots as for
// any request; the search then ends without fetching (Failed()). A thread
// reconstruction runs the same way with the view's reconstruction anchor
// set: the fetched articles keep their scores and the threading pass knows
// a reconstruction runs. The anchor article itself is kept by the caller.
//
// The search registers itself with the view for purpose 6 and must not
// outlive it.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "articles/group_view.h"

namespace orvel {

inline constexpr std::string_view kSearchingText = "Recherche...";
inline constexpr std::string_view kNoArticleFoundText = "No article found.";

class ServerSearch final : public RequestHandler {
 public:
  ServerSearch(TGroupView& view, Prompter& prompter);
  ~ServerSearch() override;
  ServerSearch(const ServerSearch&) = delete;
  ServerSearch& operator=(const ServerSearch&) = delete;

  // One XPAT command without its verb: "Subject 1- pattern".
  void Queue(std::string command);
  // Runs the queued commands; a reconstruction shows "Recherche..." and sets
  // the view's reconstruction anchor for the fetch. False when nothing
  // started (running already, nothing queued, the view busy downloading or
  // closed, or no free connection); the queue is then emptied.
  bool Start(bool reconstruction);
  bool Running() const { return phase_ != Phase::Idle; }
  // The last search ended on a refusal or a broken connection.
  bool Failed() const { return failed_; }
  // The distinct numbers the last search found, in ascending order.
  const std::vector<std::int32_t>& Found() const { return found_; }
  // Told once per started search, when it and its fetch ended: the number of
  // distinct articles found (0: nothing found, or the search failed). A
  // reconstruction that found nothing has shown "No article found." before.
  void SetFinished(std::function<void(std::size_t found)> finished) {
    finished_ = std::move(finished);
  }
  // Told each article number as its reply line arrives (repeats included).
  void SetHit(std::function<void(std::int32_t number)> hit) { hit_ = std::move(hit); }

  // RequestHandler
  void Data(TNNTP& connection, const SlotRequest& request) override;
  void Released(const SlotRequest& request) override;
  void SearchFetched() override;

 private:
  enum class Phase { Idle, Searching, Fetching };

  void sendNext(TNNTP& connection);
  void fetch();
  void finish();

  TGroupView& view_;
  Prompter& prompter_;
  std::deque<std::string> queue_;
  std::vector<std::int32_t> found_;
  std::function<void(std::size_t)> finished_;
  std::function<void(std::int32_t)> hit_;
  Phase phase_ = Phase::Idle;
  bool reconstruction_ = false;
  bool failed_ = false;
};

}  // namespace orvel
