// orvel-corpus: prints a deterministic group's overview lines (as XOVER sends
// them, without the final ".") or one full article.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>

#include "corpus.h"

namespace {

int usage() {
  std::cerr << "usage: orvel-corpus [--group NAME] [--seed N] [--first N] [--count N]\n"
               "       orvel-corpus [--group NAME] [--seed N] --article N\n"
               "Prints overview lines (default: 1000 from number 1 of alt.test.corpus, seed 1)\n"
               "or the text of one article.\n";
  return 2;
}

bool number(const char* text, long long& out) {
  char* end = nullptr;
  out = std::strtoll(text, &end, 10);
  return end && *end == '\0' && end != text;
}

}  // namespace

int main(int argc, char** argv) {
  std::string group = "alt.test.corpus";
  long long seed = 1, first = 1, count = 1000, article = -1;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (i + 1 >= argc) return usage();
    const char* value = argv[++i];
    bool ok = true;
    if (arg == "--group") {
      group = value;
    } else if (arg == "--seed") {
      ok = number(value, seed);
    } else if (arg == "--first") {
      ok = number(value, first) && first >= 1;
    } else if (arg == "--count") {
      ok = number(value, count) && count >= 0;
    } else if (arg == "--article") {
      ok = number(value, article) && article >= 1;
    } else {
      return usage();
    }
    if (!ok || first + count > 2147483647LL) return usage();
  }
  orvel::corpus::Corpus corpus(group, static_cast<std::uint64_t>(seed));
  if (article >= 1) {
    std::cout << corpus.ArticleText(static_cast<std::int32_t>(article));
    return 0;
  }
  std::string out;
  for (long long n = first; n < first + count; ++n) {
    out += corpus.OverviewLine(static_cast<std::int32_t>(n));
    if (out.size() > (1 << 20)) {
      std::fwrite(out.data(), 1, out.size(), stdout);
      out.clear();
    }
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}
