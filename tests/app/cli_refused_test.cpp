// Every orvel-cli command that connects, against a loopback port where
// nothing listens: it says the error with its code, retries at most
// --retries times AutoResumeDelay seconds apart, and exits non-zero with a
// line saying why. A run that would wait for ever is killed and fails.

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

namespace {

// A loopback port bound by this process but not listening: connections to
// it are refused, and no other program can take it meanwhile.
class ClosedPort {
 public:
  ClosedPort() {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), size) == 0 &&
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &size) == 0) {
      port_ = ntohs(a.sin_port);
    }
  }
  ~ClosedPort() { ::close(fd_); }
  ClosedPort(const ClosedPort&) = delete;
  ClosedPort& operator=(const ClosedPort&) = delete;
  int port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
};

struct CliOutcome {
  int exitCode = -1;
  QStringList errLines;
  QString newsrc;
};

struct RefusedCase {
  const char* name;
  QStringList args;  // after the base directory; "OUT" is a directory to decode into
  const char* failureLine;  // said at each attempt
  int attempts;
  const char* lastLine;
  const char* newsrc;  // the profile's newsrc before the run; the run leaves it so
};
void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class CliWithoutServerTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GT(port_.port(), 0);
    write("servers.ini", "[Profiles]\ncount=1\n1=shut,127.0.0.1:" +
                             QByteArray::number(port_.port()) + "\n");
    write("Orvel.ini", "[Misc]\nAutoResumeDelay=2\n");
  }
  void write(const QString& name, const QByteArray& text) {
    QFile f(dir_.path() + "/" + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
  }
  QString read(const QString& name) {
    QFile f(dir_.path() + "/" + name);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
  }
  CliOutcome run(QStringList args) {
    args.replaceInStrings("OUT", dir_.path());
    QProcess p;
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(ORVEL_CLI_PATH, QStringList{"--base", dir_.path()} + args);
    CliOutcome r;
    if (!p.waitForFinished(60000)) {
      p.kill();
      p.waitForFinished();
      ADD_FAILURE() << "orvel-cli " << args.join(' ').toStdString() << " did not end";
      return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.errLines = QString::fromUtf8(p.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    r.newsrc = read("shut.newsrc");
    return r;
  }

  ClosedPort port_;
  QTemporaryDir dir_;
};

class CliRefusedTest : public CliWithoutServerTest,
                       public testing::WithParamInterface<RefusedCase> {};

TEST_P(CliRefusedTest, SaysWhyRetriesAndEnds) {
  const RefusedCase& c = GetParam();
  write("shut.newsrc", c.newsrc);
  const CliOutcome r = run(c.args);
  const QString all = r.errLines.join('\n');
  EXPECT_EQ(r.exitCode, 1) << all.toStdString();
  ASSERT_FALSE(r.errLines.isEmpty());
  EXPECT_EQ(r.errLines.count(c.failureLine), c.attempts) << all.toStdString();
  EXPECT_EQ(r.errLines.filter(QRegularExpression("^Tentative dans ")).size(), c.attempts - 1)
      << "one line a wait: " << all.toStdString();
  EXPECT_EQ(r.errLines.last().toStdString(), c.lastLine) << all.toStdString();
  EXPECT_FALSE(all.contains("Récupérer")) << "no question: " << all.toStdString();
  EXPECT_EQ(r.newsrc.toStdString(), c.newsrc) << "a failed command subscribes nothing";
}

constexpr const char* kHeadersRefused = "orvel-cli headers: connexion refusée! (10061)";

INSTANTIATE_TEST_SUITE_P(
    Commands, CliRefusedTest,
    testing::Values(
        RefusedCase{"HeadersRetriesOnce", {"headers", "shut", "test.small", "--retries", "1"},
                    kHeadersRefused, 2,
                    "orvel-cli headers: gave up after 1 retry: connexion refusée! (10061)", ""},
        RefusedCase{"HeadersRetriesTwiceByDefault", {"headers", "shut", "test.small"},
                    kHeadersRefused, 3,
                    "orvel-cli headers: gave up after 2 retries: connexion refusée! (10061)",
                    "test.small:\r\n"},
        RefusedCase{"HeadersWithoutRetry", {"headers", "shut", "test.small", "--retries", "0"},
                    kHeadersRefused, 1, "orvel-cli headers: gave up: connexion refusée! (10061)",
                    ""},
        RefusedCase{"ArticleByNumber", {"article", "shut", "test.small", "3", "--retries", "1"},
                    "orvel-cli article: connexion refusée! (10061)", 2,
                    "orvel-cli article: gave up after 1 retry: connexion refusée! (10061)", ""},
        RefusedCase{"ArticleByMessageId",
                    {"article", "shut", "test.small", "<a@b.invalid>", "--retries", "0"},
                    "orvel-cli article: connexion refusée! (10061)", 1,
                    "orvel-cli article: gave up: connexion refusée! (10061)", ""},
        RefusedCase{"DecodeGroup",
                    {"decode-group", "shut", "test.small", "1-2", "--out", "OUT", "--retries", "0"},
                    "orvel-cli decode-group: connexion refusée! (10061)", 1,
                    "orvel-cli decode-group: gave up: connexion refusée! (10061)", ""},
        RefusedCase{"GroupsCounts", {"groups", "shut", "--counts"},
                    "orvel-cli groups: connexion refusée! (10061)", 1,
                    "orvel-cli groups: connexion refusée! (10061)", "test.small:\r\n"},
        RefusedCase{"GroupsListAsksNothing", {"groups", "shut", "--list"},
                    "orvel-cli groups: connexion refusée! (10061)", 1,
                    "orvel-cli groups: connexion refusée! (10061)", ""},
        RefusedCase{"Probe", {"probe", "shut"}, "orvel-cli probe: connexion refusée! (10061)", 1,
                    "orvel-cli probe: connexion refusée! (10061)", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliWithoutServerTest, AFullListNobodyConfirmedIsAnErrorNamingTheFlags) {
  write("shut.newsrc", "");
  const CliOutcome r = run({"groups", "shut", "--subscribe", "test.small"});
  EXPECT_EQ(r.exitCode, 1);
  ASSERT_FALSE(r.errLines.isEmpty());
  EXPECT_EQ(r.errLines.last().toStdString(),
            "orvel-cli groups: cannot ask \"Récupérer la liste de tous les groupes disponibles? "
            "( celà peut être long )\" without a terminal; answer with --yes, --no or --list");
  EXPECT_EQ(r.newsrc.toStdString(), "") << "nothing else was done";
  const CliOutcome no = run({"groups", "shut", "--subscribe", "test.small", "--no"});
  EXPECT_EQ(no.exitCode, 0) << no.errLines.join('\n').toStdString();
  EXPECT_EQ(no.newsrc.toStdString(), "test.small:\r\n");
}

}  // namespace
