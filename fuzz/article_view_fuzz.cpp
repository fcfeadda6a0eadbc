// The article viewer over arbitrary articles: rendering in every toggle
// combination, from a stored text or from server data in blocks, then
// re-rendering with other toggles, hovering and clicking every word of
// every line (link detection and resolution, the attachments menu). The
// first byte picks toggles, source and block size; the rest is the article.
// Nothing is saved (no attachment directory, every dialog cancelled) and
// nothing is opened.

#include <cstdint>
#include <string>
#include <string_view>

#include "content/article_view.h"
#include "core/null_prompter.h"

namespace {

class NoLauncher : public orvel::FileLauncher {
 public:
  bool open(const std::string&) override { return false; }
};

orvel::ViewToggles togglesOf(std::uint8_t bits) {
  orvel::ViewToggles t;
  t.raw = bits & 1;
  t.showAllHeaders = bits & 2;
  t.quoted = !(bits & 4);
  t.rot13 = bits & 8;
  t.fixedFont = bits & 16;
  t.splitScreen = bits & 32;
  return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t control = data[0];
  const std::size_t block = 1 + data[1] % 64;
  const std::string article(reinterpret_cast<const char*>(data + 2), size - 2);

  orvel::NullPrompter prompter;
  NoLauncher launcher;
  orvel::ViewerSettings settings;
  settings.noHeadersInSplitScreen = control & 64;
  orvel::ArticleView view(settings, orvel::ViewerServices{prompter, launcher, {}});
  view.toggles() = togglesOf(control);

  if (control & 128) {
    // Server data: blocks as they arrive, the rest kept for the next one.
    view.StartArticle(true, true);
    const std::string reply = article + "\r\n.\r\n";
    std::string buffer;
    bool last = false;
    for (std::size_t offset = 0; offset < reply.size() && !last; offset += block) {
      buffer.append(reply, offset, block);
      const std::size_t used =
          view.ParseArticle(orvel::ArticleRequestKind::Article, buffer, 0, last);
      if (used > buffer.size()) __builtin_trap();
      buffer.erase(0, used);
    }
  } else {
    view.ShowStoredArticle(article, true);
  }

  view.toggles() = togglesOf(static_cast<std::uint8_t>(~control));
  view.RedisplayArticle();
  for (std::size_t i = 0; i < view.lines().size(); ++i) {
    const std::string text = view.lines()[i].text;
    for (std::size_t offset = 0; offset < text.size(); ++offset) {
      if (offset > 0 && text[offset - 1] != ' ') continue;  // once per word
      view.IsLinkAt(i, offset);
      view.ClickAt(i, offset, (offset & 1) != 0);
    }
  }
  for (std::size_t i = 0; i < view.Attachments().size(); ++i) view.RunAttachment(i);
  view.ScrollTargetAfterHeaders();
  view.SkipQuoteMovesOn(view.lines().size() / 2);
  return 0;
}
