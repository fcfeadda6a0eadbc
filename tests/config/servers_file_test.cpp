#include "config/servers_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <tuple>

#include "config/identities_file.h"
#include "config/temp_base_dir.h"

namespace orvel {
namespace {

struct EntryCase {
  const char* label;
  const char* text;
  bool valid;
  const char* alias;
  const char* host;
  int port;
};

void PrintTo(const EntryCase& c, std::ostream* os) { *os << c.label; }

class ProfileEntryTest : public ::testing::TestWithParam<EntryCase> {};

TEST_P(ProfileEntryTest, Parses) {
  const EntryCase& c = GetParam();
  const auto entry = ParseProfileEntry(c.text);
  ASSERT_EQ(entry.has_value(), c.valid);
  if (!c.valid) return;
  EXPECT_EQ(entry->alias, c.alias);
  EXPECT_EQ(entry->host, c.host);
  EXPECT_EQ(entry->port, c.port);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ProfileEntryTest,
    ::testing::Values(
        EntryCase{"HostAndPortOnly", "news.example.net:563", true, "news.example.net",
                  "news.example.net", 563},
        EntryCase{"AliasHost", "home,news.example.net", true, "home", "news.example.net", 0},
        EntryCase{"AliasHostPort", "home,news.example.net:119", true, "home", "news.example.net",
                  119},
        EntryCase{"PortNotANumber", "home,news.example.net:abc", true, "home", "news.example.net",
                  0},
        EntryCase{"PortHexIsNotDigits", "home,h:$77", true, "home", "h", 0},
        EntryCase{"NegativePort", "home,h:-5", true, "home", "h", 0},
        EntryCase{"CommaInHost", "a,b,c", true, "a", "b,c", 0},
        EntryCase{"Empty", "", false, "", "", 0},
        EntryCase{"NoHost", "home,", false, "", "", 0},
        EntryCase{"OnlyPort", "home,:119", false, "", "", 0},
        EntryCase{"NoAlias", ",host", false, "", "", 0}),
    [](const auto& info) { return std::string(info.param.label); });

class ServersFileTest : public ::testing::Test {
 protected:
  ServersFileContext context() const {
    TID base = ReadDefaultIdentity(IniFile::FromText("[ID]\nName=Ann\nEmail=ann@example.net\n"));
    TID work = base;
    work.name = "Work";
    work.Organization = "Example Ltd";
    return {dir_.path(), "smtp.example.net", {base, work}};
  }
  LoadedProfiles load() const { return ReadProfiles(IniFile(dir_.file("servers.ini")), context()); }
  void save(const LoadedProfiles& p, const std::vector<std::string>& erased = {}) const {
    std::string error;
    ASSERT_TRUE(SaveProfiles(dir_.file("servers.ini"), p.profiles, p.defaultIndex, context(),
                             erased, &error))
        << error;
  }
  test::TempBaseDir dir_;
};

TEST_F(ServersFileTest, HandWrittenHostWithPortIsSavedWithItsAlias) {
  dir_.write("servers.ini", "[Profiles]\ncount=1\n1=news.example.net:563\n");
  const auto loaded = load();
  ASSERT_EQ(loaded.profiles.size(), 1u);
  const TProfile& p = *loaded.profiles[0];
  EXPECT_EQ(p.alias, "news.example.net");
  EXPECT_EQ(p.host, "news.example.net");
  EXPECT_EQ(p.port, 563);
  EXPECT_TRUE(p.tls);
  EXPECT_EQ(p.newsrcPath, dir_.path() + "news.example.net.newsrc");
  EXPECT_EQ(loaded.defaultIndex, 0);

  save(loaded);
  const IniFile ini(dir_.file("servers.ini"));
  EXPECT_EQ(ini.readString("Profiles", "1"), "news.example.net,news.example.net:563");
  EXPECT_EQ(ini.readString("Profiles", "count"), "1");
  EXPECT_EQ(ini.readString("Profiles", "Default"), "1");
  // Nothing in the alias section differs from what reading assumes.
  EXPECT_TRUE(ini.keys("news.example.net").empty());
}

TEST_F(ServersFileTest, EverythingSurvivesASaveAndALoad) {
  LoadedProfiles p;
  auto a = std::make_shared<TProfile>();
  a->alias = "home";
  a->host = "news.example.net";
  a->port = 433;
  a->userName = " 'ann' ";
  a->password = "p\"a$s w\xC3\xB6rd'";
  a->SMTPHost = "mail.example.net:587";
  a->SMTPUser = "ann@example.net";
  a->SMTPPassword = "m@il secret";
  a->newsrcPath = dir_.path() + "elsewhere.rc";
  a->identity = context().identities[1];
  a->identity.Email = "other@example.net";
  a->identity.Name = "\"Ann\"";
  a->tls = true;
  a->caFile = dir_.path() + "ca.pem";
  a->extensions = false;
  a->compress = false;
  auto b = std::make_shared<TProfile>();
  b->alias = "plain";
  b->host = "127.0.0.1";
  b->port = 563;
  b->tls = false;  // a plain connection on port 563 must stay plain
  b->startTls = true;
  b->newsrcPath = "/var/news/plain.newsrc";
  b->identity = context().identities[0];
  p.profiles = {a, b};
  p.defaultIndex = 1;
  save(p);

  const auto back = load();
  ASSERT_EQ(back.profiles.size(), 2u);
  EXPECT_EQ(back.defaultIndex, 1);
  const auto fields = [](const TProfile& x) {
    return std::tie(x.alias, x.host, x.port, x.userName, x.password, x.SMTPHost, x.SMTPUser,
                    x.SMTPPassword, x.newsrcPath, x.tls, x.caFile, x.extensions, x.startTls,
                    x.compress);
  };
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(fields(*back.profiles[i]), fields(*p.profiles[i])) << i;
    EXPECT_EQ(back.profiles[i]->identity, p.profiles[i]->identity) << i;
  }
  const IniFile ini(dir_.file("servers.ini"));
  EXPECT_EQ(ini.readString("home", "NewsRC"), "elsewhere.rc");  // relative to the base
  EXPECT_EQ(ini.readString("home", "CAFile"), "ca.pem");
  EXPECT_EQ(ini.readString("home", "ID"), "Work");
  EXPECT_EQ(ini.keys("home"),
            (std::vector<std::string>{"NewsRC", "UserName", "PassWd", "SMTPHost", "SMTPUser",
                                      "SMTPPassWd", "ID", "Name", "Email", "TLS", "CAFile",
                                      "Extensions", "Compress"}));
  EXPECT_EQ(ini.keys("plain"), (std::vector<std::string>{"NewsRC", "TLS", "StartTLS"}));
  EXPECT_EQ(ini.read("home", "SMTPPassWd")->find("secret"), std::string::npos);
  EXPECT_EQ(ini.readString("plain", "TLS"), "0");
  EXPECT_EQ(ini.read("home", "PassWd")->find("ann"), std::string::npos);
  EXPECT_EQ(ini.readString("home", "UserName"), " 'ann' ");
}

struct SwitchCase {
  const char* label;
  const char* keys;  // the profile section's lines
  bool extensions;
  bool startTls;
  bool compress;
};

void PrintTo(const SwitchCase& c, std::ostream* os) { *os << c.label; }

class ExtensionSwitchesTest : public ServersFileTest,
                              public ::testing::WithParamInterface<SwitchCase> {};

// The switches are read from their keys (defaults when absent) and a save
// writes the file back unchanged.
TEST_P(ExtensionSwitchesTest, ReadAndWrittenBackUnchanged) {
  const SwitchCase& c = GetParam();
  const std::string text = std::string("[Profiles]\r\ncount=1\r\n1=home,news.example.net\r\n"
                                       "Default=1\r\n[home]\r\nUserName=ann\r\n") +
                           c.keys;
  dir_.write("servers.ini", text);
  const auto loaded = load();
  ASSERT_EQ(loaded.profiles.size(), 1u);
  const TProfile& p = *loaded.profiles[0];
  EXPECT_EQ(std::tie(p.extensions, p.startTls, p.compress),
            std::tie(c.extensions, c.startTls, c.compress));
  save(loaded);
  EXPECT_EQ(dir_.read("servers.ini"), text);
  EXPECT_EQ(CopyProfile(p).startTls, c.startTls);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ExtensionSwitchesTest,
    ::testing::Values(SwitchCase{"Absent", "", true, false, true},
                      SwitchCase{"ExtensionsOff", "Extensions=0\r\n", false, false, true},
                      SwitchCase{"StartTlsOn", "StartTLS=1\r\n", true, true, true},
                      SwitchCase{"CompressOff", "Compress=0\r\n", true, false, false},
                      SwitchCase{"AllChanged", "Extensions=0\r\nStartTLS=1\r\nCompress=0\r\n",
                                 false, true, false}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(ServersFileTest, FileIsReadableByItsOwnerOnly) {
  dir_.write("servers.ini", "[Profiles]\ncount=1\n1=a,h\n");
  ASSERT_EQ(::chmod(dir_.file("servers.ini").c_str(), 0644), 0);
  auto loaded = load();
  loaded.profiles[0]->password = "secret";
  for (const char* existing : {"world-readable file", "no file"}) {
    save(loaded);
    struct stat st {};
    ASSERT_EQ(::stat(dir_.file("servers.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << existing;
    std::filesystem::remove(dir_.file("servers.ini"));
  }
}

TEST_F(ServersFileTest, OverridesFollowTheIdentity) {
  // A profile whose values equal its identity's writes no override, so a
  // later change of the identity reaches the profile.
  dir_.write("servers.ini",
             "[Profiles]\ncount=1\n1=a,h\n[a]\nID=Work\nOrganization=Example Ltd\n"
             "SMTPHost=smtp.example.net\nLastUpdated=240101 120000\nIcon=missing.ico\n");
  auto loaded = load();
  EXPECT_EQ(loaded.profiles[0]->identity.Organization, "Example Ltd");
  EXPECT_EQ(loaded.profiles[0]->SMTPHost, "smtp.example.net");
  EXPECT_EQ(loaded.profiles[0]->iconPath, "");
  save(loaded);
  const IniFile ini(dir_.file("servers.ini"));
  EXPECT_FALSE(ini.hasKey("a", "Organization"));
  EXPECT_FALSE(ini.hasKey("a", "SMTPHost"));  // equal to the global setting
  EXPECT_EQ(ini.readString("a", "LastUpdated"), "240101 120000");
  EXPECT_EQ(ini.readString("a", "Icon"), "missing.ico");  // never written, never removed
  EXPECT_EQ(ReadLastUpdated(dir_.file("servers.ini"), "A"), "240101 120000");
}

TEST_F(ServersFileTest, UnknownIdentityReadsTheDefaultValues) {
  dir_.write("servers.ini", "[Profiles]\ncount=1\n1=a,h\n[a]\nID=Gone\nEmail=me@example.net\n");
  const auto loaded = load();
  const TID& id = loaded.profiles[0]->identity;
  EXPECT_EQ(id.name, "Gone");
  EXPECT_EQ(id.Name, "Ann");
  EXPECT_EQ(id.Email, "me@example.net");
}

TEST_F(ServersFileTest, HandEditedProfilesSectionsAreReadSafely) {
  struct Row {
    const char* text;
    std::vector<std::string> aliases;
    int defaultIndex;
  };
  const Row rows[] = {
      {"[Profiles]\ncount=2147483647\n3=c,hc\n1=a,ha:x\n2=,\n4=A,dup\n9=\nDefault=zz\n",
       {"a", "c"}, 0},
      {"[Profiles]\n2=b,hb\n1=a,ha\nDefault=2\n", {"a", "b"}, 1},  // no count: every entry
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    dir_.write("servers.ini", row.text);
    const auto loaded = load();
    std::vector<std::string> aliases;
    for (const auto& p : loaded.profiles) aliases.push_back(p->alias);
    EXPECT_EQ(aliases, row.aliases);
    EXPECT_EQ(loaded.defaultIndex, row.defaultIndex);
  }
}

TEST_F(ServersFileTest, DeletedProfileSectionsAreErased) {
  dir_.write("servers.ini", "[Profiles]\ncount=2\n1=a,ha\n2=b,hb\n[b]\nUserName=bob\n");
  auto loaded = load();
  loaded.profiles.pop_back();
  save(loaded, {"b"});
  EXPECT_FALSE(IniFile(dir_.file("servers.ini")).hasSection("b"));
}

TEST_F(ServersFileTest, IconMustBeAnIcoOrBmpFile) {
  {
    std::ofstream(dir_.file("good.ico"), std::ios::binary).write("\0\0\1\0rest", 8);
    std::ofstream(dir_.file("good.bmp"), std::ios::binary) << "BMxxxx";
    std::ofstream(dir_.file("fake.ico"), std::ios::binary) << "BMxxxx";
    std::ofstream(dir_.file("pic.png"), std::ios::binary) << "\x89PNG";
  }
  const std::pair<const char*, bool> icons[] = {
      {"good.ico", true}, {"good.bmp", true}, {"fake.ico", false}, {"pic.png", false},
      {"absent.ico", false}};
  for (const auto& [file, usable] : icons) EXPECT_EQ(IsUsableIcon(dir_.file(file)), usable) << file;
  dir_.write("servers.ini", "[Profiles]\ncount=1\n1=a,h\n[a]\nIcon=good.ico\n");
  EXPECT_EQ(load().profiles[0]->iconPath, dir_.file("good.ico"));
}

TEST(ProfileRules, CompanionFileName) {
  EXPECT_EQ(CompanionReadStatePath("/b/home.newsrc"), "/b/home.Orvelrc");
  EXPECT_EQ(CompanionReadStatePath("/b/home.NEWSRC"), "/b/home.Orvelrc");
  EXPECT_EQ(CompanionReadStatePath("/b/home.rc"), "/b/home.rc.Orvelrc");
  EXPECT_EQ(CompanionReadStatePath("/b.newsrc/home"), "/b.newsrc/home.Orvelrc");
}

TEST(ProfileRules, SameServerIgnoresHostCaseOnly) {
  TProfile a;
  a.host = "News.Example.NET";
  a.userName = "u";
  a.password = "p";
  a.port = 119;
  TProfile b = a;
  b.host = "news.example.net";
  b.alias = "other";
  EXPECT_TRUE(SameServer(a, b));
  b.userName = "U";
  EXPECT_FALSE(SameServer(a, b));
  b = a;
  b.port = 0;
  EXPECT_FALSE(SameServer(a, b));
}

}  // namespace
}  // namespace orvel
