#pragma once
// A group view over the fake news server whose ARTICLE and HEAD replies come
// from a table of article texts, for the viewer and batch bridges.

#include <map>
#include <string>

#include "articles/group_view_fixture.h"
#include "content/viewer_settings.h"

namespace orvel::test {

// The text as the server sends it: lines starting with "." doubled, then ".".
inline std::string DotStuffed(std::string_view text) {
  std::string out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t lf = text.find('\n', start);
    lf = lf == std::string_view::npos ? text.size() : lf + 1;
    if (text[start] == '.') out += '.';
    out.append(text.substr(start, lf - start));
    start = lf;
  }
  return out + ".\r\n";
}

inline std::string PlainArticle(std::int32_t n) {
  const std::string id = "<" + std::to_string(n) + ".alt.test@example.invalid>";
  return "Subject: Server subject " + std::to_string(n) +
         "\r\nFrom: Poster <poster@example.invalid>\r\nMessage-ID: " + id +
         "\r\nNewsgroups: alt.test\r\nXref: fake.invalid alt.test:" + std::to_string(n) +
         "\r\nLines: 2\r\n\r\nBody of " + std::to_string(n) + "\r\n.dotted line\r\n";
}

class GroupContentTest : public GroupViewTest {
 protected:
  GroupContentTest() {
    server.groups["alt.test"] = MakeGroup(1, 5);
    for (std::int32_t n = 1; n <= 5; ++n) texts[std::to_string(n)] = PlainArticle(n);
    for (std::int32_t n = 1; n <= 9; ++n) {
      texts["<" + std::to_string(n) + ".alt.test@example.invalid>"] = PlainArticle(n);
    }
    server.hook = [this](FakeTransport& t, const std::string& line) { return reply(t, line); };
  }

  // ARTICLE and HEAD from texts (a missing key gets 430); refuse overrides.
  FakeNewsServer::Action reply(FakeTransport& t, const std::string& line) {
    const bool article = line.rfind("ARTICLE ", 0) == 0;
    const bool head = line.rfind("HEAD ", 0) == 0;
    if (!article && !head) return {};
    const std::string key = line.substr(line.find(' ') + 1);
    if (onArticle) {
      FakeNewsServer::Action a = onArticle(t, key);
      if (a.kind != FakeNewsServer::Action::Default) return a;
    }
    const auto it = texts.find(key);
    if (it == texts.end()) return FakeNewsServer::Action::Answer("430 No such article\r\n");
    std::string text = it->second;
    if (head) text.resize(text.find("\r\n\r\n") + 2);
    return FakeNewsServer::Action::Answer((article ? "220 " : "221 ") + key + " <id> follows\r\n" +
                                          DotStuffed(text));
  }

  TArticle* numbered(std::int32_t n) {
    for (TArticle* a : view->MasterList()) {
      if (a->Number == n) return a;
    }
    return nullptr;
  }

  std::map<std::string, std::string> texts;  // by number or Message-ID
  std::function<FakeNewsServer::Action(FakeTransport&, const std::string& key)> onArticle;
};

}  // namespace orvel::test
