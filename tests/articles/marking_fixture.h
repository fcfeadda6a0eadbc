#pragma once
// A group view over alt.test (articles 1-20 by default) whose group list
// also subscribes alt.other and knows alt.unsub unsubscribed, with helpers to
// make threads and cross-posts out of the fake server's articles.

#include <algorithm>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "articles/marking.h"
#include "group_view_fixture.h"

namespace orvel::test {

struct FreedRecorder : RecordingObserver {
  std::vector<TArticle*> freed;
  void articlesFreed(const std::vector<TArticle*>& sorted) override {
    freed.insert(freed.end(), sorted.begin(), sorted.end());
  }
};

class MarkingTest : public GroupViewTest {
 protected:
  MarkingTest() {
    base.write("fake.newsrc", "alt.test:\r\nalt.other:\r\nalt.unsub!\r\n");
    GroupListOptions listOptions;
    listOptions.updateCountInterval = 0;
    listOptions.serversIniPath = base.file("servers.ini");
    list = std::make_unique<TGroupList>(profile, pool, clock, prompter, listHost, listOptions);
    EXPECT_TRUE(list->OpenServer());
    server.groups["alt.test"] = MakeGroup(1, 20);
  }

  TGroupView& openObserved() {
    open();
    view->SetObserver(&freedObserver);
    return *view;
  }

 public:
  TGroupView& groupView() { return *view; }

  TArticle* art(std::int32_t n) const {
    for (TArticle* a : view->MasterList()) {
      if (a->Number == n) return a;
    }
    return nullptr;
  }

  // The articles become one thread: the first is the root, the others
  // answer it.
  TAThread* makeThread(std::initializer_list<std::int32_t> numbers) {
    StringPool& pool = view->View().arena.Strings();
    const std::string root(art(*numbers.begin())->MessageID.view());
    for (auto it = numbers.begin() + 1; it != numbers.end(); ++it) {
      art(*it)->SetReferences(pool, root);
    }
    view->Rethread();
    return art(*numbers.begin())->Thread;
  }

  void setXref(std::int32_t n, std::string_view xref) {
    art(n)->Xref = view->View().arena.Strings().Store(xref);
  }

  std::string newsrcAfterSave() {
    EXPECT_TRUE(list->SaveReadState());
    return base.read("fake.newsrc");
  }

 protected:
  FreedRecorder freedObserver;
};

namespace {

// Table rows (declared in the test files' unnamed namespace) print as their
// names.
template <typename Case, typename = decltype(Case::name)>
std::ostream& operator<<(std::ostream& os, const Case& c) {
  return os << c.name;
}

}  // namespace

}  // namespace orvel::test
