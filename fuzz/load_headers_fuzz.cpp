// Arbitrary bytes as a header file: loading into a group view and as a
// folder, and the inspection reader, keep what they could read and never
// crash or allocate by a count or length found in the file.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "articles/article_arena.h"
#include "articles/mailbox.h"
#include "articles/xover.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string base =
      (std::filesystem::temp_directory_path() / ("orvel-fuzz-" + std::to_string(::getpid()))).string();
  const std::string body = base + ".mbx";
  const std::string header = base + ".hdr";
  const char* bytes = reinterpret_cast<const char*>(data);
  // A header file of the newsgroup kind when the input starts otherwise.
  std::string file(bytes, size);
  if (size > 0 && data[0] % 2 == 0 && size >= 4) {
    const std::int32_t magic = 2092001 + 4;
    file.replace(0, 4, reinterpret_cast<const char*>(&magic), 4);
  }
  std::ofstream(header, std::ios::binary) << file;
  std::ofstream(body, std::ios::binary) << "From ???@0x00000030 Tue Jun 03 10:00:00 2003\r\nbody\r\n";
  {
    orvel::ArticleArena arena;
    orvel::HeaderFileDump dump;
    orvel::ReadHeaderFile(header, arena, dump);
    if (dump.records.size() > size) __builtin_trap();
  }
  {
    orvel::GroupNumbers numbers;
    orvel::TCacheBox box(body, &numbers);
    box.ApplyStorageChoice(orvel::kStoreHeadersAndBodies);
    orvel::ArticleArena arena;
    orvel::ViewLists lists;
    orvel::XoverView view(arena, lists);
    box.LoadHeaders(view, false);
    std::string text;
    for (orvel::TArticle* a : lists.masterList) box.ReadBody(*a, text);
    box.ApplyStorageChoice(orvel::kStoreNothing);
  }
  std::ofstream(header, std::ios::binary) << file;
  {
    orvel::TFolder folder(body, orvel::kStoreArchive);
    orvel::ArticleArena arena;
    std::vector<orvel::TArticle*> master;
    folder.LoadHeaders(arena, master);
  }
  std::filesystem::remove(header);
  std::filesystem::remove(body);
  return 0;
}
