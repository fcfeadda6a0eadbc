#pragma once
// TPoster: sends one queued message. The mail goes first (SMTP), then the
// articles, one POST each, on a connection of the pool. Every step is told
// to the owner as a numbered notice with a percentage and a text.
//
// Each article carries a Message-ID the poster makes (or the one a send cut
// short had given it), and a Cancel-Lock from the identity's secret. The
// owner is told of each article before it goes and once the server took
// it, so that it can keep where a send stands: a send resumed with that
// record asks the server (STAT) whether the article on its way arrived and
// never posts one twice.

#include <functional>
#include <memory>
#include <string>

#include "articles/article_date.h"
#include "net/smtp_client.h"
#include "posting/article_header.h"
#include "posting/post_send.h"

namespace orvel {

class ArticleWriter;
class Clock;
class ConnectionPool;
class NetPlatform;
class TNNTP;
class Timer;
struct MainState;
struct TProfile;

enum PosterCode : int {
  kPosterConnecting = 0,
  kPosterMailStep = 1,
  kPosterMailProgress = 2,
  kPosterMailSent = 3,
  kPosterPosting = 4,
  kPosterPostProgress = 5,
  kPosterDone = 7,
  kPosterDoneKeepCopy = 8,
  kPosterFailed = 10,
  kPosterStopped = 11,
};

inline constexpr const char* kPosterConnectingText = "Se connecte à ";
inline constexpr const char* kPosterWaitingText = "Terminé: Attente confirmation ";
inline constexpr const char* kPosterStoppedText = "Arrêté. ";

// The owner may stop the poster or start its next send from inside any of
// these; it destroys the poster only outside them.
class PosterOwner {
 public:
  virtual void posterNotice(int code, int percent, const std::string& text) = 0;
  // article counts from 0 over the whole send. False: the article must
  // not go (where the send stands could not be kept).
  virtual bool posterArticleStarting(int article, const std::string& messageId) {
    (void)article, (void)messageId;
    return true;
  }
  virtual void posterArticleAccepted(int article) { (void)article; }

 protected:
  ~PosterOwner() = default;
};

struct PosterEnvironment {
  const MainState* main = nullptr;  // profiles and settings
  ConnectionPool* pool = nullptr;
  NetPlatform* platform = nullptr;  // for the SMTP connection
  Clock* clock = nullptr;
  std::string baseDir;  // where the Cancel-Lock secrets are kept
  std::function<unsigned()> random;
  std::function<std::string(const std::string& fileName)> contentType;
  std::string localHostName;
  int answerLimitMs = 120000;  // longest wait for a server's answer to a post
};

// The environment on this system: content types from the system's MIME
// database, this host's name, and a random source.
PosterEnvironment SystemPosterEnvironment(const MainState& main, ConnectionPool& pool,
                                          NetPlatform& platform, Clock& clock,
                                          std::string baseDir);

// Where a send cut short stands: how many articles the server took, and the
// Message-ID of the one that was on its way.
struct PostResume {
  int accepted = 0;
  std::string pendingMessageId;
};

class TPoster final : private SmtpListener {
 public:
  TPoster(PosterEnvironment environment, PosterOwner& owner);
  ~TPoster();
  TPoster(const TPoster&) = delete;
  TPoster& operator=(const TPoster&) = delete;

  // Starts sending; false when a send is running. The owner hears of the
  // end through code 7 or 8 (sent), 10 (failed) or 11 (stopped).
  bool Send(PostSend send, PostResume resume = {});
  // Ends a running send at once (code 11).
  void Stop();
  bool Running() const { return running_; }
  // The X-Status bits with what this send has sent.
  unsigned Flags() const { return send_.flags; }

 private:
  void startMail();
  void startPost();
  void beginPosting(TNNTP& connection);
  void nextArticle();
  void articleAccepted();
  void complete();
  void fail(const std::string& text);
  void finish(int code, const std::string& text);
  void endConnections();
  void watchAnswer(bool on);
  void notice(int code, int percent, const std::string& text);
  std::string messageIdFor(int article);
  DateTime localNow() const;
  bool prepareWriter(std::string& error);
  WriterEnvironment writerEnvironment() const;

  void onSmtpReply(SmtpClient& client, int state) override;
  void onSmtpError(SmtpClient& client, const std::string& text) override;
  void onSmtpClosed(SmtpClient& client) override;
  void sendMail(SmtpClient& client);

  PosterEnvironment env_;
  PosterOwner& owner_;
  PostSend send_;
  PostResume resume_;
  std::shared_ptr<TProfile> profile_;
  std::string secret_;  // the identity's Cancel-Lock secret
  bool running_ = false;
  std::unique_ptr<SmtpClient> smtp_;
  TNNTP* connection_ = nullptr;
  std::unique_ptr<ArticleWriter> writer_;
  std::unique_ptr<Timer> answerTimer_;
  std::string article_;  // the article the server is about to take
  int articleIndex_ = 0;
};

}  // namespace orvel
