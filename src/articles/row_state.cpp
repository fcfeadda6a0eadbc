#include "articles/row_state.h"

namespace orvel {

RowState RowStateOf(const TNode& node) {
  const TArticle* article = node.AsArticle();
  if (!article) return RowState::None;  // a thread row shows its tree, not a state
  if (node.Has(NodeFlag::Missing)) return RowState::Missing;
  if (node.Has(NodeFlag::Fetching)) return RowState::Fetching;
  if (node.Has(NodeFlag::ReplyToMe)) return RowState::ReplyToMe;
  if (node.Has(NodeFlag::Kept)) return RowState::Kept;
  if (node.Has(NodeFlag::HasAttachments)) return RowState::Attachments;
  if (node.Has(NodeFlag::Posted) || node.Has(NodeFlag::MailSent)) return RowState::Sent;
  if (article->BodyOffset >= 0) return RowState::Stored;
  return RowState::None;
}

}  // namespace orvel
