// orvel-cli store: prints a header file's records, or writes a text file of
// overview lines into a newsgroup store.
#include <ostream>

#include "app/cli/commands.h"
#include "articles/article_arena.h"
#include "articles/article_date.h"
#include "articles/mailbox.h"
#include "articles/xover.h"
#include "core/text.h"

namespace orvel::cli {

namespace {

int usage(CliContext& context) {
  context.err << "usage: orvel-cli store dump FILE.hdr\n"
                 "       orvel-cli store convert FILE [--out STORE.mbx] [--group NAME]\n";
  return 2;
}

std::string dateText(DateTime date) {
  if (date == 0) return "-";
  const DateParts p = DecodeDateTime(date);
  return format("%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                p.second);
}

int dump(CliContext& context, const std::string& file) {
  ArticleArena arena;
  HeaderFileDump dumpData;
  if (!ReadHeaderFile(file, arena, dumpData)) {
    context.err << "orvel-cli store: " << file << " is not a header file\n";
    return 1;
  }
  auto& out = context.out;
  const StoreFileHeader& h = dumpData.header;
  out << "kind " << int(dumpData.kind) << "\nrecords " << h.count << "\nbody size " << h.bodySize
      << "\nexpiry days " << h.expiryDays << "\nflags " << h.flags << "\nlow " << h.low
      << "\nhigh " << h.high << '\n';
  for (const TArticle* a : dumpData.records) {
    out << "number=" << a->Number << " flags=" << a->Flags << " offset=" << a->BodyOffset
        << " queue=" << a->QueuePosition << " bytes=" << a->Bytes << " lines=" << a->Lines
        << " date=" << dateText(a->Date) << '\n'
        << "  id=" << a->MessageID.view() << "\n  subject=" << a->Subject.view()
        << "\n  from=" << a->FromName() << " <" << a->FromAddress() << ">"
        << "\n  references=" << a->References.str() << "\n  xref=" << a->Xref.view() << '\n';
  }
  if (!dumpData.complete) {
    context.err << "orvel-cli store: " << file << " ends after " << dumpData.records.size()
                << " of " << h.count << " records\n";
    return 1;
  }
  return 0;
}

int convert(CliContext& context, const std::vector<std::string>& args) {
  std::string file, out, group;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if ((args[i] == "--out" || args[i] == "--group") && i + 1 < args.size()) {
      (args[i] == "--out" ? out : group) = args[i + 1];
      ++i;
    } else if (file.empty()) {
      file = args[i];
    } else {
      return usage(context);
    }
  }
  if (file.empty()) return usage(context);
  if (out.empty()) {
    const std::size_t dot = file.rfind('.');
    out = (dot == std::string::npos || file.find('/', dot) != std::string::npos ? file
                                                                                 : file.substr(0, dot)) +
          ".mbx";
  }
  std::string text;
  if (!ReadInput(file, text)) {
    context.err << "orvel-cli store: cannot read " << file << '\n';
    return 1;
  }
  ArticleArena arena;
  ViewLists lists;
  XoverView view(arena, lists);
  view.groupName = group;
  ParseOverviewText(view, text);
  GroupNumbers numbers;
  numbers.low = view.lowMark;
  numbers.high = view.lowMark + view.presentSet.size() - 1;
  numbers.known = true;
  TCacheBox box(out, &numbers);
  box.ApplyStorageChoice(kStoreHeaders);
  box.Modified = true;
  if (!box.SaveHeaders(lists.masterList, false)) {
    context.err << "orvel-cli store: cannot write " << box.HeaderPath() << '\n';
    return 1;
  }
  context.out << lists.masterList.size() << " records written to " << box.HeaderPath() << '\n';
  return 0;
}

}  // namespace

int cmdStore(CliContext& context) {
  const auto& args = context.args;
  if (args.size() == 2 && args[0] == "dump") return dump(context, args[1]);
  if (!args.empty() && args[0] == "convert") return convert(context, args);
  return usage(context);
}

}  // namespace orvel::cli
