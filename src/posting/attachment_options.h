#pragma once
// The attachment options of the compose window: the option texts, the cut
// size's unit and range, which follow the yEnc switch, and the label of the
// attachment list.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings.h"
#include "posting/compose_message.h"

namespace orvel {

inline constexpr std::array<std::string_view, 4> kAttachmentModeTexts = {
    "Ensemble avec le même sujet",
    "Séparément",
    "Séparément,Texte dans 1er fichier(0)",
    "Séparément,Txt ds. chaque fichier(0)",
};

struct CutSizeRange {
  std::string_view unit;
  int min = 0;
  int max = 0;
};
// yEnc cuts by bytes, the others by lines.
CutSizeRange CutSizeRangeFor(bool yEnc);

// The options a new message starts with.
AttachmentOptions DefaultAttachmentOptions(const Settings& settings);

// The yEnc switch: MIME goes off with it, and the cut size takes the
// setting of the new unit.
void SetYEnc(AttachmentOptions& options, bool on, const Settings& settings);

// The texts of the four options: the first reads "Séparément" when the
// files cannot go together, with yEnc or when the text and the files
// (counted as lines of 45 bytes) need three parts or more.
std::array<std::string_view, 4> AttachmentModeLabels(const AttachmentOptions& options,
                                                     std::size_t bodyLines,
                                                     std::uint64_t totalBytes);

std::uint64_t TotalAttachmentBytes(const std::vector<Attachment>& attachments);
// "%d files. %dKB"
std::string AttachmentListLabel(const std::vector<Attachment>& attachments);

}  // namespace orvel
