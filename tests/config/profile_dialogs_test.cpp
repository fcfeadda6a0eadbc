#include "config/profile_dialogs.h"

#include <gtest/gtest.h>

#include "config/identities_file.h"
#include "config/temp_base_dir.h"
#include "support/scripted_prompter.h"

namespace orvel {
namespace {

class ProfileDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    main_.identities.push_back(ReadDefaultIdentity(IniFile::FromText("[ID]\nName=Ann\n")));
    main_.settings.smtpHost = "smtp.example.net";
    addExisting("home", "news.example.net");
  }
  std::shared_ptr<TProfile> addExisting(const char* alias, const char* host) {
    return AddProfile(main_, dir_.path(), nullptr, host, alias);
  }
  test::TempBaseDir dir_;
  MainState main_;
  test::ScriptedPrompter prompter_;
};

TEST_F(ProfileDialogsTest, NewProfileAsksForServerAndAlias) {
  prompter_.answerText("news.example.org:563");
  prompter_.answerText("org");
  const auto p = NewProfile(main_, dir_.path(), prompter_, nullptr, "");
  ASSERT_TRUE(p);
  EXPECT_EQ(p->alias, "org");
  EXPECT_EQ(p->host, "news.example.org");
  EXPECT_EQ(p->port, 563);
  EXPECT_TRUE(p->tls);
  EXPECT_EQ(p->SMTPHost, "smtp.example.net");
  EXPECT_EQ(p->identity.Name, "Ann");
  EXPECT_EQ(p->newsrcPath, dir_.path() + "org.newsrc");
  EXPECT_EQ(main_.profiles.back(), p);
  const auto& records = prompter_.records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].caption, "Configurer votre serveur!");
  EXPECT_EQ(records[1].text, "Surnom de ce serveur news.example.org:563");
  EXPECT_EQ(records[1].initial, "news.example.org");
}

TEST_F(ProfileDialogsTest, RefusedAliasesAskAgain) {
  prompter_.answerText("HOME");        // exists, compared without regard to case
  prompter_.answerText("a/b");         // forbidden character
  prompter_.answerText("x\\y");
  prompter_.answerText("two[lines]");  // would break the section name
  prompter_.answerText("fine");
  const auto p = NewProfile(main_, dir_.path(), prompter_, nullptr, "news.example.org");
  ASSERT_TRUE(p);
  EXPECT_EQ(p->alias, "fine");
  const std::string forbidden = "Un alias ne doit pas contenir un de ces symboles \\/:*?\"<>|,";
  EXPECT_EQ(prompter_.messages(),
            (std::vector<std::string>{"Ce nom (surnom) HOME existe déjà !  ", forbidden,
                                      forbidden, forbidden}));
  EXPECT_TRUE(prompter_.scriptUsed());
}

TEST_F(ProfileDialogsTest, CopyKeepsTheServerButNotTheReadState) {
  auto& source = *main_.profiles[0];
  source.userName = "ann";
  source.password = "pw";
  source.promptedPassword = "typed";
  source.port = 8119;
  prompter_.answerText("copy");
  const auto p = NewProfile(main_, dir_.path(), prompter_, &source, "");
  ASSERT_TRUE(p);
  EXPECT_EQ(prompter_.records()[0].text, "Nouveau nom du profil  ");
  EXPECT_EQ(p->host, source.host);
  EXPECT_EQ(p->port, 8119);
  EXPECT_EQ(p->password, "pw");
  EXPECT_EQ(p->promptedPassword, "");
  EXPECT_EQ(p->newsrcPath, dir_.path() + "copy.newsrc");
}

TEST_F(ProfileDialogsTest, CancellingAddsNothing) {
  prompter_.answerText(std::nullopt);
  EXPECT_FALSE(NewProfile(main_, dir_.path(), prompter_, nullptr, ""));
  prompter_.answerText("h");
  prompter_.answerText(std::nullopt);
  EXPECT_FALSE(NewProfile(main_, dir_.path(), prompter_, nullptr, ""));
  EXPECT_EQ(main_.profiles.size(), 1u);
}

