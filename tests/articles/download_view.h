#pragma once
// An XoverView and a header download over it, without a connection: for the
// tests of the ranges, the group numbers and the dialog model.

#include "articles/header_download.h"

namespace orvel::test {

struct NullDownloadHost : HeaderDownloadHost {
  void FirstDownload() override {}
  bool ShowDownloadDialog(DownloadMode) override { return false; }
  void ReadMarksChanged() override {}
  void NumbersWidened(std::int32_t, std::int32_t) override {}
  void CommandSent(TNNTP&, const std::string&) override {}
  void LinesParsed(TNNTP&) override {}
  void DownloadEnded(TNNTP&, DownloadEnd) override {}
};

struct DownloadView {
  explicit DownloadView(DownloadSettings settings = {}) : download(view, host, settings) {}
  ArticleArena arena;
  ViewLists lists;
  XoverView view{arena, lists};
  NullDownloadHost host;
  HeaderDownload download;
};

}  // namespace orvel::test
