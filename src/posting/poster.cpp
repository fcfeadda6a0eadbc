#include "posting/poster.h"

#include <unistd.h>

#include <chrono>
#include <random>

#include "articles/article_date.h"
#include "config/main_state.h"
#include "content/mime_types.h"
#include "core/clock.h"
#include "core/text.h"
#include "net/connection_pool.h"
#include "posting/article_writer.h"
#include "posting/cancel_lock.h"
#include "posting/line_sink.h"

namespace orvel {

namespace {

std::shared_ptr<TProfile> profileFor(const MainState& main, const std::string& server) {
  const int index = ProfileIndex(main.profiles, server);
  if (index >= 0) return main.profiles[static_cast<std::size_t>(index)];
  return main.profiles.empty() ? nullptr : main.profiles.front();
}

std::string supersededId(const PostJob& job) {
  for (const auto& [name, value] : job.extraHeaders) {
    if (equalsNoCase(name, "Supersedes")) return value;
  }
  return {};
}

// A Message-ID's right side must be a domain or an address literal: an
// IPv6 address goes in brackets.
std::string idHost(const std::string& host) {
  return host.find(':') == std::string::npos ? host : "[" + host + "]";
}

}  // namespace

PosterEnvironment SystemPosterEnvironment(const MainState& main, ConnectionPool& pool,
                                          NetPlatform& platform, Clock& clock,
                                          std::string baseDir) {
  PosterEnvironment e;
  e.main = &main;
  e.pool = &pool;
  e.platform = &platform;
  e.clock = &clock;
  e.baseDir = std::move(baseDir);
  auto engine = std::make_shared<std::mt19937>(std::random_device{}());
  e.random = [engine] { return static_cast<unsigned>((*engine)() % 65535u); };
  std::shared_ptr<const MimeTypeLookup> types = SystemMimeTypes();
  e.contentType = [types](const std::string& fileName) {
    const std::string type = types->typeForFileName(fileName);
    return type.empty() ? std::string("application/octet-stream") : type;
  };
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) == 0) e.localHostName = host;
  if (e.localHostName.empty()) e.localHostName = "localhost";
  return e;
}

DateTime TPoster::localNow() const {
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(env_.clock->now().time_since_epoch());
  return DateTimeFromUnix(seconds.count()) + ZoneOffsetDays(env_.main->settings.timeZoneOffset());
}

TPoster::TPoster(PosterEnvironment environment, PosterOwner& owner)
    : env_(std::move(environment)), owner_(owner) {
  answerTimer_ = env_.clock->createTimer([this] { fail("Pas de réponse du serveur"); });
}

TPoster::~TPoster() {
  endConnections();
}

bool TPoster::Send(PostSend send, PostResume resume) {
  if (running_) return false;
  send_ = std::move(send);
  resume_ = std::move(resume);
  running_ = true;
  profile_ = profileFor(*env_.main, send_.server);
  secret_.clear();
  if (send_.MailPending()) {
    startMail();
  } else if (send_.PostPending()) {
    startPost();
  } else {
    complete();
  }
  return true;
}

void TPoster::Stop() {
  if (running_) finish(kPosterStopped, kPosterStoppedText);
}

void TPoster::notice(int code, int percent, const std::string& text) {
  owner_.posterNotice(code, percent, text);
}

// --- Mail ---

void TPoster::startMail() {
  notice(kPosterMailStep, 0, "Mailing");
  const std::string host =
      profile_ && !profile_->SMTPHost.empty() ? profile_->SMTPHost : env_.main->settings.smtpHost;
  if (host.empty()) return fail("Aucun serveur SMTP n'est configuré (SMTPHost)");
  notice(kPosterMailStep, 0, "Se connecte à SMTP host...");
  // One client serves every mail: it is ended inside its own events, so it
  // is closed there, never destroyed.
  if (!smtp_) smtp_ = std::make_unique<SmtpClient>(*env_.platform, *env_.clock);
  smtp_->setListener(this);
  SmtpOptions options;
  options.localHost = env_.localHostName;
  if (profile_) {
    options.userName = profile_->SMTPUser;
    options.password = profile_->SMTPPassword;
  }
  smtp_->Connect(host, options, profile_ ? profile_->caFile : std::string());
}