TEST_F(ProfileDialogsTest, DeleteProfile) {
  addExisting("second", "h2");
  main_.defaultProfileIndex = 1;
  auto isOpen = [](const TProfile& p) { return p.alias == "home"; };
  EXPECT_FALSE(DeleteProfile(main_, prompter_, 0, isOpen));
  EXPECT_EQ(prompter_.messages().back(), "Ce Serveur est ouvert: Supression impossible.       ");

  dir_.write("home.newsrc", "comp.lang.c: 1-10\n");
  prompter_.answer(Button::No);
  EXPECT_FALSE(DeleteProfile(main_, prompter_, 0, {}));
  prompter_.answer(Button::Yes);
  prompter_.answer(Button::Yes);
  const auto removed = DeleteProfile(main_, prompter_, 0, {});
  ASSERT_TRUE(removed);
  EXPECT_EQ(removed->alias, "home");
  EXPECT_EQ(prompter_.questions().back(), "Voulez-vous supprimer " + dir_.path() + "home.newsrc     ");
  EXPECT_EQ(prompter_.questions()[1], "   Voulez-vous supprimer ce serveur home?");
  EXPECT_FALSE(std::filesystem::exists(dir_.file("home.newsrc")));
  ASSERT_EQ(main_.profiles.size(), 1u);
  EXPECT_EQ(main_.defaultProfileIndex, 0);  // still the "second" profile

  // No newsrc file: no second question.
  prompter_.answer(Button::Yes);
  EXPECT_TRUE(DeleteProfile(main_, prompter_, 0, {}));
  EXPECT_TRUE(prompter_.scriptUsed());
}

TEST_F(ProfileDialogsTest, NewIdentity) {
  TID work = main_.identities[0];
  work.name = "Work";
  main_.identities.push_back(work);
  prompter_.answerText("work");
  prompter_.answerText("a,b");
  prompter_.answerText("Club");
  ASSERT_TRUE(NewIdentity(main_, prompter_, &main_.identities[1]));
  EXPECT_EQ(prompter_.messages(),
            (std::vector<std::string>{"      Ce nom work existe déjà !  ",
                                      "Les caractères \" \\/:*?\"<>|,\"  sont interdits      "}));
  EXPECT_EQ(prompter_.records()[0].caption, "Créer nouveau profil ");
  EXPECT_EQ(prompter_.records()[0].text, "Donnez un nom à cette identité   ");
  EXPECT_EQ(main_.identities.back().name, "Club");
  EXPECT_EQ(main_.identities.back().Name, "Ann");
  prompter_.answerText(std::nullopt);
  EXPECT_FALSE(NewIdentity(main_, prompter_, nullptr));
}

TEST_F(ProfileDialogsTest, DeleteIdentity) {
  const TID base = main_.identities[0];
  for (const char* name : {"Work", "Club"}) {
    TID id = base;
    id.name = name;
    main_.identities.push_back(id);
  }
  EXPECT_FALSE(DeleteIdentity(main_, prompter_, 0, false));
  EXPECT_FALSE(DeleteIdentity(main_, prompter_, 1, true));
  EXPECT_EQ(prompter_.messages(),
            (std::vector<std::string>{"Id par défaut insupprimable ",
                                      "Suppression impossible si l'éditeur est ouvert     "}));
  prompter_.answer(Button::No);
  EXPECT_FALSE(DeleteIdentity(main_, prompter_, 1, false));
  prompter_.answer(Button::Yes);
  EXPECT_TRUE(DeleteIdentity(main_, prompter_, 1, false));
  EXPECT_EQ(prompter_.questions().back(), "Do you really want to delete ID Work?");
  ASSERT_EQ(main_.identities.size(), 2u);
  EXPECT_EQ(main_.identities[1].name, "Club");
}

}  // namespace
}  // namespace orvel
