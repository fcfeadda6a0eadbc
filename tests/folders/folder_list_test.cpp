// The folder list: "folders.ini" read and written, and the changes with
// their questions and files on disk.

#include "folders/folder_list.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "config/temp_base_dir.h"
#include "core/atomic_file.h"
#include "folders/folder_edits.h"
#include "support/scripted_prompter.h"

namespace orvel {
namespace {

namespace fs = std::filesystem;

class FolderListTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(dir()); }

  std::string ini() const { return base_.file("folders.ini"); }
  std::string dir() const { return base_.file("folders/"); }
  TFolderList load(const std::string& text, std::vector<std::string>* problems = nullptr) {
    EXPECT_TRUE(SaveFileAtomically(ini(), text));
    TFolderList list(ini(), dir());
    auto p = list.Load();
    if (problems) *problems = p;
    return list;
  }
  std::string iniText() const { return base_.read("folders.ini"); }
  void touch(const std::string& path) { ASSERT_TRUE(SaveFileAtomically(path, "x")); }
  static bool exists(const std::string& path) { return fs::exists(path); }

  test::TempBaseDir base_;
};

struct Row {
  std::string name;
  std::string file;  // relative to the folders directory, or absolute
  std::uint8_t kind;
};

void expectRows(const TFolderList& list, const std::vector<Row>& rows) {
  ASSERT_EQ(list.Count(), rows.size() + kFixedFolders);
  EXPECT_EQ(list[0].name, "Outbox");
  EXPECT_EQ(list[0].kind, kStoreOutbox);
  EXPECT_EQ(list[1].name, "Sent");
  EXPECT_EQ(list[1].kind, kStoreSent);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const TFolderInfo& f = list[i + kFixedFolders];
    SCOPED_TRACE(rows[i].name);
    EXPECT_EQ(f.name, rows[i].name);
    EXPECT_EQ(list.RelativeFile(f), rows[i].file);
    EXPECT_EQ(f.kind, rows[i].kind);
  }
}

