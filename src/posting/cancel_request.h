#pragma once
// Cancelling articles from a group view: one control message per article,
// one after another, each on a connection the view lends for a cancel. A
// single article ends with "Cancel envoyé !     "; in a series each
// cancelled article is marked deleted. The control messages carry the
// Cancel-Key of the view's identity.

#include <functional>
#include <string>
#include <vector>

#include "articles/group_view.h"
#include "posting/cancel_message.h"

namespace orvel {

class CancelRequest final : public RequestHandler {
 public:
  // secret: the identity's Cancel-Lock secret, empty for none. Registers
  // as the view's cancel handler until destroyed.
  CancelRequest(TGroupView& view, std::string secret);
  ~CancelRequest() override;
  CancelRequest(const CancelRequest&) = delete;
  CancelRequest& operator=(const CancelRequest&) = delete;

  // Cancels the articles (records of the view); false when a cancel runs or
  // there is nothing to cancel.
  bool Start(std::vector<TArticle*> articles);
  bool Running() const { return index_ < articles_.size(); }
  // After the series: how many the server took.
  std::function<void(int cancelled)> onFinished;

 private:
  void next();
  void finish();
  void Data(TNNTP& connection, const SlotRequest& request) override;
  void BeginPost(TNNTP& connection, const SlotRequest& request) override;
  void EndPost(TNNTP& connection, const SlotRequest& request) override;
  void Released(const SlotRequest& request) override;

  TGroupView& view_;
  std::string secret_;
  std::vector<TArticle*> articles_;
  std::size_t index_ = 0;
  int cancelled_ = 0;
  bool accepted_ = false;  // the current article's cancel was taken
};

// What the control message of a view's article says (the view's group as
// its groups).
CancelTarget CancelTargetOf(const TGroupView& view, const TArticle& article);

}  // namespace orvel