void TPoster::onSmtpReply(SmtpClient& client, int state) {
  const PostJob& job = send_.job;
  switch (state) {
    case 1:
      notice(kPosterMailStep, 0, "HELO");
      return client.Helo();
    case 3:
      notice(kPosterMailStep, 0, "MAIL FROM <" + job.identity.Email + ">");
      return client.MailFrom(job.identity.Email);
    case 4:
      notice(kPosterMailStep, 0, "RCPT TO <" + job.toAddress + ">");
      return client.RcptTo(job.toAddress);
    case 5:
      notice(kPosterMailStep, 0, "DATA");
      return client.Data();
    case 6:
      return sendMail(client);
    case 7:
      return client.Quit();
    default: {
      // The server took the mail and the QUIT: the mail is sent.
      send_.flags |= kXStatusMailSent;
      client.setListener(nullptr);
      notice(kPosterMailSent, 100, {});
      if (!running_) return;
      if (send_.PostPending()) return startPost();
      return complete();
    }
  }
}

void TPoster::sendMail(SmtpClient& client) {
  notice(kPosterMailStep, 0, "Sending mail");
  std::string error;
  ArticleWriter writer(send_.job, PostTarget::Mail, writerEnvironment());
  writer.onProgress = [this](int percent, const std::string& text) {
    notice(kPosterMailProgress, percent, text);
  };
  std::string block;
  DotStuffingWriter sink(block);
  if (writer.WriteNext(sink, error) != WriteResult::Written) {
    return fail(error.empty() ? "Le message est vide" : error);
  }
  sink.End();
  client.SendMessageBlock(block);
  notice(kPosterMailStep, 100, kPosterWaitingText);
}

void TPoster::onSmtpError(SmtpClient&, const std::string& text) { fail(text); }

void TPoster::onSmtpClosed(SmtpClient&) {
  if (running_) finish(kPosterStopped, kPosterStoppedText);
}

// --- News ---

void TPoster::startPost() {
  if (!profile_) return fail("Aucun serveur: " + send_.server);
  if (!send_.job.identity.name.empty()) {
    std::string error;
    const auto secret = CancelLockSecrets(env_.baseDir).Secret(send_.job.identity.name, &error);
    // An article nobody could cancel is still worth sending: without a
    // secret it simply goes without a lock.
    if (secret) secret_ = *secret;
  }
  const std::string superseded = supersededId(send_.job);
  if (!superseded.empty() && !secret_.empty()) {
    send_.job.extraHeaders.emplace_back("Cancel-Key", CancelKeyValue(secret_, superseded));
  }
  notice(kPosterPosting, 0, "Posting");
  TNNTP& connection = env_.pool->AcquireConnection(profile_);
  connection_ = &connection;
  connection.OnBanner = [this](TNNTP& c) { beginPosting(c); };
  connection.OnBeginPost = [this](TNNTP& c) {
    c.SendPreparedArticle(article_);
    std::string().swap(article_);
    notice(kPosterPosting, 100, kPosterWaitingText);
  };
  connection.OnEndPost = [this](TNNTP&) { articleAccepted(); };
  connection.OnStat = [this](TNNTP& c) {
    watchAnswer(false);
    if (c.statFound()) {
      // The article on its way when the send was cut arrived after all.
      owner_.posterArticleAccepted(articleIndex_);
      std::string error;
      if (!writer_->SkipArticles(1, error)) return fail(error);
      ++articleIndex_;
    }
    nextArticle();
  };
  connection.OnError = [this](TNNTP&, int, const std::string& text) { fail(text); };
  connection.OnDisconnected = [this](TNNTP&) { fail("Le serveur a fermé la connexion"); };
  if (connection.IsConnected() && !connection.IsBusy()) return beginPosting(connection);
  notice(kPosterConnecting, 0, kPosterConnectingText + profile_->alias);
  connection.Connect();
}

