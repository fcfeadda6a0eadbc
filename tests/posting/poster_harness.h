#pragma once
// A poster over the fake network and the manual clock: the owner's notices
// and journal calls are logged as text, so a test states an exchange as the
// lines the server saw and the notices the owner heard.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "config/main_state.h"
#include "net/connection_pool.h"
#include "posting/poster.h"
#include "support/fake_network.h"
#include "support/manual_clock.h"
#include "support/scripted_prompter.h"

namespace orvel::test {

struct PosterLog final : PosterOwner {
  std::vector<std::string> notices;  // "code text"
  std::vector<std::string> journal;  // "start N <id>", "accepted N"
  bool recordable = true;

  void posterNotice(int code, int, const std::string& text) override {
    notices.push_back(std::to_string(code) + (text.empty() ? "" : " " + text));
  }
  bool posterArticleStarting(int article, const std::string& messageId) override {
    journal.push_back("start " + std::to_string(article) + " " + messageId);
    return recordable;
  }
  void posterArticleAccepted(int article) override {
    journal.push_back("accepted " + std::to_string(article));
  }
  bool heard(const std::string& notice) const {
    return std::find(notices.begin(), notices.end(), notice) != notices.end();
  }
};

struct PosterHarness {
  FakeNetwork net;
  ManualClock clock;
  ScriptedPrompter prompter;
  ConnectionPool pool{net, clock, prompter};
  MainState main;
  std::filesystem::path dir;
  PosterLog log;
  PosterEnvironment env;
  std::unique_ptr<TPoster> poster;

  PosterHarness() {
    static int made = 0;
    dir = std::filesystem::temp_directory_path() /
          ("poster_" + std::to_string(::getpid()) + "_" + std::to_string(++made));
    std::filesystem::create_directories(dir);
    auto profile = std::make_shared<TProfile>();
    profile->alias = "test";
    profile->host = "192.0.2.1";
    profile->extensions = false;  // the scripted server plays the plain login
    main.profiles.push_back(profile);
    main.settings.smtpHost = "192.0.2.25";
    main.settings.tz = 0;
    PosterEnvironment& e = env;
    e.main = &main;
    e.pool = &pool;
    e.platform = &net;
    e.clock = &clock;
    e.baseDir = dir.string() + "/";
    e.random = [] { return 0x1234u; };
    e.contentType = [](const std::string&) { return std::string("application/octet-stream"); };
    e.localHostName = "client.example";
    poster = std::make_unique<TPoster>(e, log);
  }
  ~PosterHarness() {
    poster.reset();
    std::filesystem::remove_all(dir);
  }

  // The news connection: accepted, greeted and past MODE READER.
  FakeTransport& greetNews() {
    FakeTransport& t = net.last();
    t.accept();
    t.receive("200 news ready\r\n");
    t.receive("200 reader\r\n");
    return t;
  }
};

// A text article for one group, wanting only posting.
inline PostSend TextPost(std::vector<std::string> body = {"Hello.", ".dot first"}) {
  PostSend send;
  send.server = "test";
  send.flags = kXStatusPostWanted;
  PostJob& job = send.job;
  job.identity.name = "<Default>";
  job.identity.Name = "Ann";
  job.identity.Email = "ann@example.net";
  job.identity.PublicEmail = "ann@example.net";
  job.groups = "test.a";
  job.subject = "Greetings";
  job.body = std::move(body);
  return send;
}

}  // namespace orvel::test
