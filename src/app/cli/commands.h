#pragma once
// The commands of orvel-cli, one function each.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/cli.h"

#include <iosfwd>

#include "content/batch.h"
#include "content/decoded_files.h"

namespace orvel {
class TFolderList;
class TNode;
class ArticleView;
}

namespace orvel::cli {

int cmdInfo(CliContext& context);
int cmdAssociate(CliContext& context);
int cmdDecode(CliContext& context);
int cmdServers(CliContext& context);
int cmdIdentity(CliContext& context);
int cmdSettings(CliContext& context);
int cmdKeys(CliContext& context);
int cmdProbe(CliContext& context);
int cmdGroups(CliContext& context);
int cmdThread(CliContext& context);
int cmdStore(CliContext& context);
int cmdHeaders(CliContext& context);
// Reads a file, or standard input for "-".
bool ReadInput(const std::string& name, std::string& text);
// One visible row as orvel-cli thread prints it, with its line end: subject,
// author, number, flags, effective score (a thread: its article count first).
void AppendRowText(std::string& out, const TNode& row, std::int32_t keptScore = 8888);
// The rows as AppendRowText gives them, written in pieces of 64 KB (a million
// rows are 100 MB of text).
void WriteRows(std::ostream& out, const std::vector<TNode*>& rows, std::int32_t keptScore = 8888);
int cmdShow(CliContext& context);
// The viewer's lines as show prints them: "style<TAB>text", then the X-Face.
void PrintViewerLines(const ArticleView& view, std::ostream& out);
// "decoded", "incomplete", ... for decode's output lines.
const char* BatchReportWord(BatchFileReport::Kind kind);
// What decode and decode-group print of a file: "WORD: PATH", and for a
// file that lacks parts " (missing parts 2, 5)".
std::string BatchReportLine(const BatchFileReport& report);
// Checks each PAR2 set among the decoded files with par2 and repairs it when
// needed, scanning the incomplete files too. Prints "par2 VERDICT: FILE" for
// each set, its phases on the error stream. The partial files of a repaired
// file are removed, with their resume records. False when a set stays
// incomplete or could not be checked. Without par2 installed it says so and
// checks nothing.
bool RepairWithPar2(DecodedFiles& files, ResumeStore& resume, CliContext& context,
                    std::string_view command);
int cmdArticle(CliContext& context);
int cmdDecodeGroup(CliContext& context);
// nzb get: args[0] is "get".
int cmdNzbGet(CliContext& context);
int cmdNzb(CliContext& context);
int cmdMark(CliContext& context);
int cmdNext(CliContext& context);
int cmdPlonk(CliContext& context);
int cmdScore(CliContext& context);
int cmdFolders(CliContext& context);
int cmdCompose(CliContext& context);
int cmdCancel(CliContext& context);
int cmdSend(CliContext& context);
int cmdActions(CliContext& context);
// folders copy: words are the words after "copy"; FOLDER is looked up in folders.
int cmdFoldersCopy(CliContext& context, const std::vector<std::string>& words,
                   const TFolderList& folders);
// folders show: words are FOLDER [N]; -1 for bad usage.
int cmdFoldersShow(CliContext& context, const std::vector<std::string>& words,
                   const TFolderList& folders);
// Article numbers and ranges separated by commas ("3,7-9") into out; why
// not, when the text is not that (words, reversed ranges, duplicates).
std::optional<std::string> ParseNumberList(std::string_view text, std::vector<std::int32_t>& out);

}  // namespace orvel::cli
