#include "posting/attachment_options.h"

#include <cstdio>

namespace orvel {

namespace {
constexpr std::uint64_t kBytesPerLine = 45;
constexpr std::uint64_t kPartsThatSplit = 3;  // parts of the cut size
}  // namespace

CutSizeRange CutSizeRangeFor(bool yEnc) {
  return yEnc ? CutSizeRange{"bytes", 10000, 1000000} : CutSizeRange{"lines", 100, 15000};
}

AttachmentOptions DefaultAttachmentOptions(const Settings& settings) {
  AttachmentOptions options;
  options.showFileCount = settings.showFileCount;
  SetYEnc(options, settings.useyEnc, settings);
  return options;
}

void SetYEnc(AttachmentOptions& options, bool on, const Settings& settings) {
  options.yEnc = on;
  if (on) options.mime = false;
  options.cutSize = on ? settings.yCutSize : settings.cutSize;
}

std::array<std::string_view, 4> AttachmentModeLabels(const AttachmentOptions& options,
                                                     std::size_t bodyLines,
                                                     std::uint64_t totalBytes) {
  std::array<std::string_view, 4> labels = kAttachmentModeTexts;
  bool split = options.yEnc;
  if (!split && options.cutSize > 0) {
    const std::uint64_t lines = bodyLines + totalBytes / kBytesPerLine;
    split = lines > (kPartsThatSplit - 1) * static_cast<std::uint64_t>(options.cutSize);
  }
  if (split) labels[0] = kAttachmentModeTexts[1];
  return labels;
}

std::uint64_t TotalAttachmentBytes(const std::vector<Attachment>& attachments) {
  std::uint64_t total = 0;
  for (const Attachment& a : attachments) total += a.size;
  return total;
}

std::string AttachmentListLabel(const std::vector<Attachment>& attachments) {
  char text[64];
  std::snprintf(text, sizeof text, "%d files. %lluKB", static_cast<int>(attachments.size()),
                static_cast<unsigned long long>(TotalAttachmentBytes(attachments) / 1024));
  return text;
}

}  // namespace orvel