TEST_F(FolderListTest, ReadsFoldersIni) {
  struct Case {
    const char* label;
    std::string text;
    std::vector<Row> rows;
    std::size_t problems;
  };
  const std::vector<Case> cases = {
      {"count 3 with an empty 2", "[Folders]\ncount=3\n1=a\n2=\n3=b\n", {{"a", "a.mbx", 1}, {"b", "b.mbx", 1}}, 0},
      {"own file with comma and path",
       "[Folders]\ncount=2\n1=x,/srv/mail/x,y.mbx\n2=rel,sub/r.mbx\n[Queues]\nrel=1\n",
       {{"x", "/srv/mail/x,y.mbx", 1}, {"rel", "sub/r.mbx", 5}}, 0},
      {"queue flag read as a boolean", "[Folders]\ncount=2\n1=q\n2=n\n[Queues]\nQ=1\nn=0\n",
       {{"q", "q.mbx", 5}, {"n", "n.mbx", 1}}, 0},
      {"count larger than the entries", "[Folders]\ncount=2000000000\n2=b\n1=a\n",
       {{"a", "a.mbx", 1}, {"b", "b.mbx", 1}}, 0},
      {"entries past the count ignored", "[Folders]\ncount=1\n1=a\n2=b\n", {{"a", "a.mbx", 1}}, 0},
      {"duplicates keep the first", "[Folders]\ncount=3\n1=a\n2=A,/o/a.mbx\n3=outbox\n",
       {{"a", "a.mbx", 1}}, 2},
      {"garbage lines", "junk\n[Folders]\n???\ncount=2\n=x\n1=a\nzz=1\n2=,/f.mbx\n",
       {{"a", "a.mbx", 1}}, 1},
      {"unreadable count takes the numbered entries", "[Folders]\ncount=many\n1=a\n3=c\n",
       {{"a", "a.mbx", 1}, {"c", "c.mbx", 1}}, 1},
      {"no file", "", {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::vector<std::string> problems;
    const TFolderList list = load(c.text, &problems);
    expectRows(list, c.rows);
    EXPECT_EQ(problems.size(), c.problems);
  }
}

TEST_F(FolderListTest, WritesDefaultFileAsBareNameElseNameAndPath) {
  TFolderList list = load("[Other]\nk=v\n[Folders]\ncount=0\n7=stale\n[Queues]\nstale=1\n");
  CreateFolder(list, "First", false);
  CreateFolder(list, "Q", true);
  EXPECT_EQ(iniText(), "[Other]\nk=v\n[Folders]\ncount=2\n1=First\n2=Q\n[Queues]\nQ=1\n");
  // Pointing a folder at its own default file keeps the bare name.
  ChangeFolderFile(list, 2, "First.mbx");
  ChangeFolderFile(list, 3, "/elsewhere/q.mbx");
  EXPECT_EQ(iniText(),
            "[Other]\nk=v\n[Folders]\ncount=2\n1=First\n2=Q,/elsewhere/q.mbx\n[Queues]\nQ=1\n");
  TFolderList again(ini(), dir());
  again.Load();
  expectRows(again, {{"First", "First.mbx", 1}, {"Q", "/elsewhere/q.mbx", 5}});
}

TEST_F(FolderListTest, RenameMovesDefaultFilesOnly) {
  struct Case {
    const char* label;
    std::string entry;        // the folders.ini value of the folder "old"
    bool queue;
    std::vector<std::string> before;  // files made, relative to the folders directory
    std::vector<std::string> after;   // files there after renaming to "New", sorted
    std::string file;         // the folder's file after, relative
    bool error;
  };
  const std::vector<Case> cases = {
      {"default files move", "old", false, {"old.hdr", "old.mbx"}, {"New.hdr", "New.mbx"},
       "New.mbx", false},
      {"queue index moves", "old", true, {"old.mbx", "old.qdr"}, {"New.mbx", "New.qdr"},
       "New.mbx", false},
      {"no file yet follows the name", "old", false, {}, {}, "New.mbx", false},
      {"own file kept", "old,own.mbx", false, {"own.hdr", "own.mbx"}, {"own.hdr", "own.mbx"},
       "own.mbx", false},
      {"failed move keeps the file and renames", "old", false, {"New.mbx", "old.mbx"},
       {"New.mbx", "old.mbx"}, "old.mbx", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove_all(dir());
    fs::create_directories(dir());
    for (const auto& f : c.before) touch(dir() + f);
    TFolderList list = load("[Folders]\ncount=1\n1=" + c.entry + "\n" +
                            (c.queue ? "[Queues]\nold=1\n" : ""));
    const FolderChange change = RenameFolder(list, 2, "New");
    EXPECT_EQ(!change.error.empty(), c.error) << change.error;
    EXPECT_EQ(list[2].name, "New");
    EXPECT_EQ(list.RelativeFile(list[2]), c.file);
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(dir())) files.push_back(e.path().filename());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, c.after);
    TFolderList again(ini(), dir());
    again.Load();
    EXPECT_EQ(again[2].name, "New");
    EXPECT_EQ(again[2].file, list[2].file);
    EXPECT_EQ(again[2].kind, c.queue ? kStoreQueue : kStoreArchive);
  }
}

TEST_F(FolderListTest, DeleteAsksAndRemovesFilesByKind) {
  struct Case {
    const char* label;
    std::string index;  // the index file made beside q.mbx
    bool queue;
    std::vector<Button> answers;
    bool removed;
    bool filesGone;
  };
  const std::vector<Case> cases = {
      {"queue with its .qdr", "q.qdr", true, {Button::Yes, Button::Yes}, true, true},
      {"archive with its .hdr", "q.hdr", false, {Button::Yes, Button::Yes}, true, true},
      {"entry only", "q.hdr", false, {Button::Yes, Button::No}, true, false},
      {"no", "q.hdr", false, {Button::No}, false, false},
      {"cancel", "q.hdr", false, {Button::Cancel}, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    touch(dir() + "q.mbx");
    touch(dir() + c.index);
    TFolderList list = load(std::string("[Folders]\ncount=2\n1=q\n2=z\n") +
                            (c.queue ? "[Queues]\nq=1\n" : ""));
    test::ScriptedPrompter prompter;
    for (Button b : c.answers) prompter.answer(b);
    TFolderEditor editor(list, prompter);
    const auto select = editor.Delete(2);
    EXPECT_TRUE(prompter.scriptUsed());
    const auto questions = prompter.questions();
    ASSERT_FALSE(questions.empty());
    EXPECT_EQ(questions[0], "Confirmer la suppression du dossier q?");
    if (questions.size() > 1) {
      EXPECT_EQ(questions[1], "Supprimer aussi ?     " + dir() + "q.mbx     ");
    }
    EXPECT_EQ(select.has_value(), c.removed);
    EXPECT_EQ(list.Count(), c.removed ? 3u : 4u);
    if (c.removed) {
      EXPECT_EQ(*select, 2u);
      EXPECT_EQ(list[2].name, "z");
    }
    EXPECT_EQ(exists(dir() + "q.mbx"), !c.filesGone);
    EXPECT_EQ(exists(dir() + c.index), !c.filesGone);
    fs::remove_all(dir());
    fs::create_directories(dir());
  }
}

TEST_F(FolderListTest, NamingAsksAgainUntilValidOrCancel) {
  TFolderList list = load("[Folders]\ncount=1\n1=Taken\n");
  struct Case {
    const char* label;
    std::string name;
    NameUse use;
    std::string message;  // "" when taken
  };
  const std::string symbolsNew = "     Un nom ne doit pas contenir un de ces symboles \\/:*?\"<>|,";
  const std::string symbolsRename = "Un Dossier  ne doit pas contenir un de ces symboles \\/:*?\"<>|,";
  const std::vector<Case> cases = {
      {"duplicate without case", "taken", NameUse::NewFolder,
       "    Un tel nom taken existe d\u00e9j\u00e0 !  "},
      {"fixed folder", "SENT", NameUse::NewFolder, "    Un tel nom SENT existe d\u00e9j\u00e0 !  "},
      {"slash", "a/b", NameUse::NewFolder, symbolsNew},
      {"comma on rename", "a,b", NameUse::Rename, symbolsRename},
      {"dot dot", "a..b", NameUse::NewFolder, "Un nom de dossier ne doit pas contenir \"..\""},
      {"control", "a\tb", NameUse::NewFolder,
       "Un nom de dossier ne doit pas contenir de caract\u00e8re de contr\u00f4le"},
      {"too long", std::string(300, 'n'), NameUse::NewFolder,
       "Un nom de dossier ne doit pas d\u00e9passer 251 octets"},
      {"equals sign", "a=b", NameUse::NewFolder,
       "Un nom de dossier ne doit pas contenir \"=\", ni commencer par \"[\", \";\", \"#\" ou un "
       "blanc, ni finir par un blanc"},
      {"empty", "", NameUse::NewFolder, "Un nom de dossier ne peut pas \u00eatre vide"},
      {"longest", std::string(251, 'n'), NameUse::NewFolder, ""},
      {"accents", "Archiv\u00e9s 2024", NameUse::NewFolder, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const auto problem = FolderNameProblem(list, c.name, c.use);
    EXPECT_EQ(problem.value_or(""), c.message);
  }
  // The box repeats with the refused name until a good one or Cancel.
  test::ScriptedPrompter prompter;
  prompter.answerText("Taken");
  prompter.answerText("ok");
  TFolderEditor editor(list, prompter);
  EXPECT_EQ(editor.NewFolder(true), 3u);
  ASSERT_EQ(prompter.messages().size(), 1u);
  const auto& records = prompter.records();
  EXPECT_EQ(records[0].caption, "        Cr\u00e9er une queue");
  EXPECT_EQ(records[0].text, kFolderNamePrompt);
  EXPECT_EQ(records[2].initial, "Taken");
  EXPECT_EQ(list[3].kind, kStoreQueue);
  prompter.answerText(std::nullopt);
  EXPECT_FALSE(editor.Rename(2));
  EXPECT_EQ(list[2].name, "Taken");
  // A folder may take its own name in another case.
  prompter.answerText("TAKEN");
  EXPECT_EQ(editor.Rename(2), 2u);
  EXPECT_EQ(list[2].name, "TAKEN");
}

TEST_F(FolderListTest, ProtectedAndOpenFoldersRefuseChanges) {
  TFolderList list = load("[Folders]\ncount=2\n1=open\n2=free\n");
  test::ScriptedPrompter prompter;
  TFolderEditor editor(list, prompter,
                       [](const TFolderInfo& f) { return f.name == "open"; });
  EXPECT_FALSE(editor.Delete(0));
  EXPECT_FALSE(editor.Rename(1));
  EXPECT_FALSE(editor.ChangeFile(2));
  EXPECT_FALSE(editor.Delete(2));
  const auto messages = prompter.messages();
  ASSERT_EQ(messages.size(), 4u);
  EXPECT_EQ(messages[2], kFolderOpenText);
  EXPECT_EQ(messages[3], kFolderOpenText);
  EXPECT_EQ(list.Count(), 4u);
  prompter.answerPath(dir() + "other.mbx");
  EXPECT_EQ(editor.ChangeFile(3), 3u);
  EXPECT_EQ(list[3].file, dir() + "other.mbx");
}

TEST_F(FolderListTest, SortKeepsOutboxAndSentOnTop) {
  TFolderList list = load("[Folders]\ncount=4\n1=delta\n2=Beta\n3=alpha\n4=Ab\n");
  test::ScriptedPrompter prompter;
  TFolderEditor editor(list, prompter);
  prompter.answer(Button::No);
  EXPECT_FALSE(editor.Sort());
  EXPECT_EQ(list[2].name, "delta");
  prompter.answer(Button::Yes);
  EXPECT_TRUE(editor.Sort());
  EXPECT_EQ(prompter.questions().back(), kSortQuestion);
  expectRows(list, {{"Ab", "Ab.mbx", 1}, {"alpha", "alpha.mbx", 1}, {"Beta", "Beta.mbx", 1},
                    {"delta", "delta.mbx", 1}});
  EXPECT_EQ(iniText(), "[Folders]\ncount=4\n1=Ab\n2=alpha\n3=Beta\n4=delta\n");
}

}  // namespace
}  // namespace orvel