WriterEnvironment TPoster::writerEnvironment() const {
  const Settings& settings = env_.main->settings;
  WriterEnvironment e;
  e.tz = settings.timeZoneOffset();
  e.now = localNow();
  e.generateDateHeader = settings.generateDateHeader;
  e.setReplyToInPost = settings.setReplyToInPost;
  e.random = env_.random;
  e.contentType = env_.contentType;
  return e;
}

bool TPoster::prepareWriter(std::string& error) {
  WriterEnvironment e = writerEnvironment();
  e.serverAddress = connection_->PeerAddress();
  e.messageId = [this](int article) { return messageIdFor(article); };
  if (!secret_.empty()) {
    e.cancelLock = [secret = secret_](const std::string& id) { return CancelLockValue(secret, id); };
  }
  writer_ = std::make_unique<ArticleWriter>(send_.job, PostTarget::News, std::move(e));
  writer_->onProgress = [this](int percent, const std::string& text) {
    notice(kPosterPostProgress, percent, text);
  };
  articleIndex_ = resume_.accepted;
  return resume_.accepted == 0 || writer_->SkipArticles(resume_.accepted, error);
}

void TPoster::beginPosting(TNNTP& connection) {
  std::string error;
  if (!prepareWriter(error)) return fail(error);
  if (resume_.pendingMessageId.empty()) return nextArticle();
  watchAnswer(true);
  connection.Stat(resume_.pendingMessageId);
}

std::string TPoster::messageIdFor(int article) {
  if (article == resume_.accepted && !resume_.pendingMessageId.empty()) {
    return resume_.pendingMessageId;
  }
  const std::string& fqdn = env_.main->settings.fqdn;
  std::string host;
  if (fqdn.empty() || fqdn == "%rip") {
    host = connection_->PeerAddress();
  } else if (fqdn == "%rhost") {
    host = profile_->host;
  } else if (fqdn == "%lip" || fqdn == "%lhost") {
    host = env_.localHostName;
  } else {
    host = fqdn;
  }
  if (host.empty()) host = env_.localHostName;
  const DateTime now = localNow();
  return MakeMessageId(now, env_.random(), send_.job.identity.IDToken, idHost(host));
}

void TPoster::nextArticle() {
  std::string error;
  article_.clear();
  DotStuffingWriter sink(article_);
  switch (writer_->WriteNext(sink, error)) {
    case WriteResult::Failed: return fail(error);
    case WriteResult::Complete: return complete();
    case WriteResult::Written:
    case WriteResult::More: break;
  }
  sink.End();
  const bool recorded = owner_.posterArticleStarting(articleIndex_, writer_->LastMessageId());
  if (!running_) return;
  if (!recorded) return fail("L'état de l'envoi n'a pas pu être noté: rien n'est envoyé");
  watchAnswer(true);
  connection_->Post();
}

void TPoster::articleAccepted() {
  watchAnswer(false);
  owner_.posterArticleAccepted(articleIndex_++);
  if (!running_) return;
  nextArticle();
}

void TPoster::complete() {
  if (send_.PostPending() && writer_) send_.flags |= kXStatusPosted;
  finish(send_.KeepCopy() ? kPosterDoneKeepCopy : kPosterDone, {});
}

void TPoster::fail(const std::string& text) { finish(kPosterFailed, text); }

void TPoster::finish(int code, const std::string& text) {
  endConnections();
  running_ = false;
  notice(code, code == kPosterFailed || code == kPosterStopped ? 0 : 100, text);
}

void TPoster::endConnections() {
  watchAnswer(false);
  writer_.reset();
  std::string().swap(article_);
  if (smtp_) {
    smtp_->setListener(nullptr);
    smtp_->Close();
  }
  if (connection_) {
    TNNTP& connection = *connection_;
    connection_ = nullptr;
    // An article half sent must not be finished by the next borrower.
    if (connection.IsBusy()) connection.Close();
    env_.pool->ReleaseConnection(connection);
  }
}

void TPoster::watchAnswer(bool on) {
  if (on) {
    answerTimer_->start(std::chrono::milliseconds(env_.answerLimitMs), TimerMode::SingleShot);
  } else {
    answerTimer_->stop();
  }
}

}  // namespace orvel
