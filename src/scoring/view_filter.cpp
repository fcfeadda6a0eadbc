#include "scoring/view_filter.h"

#include <algorithm>
#include <string>

#include "core/perlre.h"

namespace orvel {

std::int32_t MultiPartState(const TArticle& article) {
  if (article.PartNumber < 0) return 0;
  const TAThread* thread = article.Thread;
  if (!thread || !thread->IsMultiPart() || thread->PartsTotal < 2) return 1;
  return thread->PartsPresent < thread->PartsTotal ? 2 : 3;
}

ViewFilter::ViewFilter(ViewLists& lists, ViewFilterHost& host) : lists_(lists), host_(host) {}

std::vector<TArticle*>& ViewFilter::workTarget() {
  return lists_.viewList == &work_[0] ? work_[1] : work_[0];
}

template <typename Keep>
void ViewFilter::keepCurrent(std::vector<TArticle*>& target, Keep keep) const {
  target.clear();
  for (TArticle* a : lists_.ViewList()) {
    if (keep(*a)) target.push_back(a);
  }
}

template <typename Keep>
void ViewFilter::keepThreads(std::vector<TArticle*>& target, Keep keep) const {
  target.clear();
  for (TNode* root : lists_.rootList) {
    if (TArticle* a = root->AsArticle()) {
      if (keep(*a)) target.push_back(a);
      continue;
    }
    const std::vector<TArticle*>& articles = root->AsThread()->Articles;
    if (std::any_of(articles.begin(), articles.end(), [&](const TArticle* a) { return keep(*a); })) {
      target.insert(target.end(), articles.begin(), articles.end());
    }
  }
}

void ViewFilter::buildInverse(std::vector<TArticle*>& target) const {
  std::vector<const TArticle*> shown(lists_.ViewList().begin(), lists_.ViewList().end());
  std::sort(shown.begin(), shown.end());
  target.clear();
  for (TArticle* a : lists_.masterList) {
    if (!std::binary_search(shown.begin(), shown.end(), a)) target.push_back(a);
  }
}

bool ViewFilter::buildThreadRebuild(std::vector<TArticle*>& target) const {
  const TArticle* current = host_.CurrentArticle();
  if (!current) return false;
  // The thread's root: the first Message-ID of References, else the article.
  std::string root(current->MessageID.view());
  TPerlre first;
  // The match keeps a view of the text it was given.
  const std::string references = current->References.str();
  if (first.CompileAndMatch("^\\s*(<[^>]+>)", references)) root = first.SubExp(1);
  const std::string own(current->MessageID.view());
  std::string scratch;
  const auto inThread = [&](const TArticle& a) {
    const std::string_view refs = a.References.Text(scratch);
    return refs.find(root) != std::string_view::npos ||
           refs.find(own) != std::string_view::npos || a.MessageID.view() == root;
  };
  keepCurrent(target, [&](const TArticle& a) { return !inThread(a); });
  for (TArticle* a : lists_.masterList) {
    if (inThread(*a)) target.push_back(a);
  }
  return true;
}

bool ViewFilter::queued(const TArticle& article) const {
  return article.QueuePosition != -1 || host_.BeingProcessed(article);
}

bool ViewFilter::Apply(std::int32_t mode, bool refilter) {
  std::vector<TArticle*>* before = lists_.viewList ? lists_.viewList : &lists_.masterList;
  if (!refilter) {
    if (before->empty()) lists_.viewList = nullptr;
    host_.ThreadViewList(lists_.viewList == &quick_.List());
    return true;
  }
  std::vector<TArticle*>* result = &workTarget();
  std::vector<TArticle*>& target = *result;
  const DateTime today = host_.Today();
  const auto passes = [&](const TArticle& a) { return dialog_.Pass(a, today); };
  switch (mode) {
    case kFilterAll:
      result = &lists_.masterList;
      break;
    case kFilterDialog:
      if (dialog_.Form().addToCurrent) {
        keepCurrent(target, passes);
      } else {
        target.clear();
        std::copy_if(lists_.masterList.begin(), lists_.masterList.end(), std::back_inserter(target),
                     [&](const TArticle* a) { return passes(*a); });
      }
      break;
    case kFilterQuick:
      result = &quick_.List();
      break;
    case kFilterHideNonBinaries:
      keepCurrent(target, [](const TArticle& a) { return MultiPartState(a) != 0; });
      break;
    case kFilterHideIncomplete:
      keepCurrent(target, [](const TArticle& a) { return MultiPartState(a) != 2; });
      break;
    case kFilterMultipart:
      keepCurrent(target, [](const TArticle& a) { return MultiPartState(a) >= 2; });
      break;
    case kFilterCompleteMultipart:
      keepCurrent(target, [](const TArticle& a) { return MultiPartState(a) == 3; });
      break;
    case kFilterScore:
      keepCurrent(target,
                  [&](const TArticle& a) { return a.EffectiveScore(keptScore_) >= threshold_; });
      break;
    case kFilterServerSearch:
      target.clear();
      std::copy_if(lists_.masterList.begin(), lists_.masterList.end(), std::back_inserter(target),
                   [&](const TArticle* a) { return a->Score == searchScore_; });
      break;
    case kFilterNew:
      keepCurrent(target, [](const TArticle& a) { return !a.Has(NodeFlag::Old); });
      break;
    case kFilterQueued:
      keepCurrent(target, [&](const TArticle& a) { return queued(a); });
      break;
    case kFilterUnread:
      keepCurrent(target, [](const TArticle& a) { return !a.Has(NodeFlag::Read); });
      break;
    case kFilterInvert:
      buildInverse(target);
      break;
    case kFilterStored:
      keepCurrent(target, [](const TArticle& a) { return a.BodyOffset != -1; });
      break;
    case kFilterUndo:
      if (!previous_) return false;
      result = previous_;
      break;
    case kFilterRebuildThread:
      if (!buildThreadRebuild(target)) return false;
      break;
    case kFilterThreadsNew:
      keepThreads(target, [](const TArticle& a) { return !a.Has(NodeFlag::Old); });
      break;
    case kFilterThreadsScored:
      keepThreads(target, [](const TArticle& a) { return a.Score >= 1; });
      break;
    case kFilterThreadsUnread:
      keepThreads(target, [](const TArticle& a) { return !a.Has(NodeFlag::Read); });
      break;
    case kFilterThreadsQueued:
      keepThreads(target, [&](const TArticle& a) { return queued(a); });
      break;
    default:
      return false;
  }
  if (mode == kFilterUndo) {
    previous_ = nullptr;
  } else if (mode != kFilterQuick || before != &quick_.List()) {
    previous_ = before;
  }
  if (mode != kFilterRebuildThread) mode_ = mode;
  if (result == &lists_.masterList) previous_ = nullptr;
  if (mode != kFilterQuick) quick_.Clear();
  show(result, result == &quick_.List());
  return true;
}

void ViewFilter::show(std::vector<TArticle*>* list, bool unthreaded) {
  lists_.viewList = list == &lists_.masterList ? nullptr : list;
  host_.ThreadViewList(unthreaded);
}

QuickFilter::Outcome ViewFilter::SetQuickText(std::string_view text) {
  const QuickFilter::Outcome outcome = quick_.SetText(text, lists_.masterList);
  if (outcome == QuickFilter::Outcome::Built) {
    Apply(kFilterQuick);
  } else if (outcome == QuickFilter::Outcome::Emptied && lists_.viewList == &quick_.List()) {
    if (!Apply(kFilterUndo)) Apply(kFilterAll);
  }
  return outcome;
}

void ViewFilter::ArticlesFreed(const std::vector<TArticle*>& sorted) {
  const auto freed = [&](TArticle* a) { return std::binary_search(sorted.begin(), sorted.end(), a); };
  for (std::vector<TArticle*>* list : {&work_[0], &work_[1], &quick_.List()}) {
    list->erase(std::remove_if(list->begin(), list->end(), freed), list->end());
  }
}

}  // namespace orvel
