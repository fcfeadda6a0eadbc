// orvel-cli show [--all-headers] [--raw] [--rot13] [--hide-quoted] FILE:
// renders an article file as the viewer does and prints one line per shown
// line, "style<TAB>text" (quoted lines carry their level, "quoted1" for one
// mark); an X-Face follows as 48 "face" rows of "#" and ".". Settings come
// from the base directory when one is given, else the defaults apply.

#include <ostream>

#include "app/cli/commands.h"
#include "app/cli/session.h"
#include "content/article_view.h"
#include "content/mime_types.h"
#include "core/atomic_file.h"
#include "core/null_prompter.h"

namespace orvel::cli {

namespace {

std::string prefixOf(const RenderedLine& line) {
  if (line.kind == LineKind::Picture) {
    return "picture " + std::to_string(line.pictureWidth) + "x" +
           std::to_string(line.pictureHeight);
  }
  std::string prefix(StyleName(line.style));
  if (line.style == LineStyle::Quoted) prefix += std::to_string(line.quoteDepth + 1);
  return prefix;
}

void printFace(const XFaceBitmap& face, std::ostream& out) {
  for (int y = 0; y < XFaceBitmap::kHeight; ++y) {
    out << "face\t";
    for (int x = 0; x < XFaceBitmap::kWidth; ++x) out << (face.Pixel(x, y) ? '#' : '.');
    out << '\n';
  }
}

}  // namespace

void PrintViewerLines(const ArticleView& view, std::ostream& out) {
  for (const RenderedLine& line : view.lines()) out << prefixOf(line) << '\t' << line.text << '\n';
  if (view.headerPanel().face) printFace(*view.headerPanel().face, out);
}

int cmdShow(CliContext& context) {
  ViewToggles toggles;
  bool allHeaders = false;
  std::string file;
  for (const std::string& arg : context.args) {
    if (arg == "--all-headers") {
      allHeaders = true;
    } else if (arg == "--raw") {
      toggles.raw = true;
    } else if (arg == "--rot13") {
      toggles.rot13 = true;
    } else if (arg == "--hide-quoted") {
      toggles.quoted = false;
    } else if (arg.size() > 1 && arg[0] == '-') {
      context.err << "orvel-cli show: unknown option " << arg << "\n";
      return 2;
    } else if (file.empty()) {
      file = arg;
    } else {
      context.err << "orvel-cli show: one file only\n";
      return 2;
    }
  }
  if (file.empty()) {
    context.err << "usage: orvel-cli show [--all-headers] [--raw] [--rot13] [--hide-quoted] FILE\n";
    return 2;
  }
  std::string text;
  if (!ReadWholeFile(file, text)) {
    context.err << "orvel-cli show: cannot read " << file << "\n";
    return 1;
  }

  ViewerSettings settings;
  if (!context.baseArgument.empty()) {
    const auto session = OpenSession(context);
    settings = ViewerSettingsFrom(session->main.settings);
    toggles.showAllHeaders = session->main.settings.showAllHeaders;
    toggles.splitScreen = !session->main.settings.fullScreen;
  }
  toggles.showAllHeaders = toggles.showAllHeaders || allHeaders;

  NullPrompter prompter;
  NoLauncher launcher;
  const auto mimeTypes = SystemMimeTypes();
  ArticleView view(settings, ViewerServices{prompter, launcher, {mimeTypes.get(), nullptr}});
  view.toggles() = toggles;
  view.ShowStoredArticle(std::move(text), false);

  PrintViewerLines(view, context.out);
  return 0;
}

}  // namespace orvel::cli
